#pragma once

#include <QString>
#include <functional>

class QApplication;

namespace lex {

class TForm1;

struct StartupOptions {
    // The data directory; empty means the one the alias "Ruv Idez" names.
    QString dataDirectory;
    int splashMinimumMs = 6000;
    // Called with the main window once it is shown, before the message loop (tests close it).
    std::function<void(TForm1&)> whenRunning;
};

// The program's start-up: the splash, the windows behind it, the wait for the splash's minimum
// time, then the message loop of the main window. Returns the exit code: 0 after the main window
// closed, 1 after the "Application Error" box when the data could not be opened.
int runStartup(QApplication& app, const StartupOptions& options = {});

}  // namespace lex
