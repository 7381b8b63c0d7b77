// The quiz game: building questions, the countdown, answering, the lifelines and the high score.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <climits>
#include <deque>

#include "app/Application.h"
#include "app/Main.h"
#include "data/DictionaryFile.h"
#include "data/Table.h"
#include "quiz/HighScore.h"
#include "quiz/QuizGame.h"
#include "tests/TestSupport.h"
#include "ui/Controls.h"
#include "ui/Gauge.h"
#include "ui/ThaiFonts.h"

using namespace lex;

namespace {

std::vector<DictionaryEntry> words(int n) {
    std::vector<DictionaryEntry> out;
    for (int i = 1; i <= n; ++i)
        out.push_back(
            {QStringLiteral("word%1").arg(i), QStringLiteral("meaning %1").arg(i), 1 + i % 4, 0});
    return out;
}

// A main window on a fresh dictionary, its game opened by F5 with a scripted name.
struct Game {
    explicit Game(const std::vector<DictionaryEntry>& entries = words(20))
        : dir(entries), form(dir.path()) {
        form.show();
    }
    QuizGame& quiz() { return form.quiz(); }
    QToolButton* answer(int position) {
        return form.findChild<QToolButton*>(QStringLiteral("SpeedButton") +
                                            QChar(u'A' + position - 1));
    }
    QPushButton* button(const char* name) {
        return form.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QWidget* panel() { return form.findChild<QWidget*>(QStringLiteral("Panel2")); }
    QTimer* countdown() { return form.findChild<QTimer*>(QStringLiteral("Timer3")); }
    Gauge* gauge() { return form.findChild<Gauge*>(QStringLiteral("Gauge7")); }
    // Draws come from the queue; an empty queue draws 0.
    void script(std::deque<int> draws) {
        queue = std::move(draws);
        quiz().setRandom([this](int n) {
            ranges.push_back(n);
            if (queue.empty())
                return 0;
            const int v = queue.front();
            queue.pop_front();
            return v % n;
        });
    }
    void openAndStart(const QString& name = QStringLiteral("Somchai")) {
        dialogs.inputAnswers.push_back(name);
        form.N12Click();
        button("Button17")->click();
    }
    QString lastText() const {
        return dialogs.boxes.empty() ? QString() : dialogs.boxes.back().text;
    }

    test::ScriptedDialogs dialogs;
    test::TempDataDir dir;
    TForm1 form;
    std::deque<int> queue;
    std::vector<int> ranges;
};

}  // namespace

class TestQuiz : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void drawBoundsAndOpening() {
        Game g;
        QCOMPARE(g.quiz().firstId(), 1);
        QCOMPARE(g.quiz().lastId(), 20);
        QCOMPARE(g.quiz().drawRange(), 15);
        QVERIFY(!g.panel()->isVisible());
        g.form.N12Click();  // Cancel: the default name
        QVERIFY(g.panel()->isVisible());
        QCOMPARE(g.quiz().playerName(), QStringLiteral("คนอยากเล่น"));
        QCOMPARE(g.dialogs.boxes[0].caption, QStringLiteral("ขอทราบชื่อผู้เล่นด้วยครับ"));
        QCOMPARE(g.dialogs.boxes[0].text, QStringLiteral("ชื่อ : "));
        QCOMPARE(g.button("Button17")->text(), QStringLiteral("เริ่มเล่นเกมส์"));
        QVERIFY(!g.button("Button14")->isEnabled() && !g.button("Button16")->isEnabled());
        QVERIFY(g.form.findChild<QLineEdit*>(QStringLiteral("Edit1"))
                    ->text()
                    .startsWith(QStringLiteral("0 คะแนน ทำไว้โดยคุณยังไม่มีข้อมูล เมื่อ ")));
        g.form.N12Click();  // F5 while the panel is shown changes nothing
        QCOMPARE(g.dialogs.boxes.size(), size_t(1));
        g.dialogs.inputAnswers.push_back(QString(300, u'x'));
        g.button("Button20")->click();
        QCOMPARE(g.quiz().playerName().size(), 255);
    }

