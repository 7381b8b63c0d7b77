#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QTimer;

namespace lex {

// The splash window: the picture, a status label and a progress bar that move every 500 ms, and
// a minimum display time of 6000 ms during which it refuses to close.
class TTsplash : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kMinimumMs = 6000;
    static constexpr int kStepMs = 500;

    explicit TTsplash(QWidget* parent = nullptr, int minimumMs = kMinimumMs);

    // Whether the splash may close: once its minimum time has passed.
    bool FormCloseQuery() const;

    void Timer1Timer();
    void Timer3Timer();
    int step() const { return step_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormCreate();

    QLabel* Image1;
    QLabel* Label1;
    QProgressBar* ProgressBar1;
    QTimer* Timer1;
    QTimer* Timer3;
    int step_ = 0;
    int minimumMs_;
    QElapsedTimer shown_;  // since the window was created
};

}  // namespace lex
