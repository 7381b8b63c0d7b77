#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace lex {

// The about box: the publisher's logo, web address, e-mail and telephone. Created once at
// start-up and shown modally each time it is asked for.
class TForm7 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm7(QWidget* parent = nullptr);

    void Button1Click();
    void Label4Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLabel* Label4;
    QLabel* Label8;
    QPushButton* Button1;
};

}  // namespace lex