    void placementFollowsTheTable() {
        // Draw k lands on button ((AnswerPosition - 1 + 4 - k) mod 4) + 1; the fourth draw, the
        // question, stands at AnswerPosition.
        for (int position = 1; position <= 4; ++position) {
            Game g;
            // position, the answer (ID 5), then decoys 1, 2, 3 (IDs 2, 3, 4)
            g.script({position - 1, 4, 1, 2, 3});
            g.openAndStart();
            QCOMPARE(g.quiz().answerPosition(), position);
            QCOMPARE(g.quiz().answerText(), QStringLiteral("word5"));
            QCOMPARE(g.answer(position)->text(), QStringLiteral("word5"));
            for (int k = 1; k <= 3; ++k)
                QCOMPARE(g.answer((position - 1 + 4 - k) % 4 + 1)->text(),
                         QStringLiteral("word%1").arg(k + 1));
            // The question is the last entry made current: its meaning is on screen.
            QCOMPARE(g.form.findChild<QLabel*>(QStringLiteral("DBText1"))->text(),
                     QStringLiteral("meaning 5"));
            QVERIFY(g.form.findChild<QLabel*>(QStringLiteral("DBText1"))->isVisible());
            QVERIFY(g.countdown()->isActive());
            QCOMPARE(g.gauge()->progress(), 0);
            QCOMPARE(g.button("Button17")->text(), QStringLiteral("ยืนยันการตอบ"));
        }
    }

    void questionsAreFairAndDistinct() {
        // Headwords repeat across entries and IDs have gaps: the four buttons still differ.
        std::vector<DictionaryEntry> entries;
        for (int i = 1; i <= 40; ++i)
            entries.push_back(
                {QStringLiteral("w%1").arg(i % 7), QStringLiteral("m%1").arg(i), 1, 0});
        Game g(entries);
        g.openAndStart();
        int positions[5] = {};
        for (int q = 0; q < 400; ++q) {
            g.button("Button18")->click();
            ++positions[g.quiz().answerPosition()];
            QSet<QString> shown;
            for (int b = 1; b <= 4; ++b)
                shown.insert(g.answer(b)->text());
            QCOMPARE(shown.size(), 4);
            QCOMPARE(g.answer(g.quiz().answerPosition())->text(), g.quiz().answerText());
        }
        for (int p = 1; p <= 4; ++p)
            QVERIFY2(positions[p] > 60 && positions[p] < 140,
                     qPrintable(QStringLiteral("position %1: %2").arg(p).arg(positions[p])));
        // Every ID draw covers FirstID .. LastID - 5 only.
        g.script({});
        g.button("Button18")->click();
        for (int n : g.ranges)
            QVERIFY(n == 4 || n == g.quiz().drawRange());
        QCOMPARE(g.quiz().drawRange(), 40 - 1 - 4);
    }

    void tinyDictionaryCannotStart() {
        Game g(words(5));
        g.openAndStart();
        QVERIFY(g.lastText().contains(QStringLiteral("น้อยเกินไป")));
        QCOMPARE(g.button("Button17")->text(), QStringLiteral("เริ่มเล่นเกมส์"));
        QVERIFY(!g.countdown()->isActive());
    }

