#include "quiz/QuizGame.h"

#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <QTimer>
#include <QToolButton>
#include <chrono>

#include "data/Table.h"
#include "data/TextCut.h"
#include "quiz/HighScore.h"
#include "ui/ErrorBox.h"
#include "ui/Gauge.h"
#include "ui/UserDialogs.h"

namespace lex {

namespace {

const QString kConfirmCaption = QStringLiteral("ยืนยันการตอบ");
const QString kNameCaption = QStringLiteral("ขอทราบชื่อผู้เล่นด้วยครับ");
const QString kNamePrompt = QStringLiteral("ชื่อ : ");
const QString kDefaultName = QStringLiteral("คนอยากเล่น");
const QString kCR = QStringLiteral("\r");
constexpr int kNameLength = 255;
// Draws made before a missing ID or a repeated headword is accepted as it is.
constexpr int kRedraws = 25;

QString field(const Table& t, const char* name) {
    return t.fieldText(QString::fromLatin1(name));
}

}  // namespace

QuizGame::QuizGame(Table& dictionary, HighScore& record, QuizControls controls, QTimer* countdown,
                   QWidget* panel, std::function<void()> showPanel, QObject* parent)
    : QObject(parent),
      dictionary_(dictionary),
      record_(record),
      c_(controls),
      countdown_(countdown),
      panel_(panel),
      showPanel_(std::move(showPanel)) {
    // One group in which all buttons may be up: pressing one releases the others.
    for (QToolButton* b : c_.answers)
        connect(b, &QToolButton::toggled, this, [this, b](bool down) {
            if (down)
                for (QToolButton* other : c_.answers)
                    if (other != b)
                        other->setChecked(false);
        });
}

int QuizGame::draw(int n) {
    if (random_)
        return random_(n);
    return static_cast<int>(generator_.bounded(n));
}

void QuizGame::say(const QString& text) {
    UserDialogs::current().message(panel_->window(), applicationTitle(), text, BoxIcon::None);
}

void QuizGame::enableAnswers(bool releaseAll) {
    for (QToolButton* b : c_.answers) {
        b->setEnabled(true);
        if (releaseAll)
            b->setChecked(false);
    }
}

void QuizGame::setLifelinesEnabled(bool enabled) {
    c_.Button14->setEnabled(enabled);
    c_.Button15->setEnabled(enabled);
    c_.Button16->setEnabled(enabled);
}

void QuizGame::showRecord() {
    c_.Edit1->setText(record_.recordLine());
    c_.Edit1->setCursorPosition(0);
}

void QuizGame::setUpDrawBounds() {
    dictionary_.first();
    firstId_ = dictionary_.fieldInt(QStringLiteral("ID"));
    dictionary_.last();
    lastId_ = dictionary_.fieldInt(QStringLiteral("ID"));
    drawRange_ = lastId_ - firstId_ - 4;
}

void QuizGame::open() {
    if (panel_->isVisible())
        return;
    playerName_ =
        UserDialogs::current().inputBox(panel_->window(), kNameCaption, kNamePrompt, kDefaultName);
    playerName_ = cutText(playerName_, kNameLength);
    showRecord();
    showPanel_();
    setLifelinesEnabled(false);
    enableAnswers(true);
    score_ = 0;
    c_.Button17->setText(QString::fromUtf8(kStartCaption));
    c_.Button17->setToolTip(QStringLiteral("กดเพื่อเริ่มเล่นเกมส์"));
    c_.Label7->setText(QString::number(score_));
}

void QuizGame::confirm() {
    enableAnswers(false);
    c_.DBText1->show();
    if (c_.Button17->text() == QString::fromUtf8(kStartCaption)) {
        start();
        return;
    }
    int selected = -1;
    for (int i = 0; i < 4; ++i)
        if (c_.answers[static_cast<size_t>(i)]->isChecked())
            selected = i + 1;
    if (selected < 0)
        return;  // the countdown goes on
    judge(selected);
}

void QuizGame::start() {
    if (drawRange_ <= 0) {
        say(QStringLiteral("พจนานุกรมมีคำศัพท์น้อยเกินไปสำหรับเกมส์นี้ครับ (ต้องมีอย่างน้อย 6 คำ)"));
        return;
    }
    setLifelinesEnabled(true);
    twiceAnswers_ = 0;
    twiceArmed_ = false;
    c_.Button18->click();
    c_.Button17->setText(kConfirmCaption);
    c_.Button17->setToolTip(QStringLiteral("กดเพื่อยืนยันคำตอบ"));
}

int QuizGame::drawExistingId() {
    for (int attempt = 0; attempt < kRedraws; ++attempt) {
        const int id = firstId_ + draw(drawRange_);
        if (dictionary_.locate(QStringLiteral("ID"), id))
            return id;
    }
    return dictionary_.fieldInt(QStringLiteral("ID"));  // the entry that stayed current
}

void QuizGame::buildQuestion() {
    enableAnswers(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    countdown_->stop();
    generator_.seed(
        static_cast<quint32>(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    c_.Gauge7->setProgress(0);
    c_.Gauge7->setColors(Qt::yellow, Qt::blue);
    struct CursorBack {
        ~CursorBack() { QApplication::restoreOverrideCursor(); }
    } cursorBack;

    answerPosition_ = draw(4) + 1;
    // The answer is drawn first so that no decoy can repeat its headword; it is made current
    // again last, so the question's meaning is what the meaning display shows.
    const int answerId = drawExistingId();
    const QString answer = field(dictionary_, "Data");
    QSet<QString> shown{answer};
    for (int k = 1; k <= 3; ++k) {
        for (int attempt = 0; attempt < kRedraws; ++attempt) {
            const int id = firstId_ + draw(drawRange_);
            if (dictionary_.locate(QStringLiteral("ID"), id) &&
                !shown.contains(field(dictionary_, "Data")))
                break;
        }
        const QString decoy = field(dictionary_, "Data");
        shown.insert(decoy);
        const int button = (answerPosition_ - 1 + 4 - k) % 4;
        showAnswer(c_.answers[static_cast<size_t>(button)], decoy);
        c_.Gauge7->setProgress(15 * k);
    }
    dictionary_.locate(QStringLiteral("ID"), answerId);
    showAnswer(c_.answers[static_cast<size_t>(answerPosition_ - 1)], answer);
    answerText_ = answer;
    c_.Gauge7->setProgress(59);

    countdown_->start();
    c_.Gauge7->setProgress(0);
    c_.Gauge7->setColors(Qt::yellow, Qt::red);
}

void QuizGame::changeQuestion() {
    c_.Button14->setEnabled(false);
    countdown_->stop();
    c_.Gauge7->setProgress(0);
    say(QStringLiteral("คุณได้สิทธิ์นั้นครับ") + kCR + kCR + QStringLiteral("คำตอบที่ถูกต้องคือ : ") + kCR +
        QStringLiteral("   ") + answerText_);
    c_.Button18->click();
}

void QuizGame::tick() {
    c_.Gauge7->setProgress(c_.Gauge7->progress() + 1);
    if (c_.Gauge7->progress() < kCountdownTicks)
        return;
    countdown_->stop();
    for (QToolButton* b : c_.answers)
        b->setEnabled(false);
    say(QStringLiteral("เสียใจด้วยครับคุณ") + playerName_ + QStringLiteral("คุณตอบช้า") + kCR +
        QStringLiteral("เกมส์สิ้นสุดลงแล้วครับ") + kCR + kCR + QStringLiteral("คำตอบที่ถูกต้องคือ : ") + kCR +
        QStringLiteral("   ") + answerText_);
    panel_->hide();
}

void QuizGame::judge(int selected) {
    countdown_->stop();
    c_.Gauge7->setProgress(0);
    const bool right = selected == answerPosition_;
    if (right)
        ++score_;
    if (twiceArmed_)
        ++twiceAnswers_;
    if (right) {
        c_.Label7->setText(QString::number(score_));
        say(QStringLiteral("ดีใจด้วยครับคุณ") + playerName_ + QStringLiteral(" คุณตอบถูกครับ"));
        if (score_ > record_.points) {
            say(QStringLiteral("ดีใจด้วยครับคุณ") + playerName_ + kCR +
                QStringLiteral(" คุณคือเจ้าของสถิติคะแนนสูงสุด"));
            record_.points = score_;
            record_.holder = playerName_;
            record_.date = QDateTime::currentDateTime();
            record_.write(panel_->window());
            showRecord();
        }
        c_.Button18->click();
        return;
    }
    if (twiceArmed_ && twiceAnswers_ < 2) {
        say(QStringLiteral("เสียใจด้วยครับคุณ") + playerName_ + QStringLiteral(" คุณตอบผิด") + kCR +
            QStringLiteral("คุณมีสิทธิ์ตอบอีก 1 ครั้งครับ"));
        return;
    }
    say(QStringLiteral("เสียใจด้วยครับคุณ") + playerName_ + QStringLiteral(" คุณตอบผิด") + kCR +
        QStringLiteral("เกมส์สิ้นสุดลงแล้วครับ") + kCR + kCR + QStringLiteral("คำตอบที่ถูกต้องคือ : ") + kCR +
        QStringLiteral("   ") + answerText_);
    panel_->hide();
}

void QuizGame::answerTwice() {
    c_.Button15->setEnabled(false);
    twiceArmed_ = true;
}

void QuizGame::removeTwo() {
    c_.Button16->setEnabled(false);
    const int r = draw(3);
    // The wrong buttons in order A to D; the one kept is the third, second or first for r = 0,
    // 1 or 2.
    QList<int> wrong;
    for (int i = 1; i <= 4; ++i)
        if (i != answerPosition_)
            wrong << i;
    const int kept = wrong[2 - r];
    for (int i : wrong)
        if (i != kept)
            c_.answers[static_cast<size_t>(i - 1)]->setEnabled(false);
}

void QuizGame::endGame() {
    if (UserDialogs::current().confirm(panel_->window(),
                                       QStringLiteral("กรุณายืนยันที่จะเลิกเล่นเกมส์ครับ ?")))
        panel_->hide();
}

void QuizGame::changeName() {
    playerName_ =
        UserDialogs::current().inputBox(panel_->window(), kNameCaption, kNamePrompt, playerName_);
    playerName_ = cutText(playerName_, kNameLength);
    showRecord();
}

}  // namespace lex
