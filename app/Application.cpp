#include "app/Application.h"

#include <unistd.h>

#include "ui/ErrorBox.h"

namespace lex {

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