    void answeringRightAndWrong() {
        Game g;
        g.script({0, 4, 1, 2, 3, 1, 9, 5, 6, 7});  // answers at A, then at B
        g.openAndStart(QStringLiteral("Mali"));
        const size_t before = g.dialogs.boxes.size();
        g.button("Button17")->click();  // nothing selected: nothing happens
        QCOMPARE(g.dialogs.boxes.size(), before);
        QVERIFY(g.countdown()->isActive());

        g.answer(1)->click();
        g.button("Button17")->click();
        QCOMPARE(g.quiz().score(), 1);
        QCOMPARE(g.form.findChild<QLabel*>(QStringLiteral("Label7"))->text(), QStringLiteral("1"));
        QCOMPARE(g.dialogs.boxes[before].text, QStringLiteral("ดีใจด้วยครับคุณMali คุณตอบถูกครับ"));
        QCOMPARE(g.dialogs.boxes[before + 1].text,
                 QStringLiteral("ดีใจด้วยครับคุณMali\r คุณคือเจ้าของสถิติคะแนนสูงสุด"));
        QCOMPARE(g.form.highScore().points, 1);
        QVERIFY(g.countdown()->isActive());  // the next question runs
        QCOMPARE(g.quiz().answerPosition(), 2);

        g.answer(3)->click();
        g.button("Button17")->click();
        QCOMPARE(g.lastText(), QStringLiteral("เสียใจด้วยครับคุณMali คุณตอบผิด\rเกมส์สิ้นสุดลงแล้วครับ\r\r"
                                              "คำตอบที่ถูกต้องคือ : \r   ") +
                                   g.quiz().answerText());
        QVERIFY(!g.panel()->isVisible());
        QVERIFY(!g.countdown()->isActive());
    }

    void answerTwiceGivesOneSecondChance() {
        Game g;
        g.script({0, 4, 1, 2, 3});
        g.openAndStart(QStringLiteral("A"));
        g.button("Button15")->click();
        QVERIFY(!g.button("Button15")->isEnabled());
        QVERIFY(g.quiz().twiceArmed());
        g.answer(2)->click();
        g.button("Button17")->click();
        QCOMPARE(g.lastText(), QStringLiteral("เสียใจด้วยครับคุณA คุณตอบผิด\rคุณมีสิทธิ์ตอบอีก 1 ครั้งครับ"));
        QVERIFY(g.panel()->isVisible());
        QVERIFY(!g.countdown()->isActive());  // no time limit on the second try
        QCOMPARE(g.gauge()->progress(), 0);
        QVERIFY(g.answer(2)->isChecked());
        g.button("Button17")->click();  // the same wrong choice again ends the game
        QVERIFY(g.lastText().contains(QStringLiteral("เกมส์สิ้นสุดลงแล้วครับ")));
        QVERIFY(!g.panel()->isVisible());

        // A right first answer spends the lifeline.
        Game h;
        h.script({0, 4, 1, 2, 3, 0, 9, 5, 6, 7});
        h.openAndStart();
        h.button("Button15")->click();
        h.answer(1)->click();
        h.button("Button17")->click();
        QCOMPARE(h.quiz().twiceAnswers(), 1);
        h.answer(4)->click();
        h.button("Button17")->click();
        QVERIFY(!h.panel()->isVisible());
    }

    void removeTwoKeepsTheRightAndOneWrong() {
        for (int position = 1; position <= 4; ++position) {
            for (int r = 0; r < 3; ++r) {
                Game g;
                g.script({position - 1, 4, 1, 2, 3, r});
                g.openAndStart();
                g.answer(position == 1 ? 2 : 1)->click();  // a selected choice stays selected
                g.button("Button16")->click();
                QVERIFY(!g.button("Button16")->isEnabled());
                QList<int> enabled;
                for (int b = 1; b <= 4; ++b)
                    if (g.answer(b)->isEnabled())
                        enabled << b;
                QCOMPARE(enabled.size(), 2);
                QVERIFY(enabled.contains(position));
                QList<int> wrong{1, 2, 3, 4};
                wrong.removeOne(position);
                const int kept = enabled[0] == position ? enabled[1] : enabled[0];
                QCOMPARE(kept, wrong[2 - r]);
                QVERIFY(g.answer(position == 1 ? 2 : 1)->isChecked());
                // Confirming with the removed choice still selected gives the choices back.
                g.answer(position == 1 ? 2 : 1)->setChecked(false);
                g.button("Button17")->click();
                for (int b = 1; b <= 4; ++b)
                    QVERIFY(g.answer(b)->isEnabled());
            }
        }
    }

