#pragma once

#include <QString>
#include <array>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace lex {

class Gauge;

// The controls of the game panel.
struct QuizControls {
    QLabel* Label5;
    QFrame* Bevel4;
    QPushButton* Button19;  // end the game
    QLabel* Label8;
    QLineEdit* Edit1;       // the record line
    QPushButton* Button18;  // never shown; its click builds a question
    QLabel* Label6;
    QLabel* DBText1;  // the meaning of the dictionary's current entry
    QFrame* Bevel5;
    std::array<QToolButton*, 4> answers;  // SpeedButtonA ... SpeedButtonD
    Gauge* Gauge7;                        // the countdown
    QPushButton* Button14;                // change question
    QPushButton* Button15;                // answer twice
    QPushButton* Button16;                // remove two choices
    QFrame* Panel3;
    QLabel* Label7;         // the score
    QPushButton* Button20;  // change the player's name
    QPushButton* Button17;  // start, then confirm
};

// Creates the game panel's controls at their places inside `panel`.
QuizControls createQuizPanel(QFrame* panel);

// The meaning shown in `DBText1`: at the panel's size where it fits the label's four lines, else
// a smaller size down to a readable minimum, else at that size ending in "…". The whole text is
// always the label's tooltip.
void showMeaning(QLabel* label, const QString& meaning);

// An answer on its button in the same way, on one line: never cut at both ends.
void showAnswer(QToolButton* button, const QString& answer);

}  // namespace lex
