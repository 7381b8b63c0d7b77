#include "app/Usplash.h"

#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QThread>
#include <QTimer>

#include "ui/Resources.h"

namespace lex {

TTsplash::TTsplash(QWidget* parent, int minimumMs)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), minimumMs_(minimumMs) {
    setObjectName(QStringLiteral("Tsplash"));
    setWindowTitle(QStringLiteral("Boxes in a box"));
    setFixedSize(391, 295);
    initResources();

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, 391, 295);
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap(QStringLiteral(":/images/splash.jpg")));

    Label1 = new QLabel(QStringLiteral("initializing.."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(17, 217, 50, 13);
    Label1->setAttribute(Qt::WA_TranslucentBackground);
    // The label's frame is 50 pixels as laid out; longer captions run on over the picture.
    Label1->setMinimumWidth(50);
    Label1->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    Label1->adjustSize();

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(116, 216, 262, 18);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(minimumMs);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &TTsplash::Timer1Timer);

    Timer3 = new QTimer(this);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer3->setInterval(kStepMs);
    connect(Timer3, &QTimer::timeout, this, &TTsplash::Timer3Timer);

    FormCreate();
    shown_.start();
    Timer1->start();
    Timer3->start();
}

void TTsplash::FormCreate() {
    step_ = 0;
}

bool TTsplash::FormCloseQuery() const {
    return !Timer1->isActive();
}

void TTsplash::Timer1Timer() {
    // Even a precise timer may be delivered a little early; the minimum is measured, not assumed.
    const qint64 left = minimumMs_ - shown_.elapsed();
    if (left > 0) {
        Timer1->start(static_cast<int>(left));
        return;
    }
    Timer1->stop();
}

void TTsplash::Timer3Timer() {
    ++step_;
    // From step 6 on the value is above the maximum and the bar stays full.
    ProgressBar1->setValue(std::min(step_ * 100 / 5, ProgressBar1->maximum()));
    static const char* const captions[] = {"Check database.", "Check database..",
                                           "Check database...", "Check database....",
                                           "Start program"};
    if (step_ >= 1 && step_ <= 5) {
        Label1->setText(QString::fromLatin1(captions[step_ - 1]));
        Label1->adjustSize();
    }
}

void TTsplash::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    // A close that reaches the splash once it may close: it keeps the picture up a full minimum
    // time from here, without handling messages, and is then destroyed.
    QThread::msleep(static_cast<unsigned long>(minimumMs_));
    setAttribute(Qt::WA_DeleteOnClose);
    event->accept();
}

}  // namespace lex