    void changeQuestionRevealsTheAnswer() {
        Game g;
        g.script({0, 4, 1, 2, 3, 2, 8, 5, 6, 7});
        g.openAndStart();
        for (int i = 0; i < 10; ++i)
            g.form.Timer3Timer();
        g.button("Button14")->click();
        QCOMPARE(g.lastText(), QStringLiteral("คุณได้สิทธิ์นั้นครับ\r\rคำตอบที่ถูกต้องคือ : \r   word5"));
        QVERIFY(!g.button("Button14")->isEnabled());
        QCOMPARE(g.gauge()->progress(), 0);
        QVERIFY(g.countdown()->isActive());
        QCOMPARE(g.quiz().answerText(), QStringLiteral("word9"));
    }

    void sixtiethTickEndsTheGame() {
        Game g;
        g.script({0, 4, 1, 2, 3});
        g.openAndStart(QStringLiteral("B"));
        g.answer(1)->click();  // selected but not confirmed
        for (int i = 0; i < 59; ++i)
            g.form.Timer3Timer();
        QVERIFY(g.panel()->isVisible());
        QCOMPARE(g.gauge()->progress(), 59);
        g.form.Timer3Timer();
        QCOMPARE(g.lastText(), QStringLiteral("เสียใจด้วยครับคุณBคุณตอบช้า\rเกมส์สิ้นสุดลงแล้วครับ\r\r"
                                              "คำตอบที่ถูกต้องคือ : \r   word5"));
        QVERIFY(!g.panel()->isVisible());
        QVERIFY(!g.countdown()->isActive());
        QCOMPARE(g.quiz().score(), 0);
    }

    void endingOrSwitchingStopsTheCountdown() {
        Game g;
        g.openAndStart();
        QVERIFY(g.countdown()->isActive());
        g.dialogs.confirmAnswers = {false};
        g.button("Button19")->click();
        QCOMPARE(g.dialogs.boxes.back().text, QStringLiteral("กรุณายืนยันที่จะเลิกเล่นเกมส์ครับ ?"));
        QVERIFY(g.countdown()->isActive());
        g.dialogs.confirmAnswers = {true};
        g.button("Button19")->click();
        QVERIFY(!g.panel()->isVisible());
        QVERIFY(!g.countdown()->isActive());

        g.openAndStart();
        QVERIFY(g.countdown()->isActive());
        g.form.showOverlay(g.form.findChild<QFrame*>(QStringLiteral("Panel4")));
        QVERIFY(!g.panel()->isVisible());
        QVERIFY(!g.countdown()->isActive());
    }

