#pragma once

#include <QApplication>

namespace lex {

// The application object. Event delivery is the last place an escaped error is caught.
class Application : public QApplication {
  public:
    Application(int& argc, char** argv);
    // What must be set before the application object exists (the embedded browser's needs).
    static void prepare();
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace lex
