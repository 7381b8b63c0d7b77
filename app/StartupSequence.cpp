#include "app/StartupSequence.h"

#include <QApplication>
#include <QScreen>
#include <memory>

#include "app/Application.h"
#include "app/Main.h"
#include "app/Usplash.h"
#include "data/DataError.h"
#include "data/Database.h"
#include "tools/AboutBox.h"
#include "ui/Controls.h"
#include "ui/Resources.h"
#include "ui/ThaiFonts.h"
#include "ui/UserDialogs.h"
#include "wordlist/Ureport.h"

namespace lex {

int runStartup(QApplication& app, const StartupOptions& options) {
    initResources();
    installFonts();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/icon-256.png")));

    auto splash = std::make_unique<TTsplash>(nullptr, options.splashMinimumMs);
    centreOnScreen(splash.get());
    splash->show();
    splash->repaint();  // the picture shows before the slow steps, without the message loop

    std::unique_ptr<TForm1> form1;
    try {
        const QString directory =
            options.dataDirectory.isEmpty() ? Database::aliasDirectory() : options.dataDirectory;
        form1 = std::make_unique<TForm1>(directory);
    } catch (const std::exception& e) {
        splash.reset();
        const auto* dataError = dynamic_cast<const DataError*>(&e);
        UserDialogs::current().message(
            nullptr, QStringLiteral("Application Error"),
            QStringLiteral("%1 while creating the main window (opening the data):\n%2")
                .arg(dataError ? QStringLiteral("Database error") : QStringLiteral("Error"),
                     dataError ? dataError->message() : QString::fromUtf8(e.what())),
            BoxIcon::Stop);
        return 1;
    }

    // The about box and the report form, made once and reused.
    auto form7 = std::make_unique<TForm7>(form1.get());
    form1->setAboutBox(form7.get());
    auto report = std::make_unique<TReport>(form1->table2());
    form1->setReportForm(report.get());

    // Handle messages until the splash's minimum time has passed; the splash's and the main
    // window's timers run meanwhile.
    while (!splash->FormCloseQuery())
        app.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    splash->hide();
    splash.reset();

    centreOnScreen(form1.get());
    form1->show();
    if (options.whenRunning)
        options.whenRunning(*form1);
    return app.exec();
}

}  // namespace lex
