#include "app/Application.h"

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
