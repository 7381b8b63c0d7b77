#pragma once

#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QWebEngineView;

namespace lex {

// The installed conversion page, one fixed absolute path compiled into the program.
QString conversionPagePath();

// The unit-conversion tool on its overlay panel: a title, a leave button and the embedded
// browser that shows the local conversion page. The browser loads nothing from the network; a
// link clicked in the page opens in the user's browser.
class ConversionPanel {
  public:
    explicit ConversionPanel(QFrame* panel);

    // Tells the browser to load the page, once; a missing page shows the browser's own error
    // display.
    void navigate(const QString& path = conversionPagePath());

    QWebEngineView* browser() const { return WebBrowser1; }
    QPushButton* leaveButton() const { return Button21; }

  private:
    QLabel* Label9;
    QFrame* Bevel6;
    QWebEngineView* WebBrowser1;
    QPushButton* Button21;
};

}  // namespace lex
