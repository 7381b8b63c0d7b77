#include "app/Application.h"

#include <unistd.h>

#include "app/UserDialogs.h"
#include "data/DataError.h"

namespace lex {

QString applicationTitle() {
    return QString::fromLatin1(kApplicationTitle);
}

void showError(const std::exception& error) {
    const auto* dataError = dynamic_cast<const DataError*>(&error);
    const QString text = dataError ? dataError->message() : QString::fromUtf8(error.what());
    UserDialogs::current().message(QApplication::activeWindow(), applicationTitle(), text,
                                   BoxIcon::Stop);
}

void guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        showError(e);
    }
}

void Application::prepare() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The browser's sandbox cannot run for the root user; the page it shows is our own, local
    // and cut off from the network.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("lexivore"));
    setOrganizationName(QStringLiteral("Kolvane"));
    setDesktopFileName(QStringLiteral("lexivore"));
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showError(e);
    }
    return false;
}

}  // namespace lex