    // Minimising the window hides the panel only for a while: the countdown goes on and the
    // question still times out.
    void minimisedWindowKeepsCounting() {
        Game g;
        g.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g.form));
        g.openAndStart();
        for (int i = 0; i < 5; ++i)
            g.form.Timer3Timer();
        // What a window manager's minimise sends every child, then the restore.
        QHideEvent hidden;
        QCoreApplication::sendEvent(g.panel(), &hidden);
        g.form.showMinimized();
        g.form.showNormal();
        QVERIFY(g.countdown()->isActive());
        QCOMPARE(g.gauge()->progress(), 5);
        for (int i = 5; i < 60; ++i)
            g.form.Timer3Timer();
        QVERIFY(!g.panel()->isVisible());  // timed out
        QVERIFY(g.lastText().contains(QStringLiteral("คุณตอบช้า")));
    }

    void recordIsWrittenOnlyWhenBeaten() {
        test::TempDataDir dir(words(20));
        const QString ini = QDir(dir.path()).filePath(QStringLiteral("Registry.ini"));
        {
            QSettings store(ini, QSettings::IniFormat);
            store.setValue(QStringLiteral("Software/Kolvane/MaxUser"), QStringLiteral("Old"));
            store.setValue(QStringLiteral("Software/Kolvane/MaxPoint"), QStringLiteral("1"));
            store.setValue(QStringLiteral("Software/Kolvane/MaxDate"), QStringLiteral("36526.5"));
        }
        test::ScriptedDialogs dialogs;
        TForm1 form(dir.path());
        QCOMPARE(form.highScore().holder, QStringLiteral("Old"));
        QCOMPARE(form.highScore().date, QDateTime(QDate(2000, 1, 1), QTime(12, 0)));
        QuizGame& quiz = form.quiz();
        quiz.setRandom([](int) { return 0; });  // the answer always at A
        dialogs.inputAnswers.push_back(QStringLiteral("New"));
        form.N12Click();
        auto* confirm = form.findChild<QPushButton*>(QStringLiteral("Button17"));
        auto* a = form.findChild<QToolButton*>(QStringLiteral("SpeedButtonA"));
        confirm->click();
        a->click();
        confirm->click();  // 1 ties the record: nothing written
        QCOMPARE(QSettings(ini, QSettings::IniFormat).value("Software/Kolvane/MaxUser").toString(),
                 QStringLiteral("Old"));
        a->click();
        confirm->click();  // 2 beats it
        QSettings after(ini, QSettings::IniFormat);
        QCOMPARE(after.value("Software/Kolvane/MaxUser").toString(), QStringLiteral("New"));
        QCOMPARE(after.value("Software/Kolvane/MaxPoint").toString(), QStringLiteral("2"));
        QVERIFY(form.findChild<QLineEdit*>(QStringLiteral("Edit1"))
                    ->text()
                    .startsWith(QStringLiteral("2 คะแนน ทำไว้โดยคุณNew เมื่อ ")));
        a->click();
        confirm->click();  // every further right answer writes again
        QCOMPARE(QSettings(ini, QSettings::IniFormat).value("Software/Kolvane/MaxPoint").toString(),
                 QStringLiteral("3"));
    }

    void storedTextForms() {
        const QDateTime noon(QDate(2000, 1, 1), QTime(12, 0));
        QCOMPARE(HighScore::dateText(noon), QStringLiteral("36526.5"));
        QCOMPARE(HighScore::dateText(QDateTime(QDate(2000, 1, 1), QTime(0, 0))),
                 QStringLiteral("36526"));
        QDateTime back;
        QVERIFY(HighScore::parseDate(HighScore::dateText(noon), &back));
        QCOMPARE(back, noon);
        QVERIFY(!HighScore::parseDate(QStringLiteral("yesterday"), &back));
        // A date written under the other decimal separator reads back the same.
        QVERIFY(HighScore::parseDate(QStringLiteral("36526,5"), &back));
        QCOMPARE(back, noon);
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German));
        const QString comma = HighScore::dateText(noon);
        QCOMPARE(comma, QStringLiteral("36526,5"));  // written with the locale's separator
        QVERIFY(HighScore::parseDate(QStringLiteral("36526.5"), &back));
        QCOMPARE(back, noon);
        QLocale::setDefault(QLocale(QLocale::Thai, QLocale::Thailand));
        QVERIFY(HighScore::parseDate(comma, &back));
        QCOMPARE(back, noon);
        QLocale::setDefault(before);
        QVERIFY(!HighScore::parseDate(QStringLiteral("1,234.5"), &back));
        QVERIFY(!HighScore::parseDate(QStringLiteral("1e300"), &back));
    }

    // The longest meaning and the widest headword of the delivered dictionary fit the panel:
    // smaller where needed, cut at the end only, and whole in the tooltip.
    void longTextsFitThePanel() {
        installFonts();  // the program's own faces, whose Thai lines are taller
        Game g;
        QString meaning, headword;
        int tallest = 0, widest = 0;
        const QFontMetrics meaningAt19(windowFont(false, 19)), answerAt24(windowFont(true, 24));
        const QDir sources(QStringLiteral(LEXIVORE_SOURCE_DIR "/resources/dictionary/sources"));
        for (const QString& name : sources.entryList({QStringLiteral("*.tsv")})) {
            QFile file(sources.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            for (const DictionaryEntry& e : parseDictionary(file.readAll()).entries) {
                const int h =
                    meaningAt19.boundingRect(QRect(0, 0, 525, INT_MAX), Qt::TextWordWrap, e.meaning)
                        .height();
                if (h > tallest)
                    tallest = h, meaning = e.meaning;
                const int w = answerAt24.horizontalAdvance(e.headword);
                if (w > widest)
                    widest = w, headword = e.headword;
            }
        }
        QVERIFY2(tallest > 127 && widest > 537,  // both too big at the panel's own sizes
                 qPrintable(QStringLiteral("%1 px: %2; %3 px: %4")
                                .arg(tallest)
                                .arg(meaning)
                                .arg(widest)
                                .arg(headword)));

        auto* label = g.form.findChild<QLabel*>(QStringLiteral("DBText1"));
        showMeaning(label, meaning);
        QCOMPARE(label->toolTip(), meaning);
        QVERIFY(label->font().pixelSize() >= 13);
        const QFontMetrics shown(label->font());
        QVERIFY(shown.boundingRect(QRect(0, 0, 525, INT_MAX), Qt::TextWordWrap, label->text())
                    .height() <= 127);
        QVERIFY(label->text() == meaning ||
                (label->text().endsWith(u'…') && meaning.startsWith(label->text().chopped(1))));

        QToolButton* a = g.answer(1);
        showAnswer(a, headword);
        QCOMPARE(a->toolTip(), headword);
        QVERIFY(a->font().pixelSize() >= 13);
        QVERIFY(QFontMetrics(a->font()).horizontalAdvance(a->text()) <= a->width() - 12);
        QVERIFY(a->text() == headword ||
                (a->text().endsWith(u'…') && headword.startsWith(a->text().chopped(1))));
        showAnswer(a, QStringLiteral("beam"));  // a short one goes back to the full size
        QCOMPARE(a->font().pixelSize(), 24);
        QCOMPARE(a->text(), QStringLiteral("beam"));
    }

    // A store that cannot be read starts the quiz without a record and without a word.
    void unreadableStoreIsSilentAtStart() {
        test::TempDataDir dir(words(20));
        const QString ini = QDir(dir.path()).filePath(QStringLiteral("Registry.ini"));
        QVERIFY(QDir().mkpath(ini));  // a folder where the file should be
        test::ScriptedDialogs dialogs;
        TForm1 form(dir.path());
        QVERIFY(dialogs.boxes.empty());
        QCOMPARE(form.highScore().points, 0);
        QCOMPARE(form.highScore().holder, QString::fromUtf8(HighScore::kNoHolder));
    }

    void badStoredValuesAndUnwritableStore() {
        test::TempDataDir dir(words(20));
        const QString ini = QDir(dir.path()).filePath(QStringLiteral("Registry.ini"));
        {
            QSettings store(ini, QSettings::IniFormat);
            store.setValue(QStringLiteral("Software/Kolvane/MaxPoint"), QStringLiteral("many"));
            store.setValue(QStringLiteral("Software/Kolvane/MaxDate"), QStringLiteral("x1"));
        }
        test::ScriptedDialogs dialogs;
        TForm1 form(dir.path());
        QCOMPARE(dialogs.boxes.size(), size_t(1));
        QVERIFY(dialogs.boxes[0].text.contains(QStringLiteral("MaxPoint")));
        QVERIFY(dialogs.boxes[0].text.contains(QStringLiteral("MaxDate")));
        QCOMPARE(form.highScore().points, 0);
        QCOMPARE(form.quiz().drawRange(), 15);  // the later creation steps ran
        QCOMPARE(form.dictionaryTotal(), qint64(20));

        // A store that cannot be written: one box for each value.
        QFile::remove(ini);
        QVERIFY(QDir().mkpath(ini));  // a folder where the file should be
        dialogs.boxes.clear();
        form.highScore().write(&form);
        QCOMPARE(dialogs.boxes.size(), size_t(3));
        for (const auto& box : dialogs.boxes)
            QCOMPARE(box.text, QStringLiteral("Error in Opening Created Key 3"));
    }
};

int main(int argc, char** argv) {
    Application::prepare();
    Application app(argc, argv);
    TestQuiz t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_quiz.moc"
