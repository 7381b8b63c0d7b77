#pragma once

#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <functional>

#include "quiz/QuizPanel.h"

class QTimer;
class QWidget;

namespace lex {

class HighScore;
class Table;

// The vocabulary quiz: questions drawn from the dictionary, a 60-second countdown, three
// lifelines, the score and the high score. The caption of the confirm button tells whether a
// game has started.
class QuizGame : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kStartCaption = "เริ่มเล่นเกมส์";
    static constexpr int kCountdownTicks = 60;

    // `showPanel` shows the game panel in the window's overlay place (hiding the other overlay).
    QuizGame(Table& dictionary, HighScore& record, QuizControls controls, QTimer* countdown,
             QWidget* panel, std::function<void()> showPanel, QObject* parent = nullptr);

    // Uniform whole numbers in 0 .. n - 1; by default a generator seeded from the clock at every
    // question. Tests put in their own.
    void setRandom(std::function<int(int)> uniform) { random_ = std::move(uniform); }

    void setUpDrawBounds();  // at creation
    void open();             // N12Click
    void confirm();          // Button17Click, in its start or its confirm role
    void buildQuestion();    // Button18Click
    void changeQuestion();   // Button14Click
    void tick();             // Timer3Timer
    void answerTwice();      // Button15Click
    void removeTwo();        // Button16Click
    void endGame();          // Button19Click
    void changeName();       // Button20Click

    // State, for the window and for tests.
    const QString& playerName() const { return playerName_; }
    int score() const { return score_; }
    int answerPosition() const { return answerPosition_; }
    const QString& answerText() const { return answerText_; }
    int firstId() const { return firstId_; }
    int lastId() const { return lastId_; }
    int drawRange() const { return drawRange_; }
    bool twiceArmed() const { return twiceArmed_; }
    int twiceAnswers() const { return twiceAnswers_; }

  private:
    void start();
    void judge(int selected);
    int draw(int n);
    int drawExistingId();
    void say(const QString& text);
    void enableAnswers(bool releaseAll);
    void setLifelinesEnabled(bool enabled);
    void showRecord();

    Table& dictionary_;
    HighScore& record_;
    QuizControls c_;
    QTimer* countdown_;
    QWidget* panel_;
    std::function<void()> showPanel_;
    std::function<int(int)> random_;
    QRandomGenerator generator_;

    QString playerName_;
    int score_ = 0;
    int answerPosition_ = 1;
    QString answerText_;
    int firstId_ = 0;
    int lastId_ = 0;
    int drawRange_ = 0;
    bool twiceArmed_ = false;
    int twiceAnswers_ = 0;
};

}  // namespace lex
