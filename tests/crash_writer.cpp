// A copy of the program that keeps writing, for the crash and two-copies tests: it opens the
// main window on a data directory and repeats the user's writes, announcing each one before it
// starts ("? ...") and confirming it once the handler has returned ("! ..."):
//   H <text>   a search that finds something, of a text other than the last (one history row)
//   A <id>     a result row added to the chosen-word list (the new row's ID)
//   D <id>     the first chosen row deleted (its ID)
//   S <text>   the window closed with the text in the search box (the settings row)
// Usage: crash_writer DIR TAG SEED COUNT [OPS]   (OPS: the letters to draw from, default HADS)
// A TAG starting with 'q' searches Thai words, any other English words, so that two copies
// running at once never search the same text.
#include <unistd.h>

#include <QComboBox>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <random>

#include "app/Application.h"
#include "app/Main.h"
#include "data/Table.h"
#include "tests/TestSupport.h"

using namespace lex;

namespace {

void say(const QString& line) {
    const QByteArray bytes = (line + u'\n').toUtf8();
    // Unbuffered, so that a line written is a line the test can read after the kill.
    if (::write(STDOUT_FILENO, bytes.constData(), static_cast<size_t>(bytes.size())) < 0)
        std::_Exit(3);
}

}  // namespace

int main(int argc, char** argv) {
    Application::prepare();
    Application app(argc, argv);
    if (argc < 5)
        return 2;
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QString tag = QString::fromLocal8Bit(argv[2]);
    std::mt19937 random(static_cast<unsigned>(std::atoi(argv[3])));
    const int count = std::atoi(argv[4]);
    const QString ops = argc > 5 ? QString::fromLatin1(argv[5]) : QStringLiteral("HADS");

    test::ScriptedDialogs dialogs;
    TForm1 form(dir);
    form.show();
    auto* box = form.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    auto* results = form.findChild<QTableView*>(QStringLiteral("DBGrid1"));
    auto* remove = form.findChild<QToolButton*>(QStringLiteral("DBNavigator1"));
    form.Button10Click();  // one direction listed: rows to add from, and no history row
    const QStringList words = tag.startsWith(u'q')
                                  ? QStringList{"คาน", "เสา", "ความเค้น", "เหล็ก", "ไข"}
                                  : QStringList{"beam", "steel", "column", "stress", "truss"};
    QString lastWord;  // a search of the last history text again records nothing
    form.table3().last();
    if (form.table3().hasCurrentRow())
        lastWord = form.table3().fieldText(QStringLiteral("Text"));
    say(QStringLiteral("ready"));

    for (int i = 0; i < count; ++i) {
        const size_t failedBefore = dialogs.boxes.size();
        const QChar op = ops.at(static_cast<qsizetype>(random() % ops.size()));
        QString what;
        if (op == u'H') {
            QString word;
            do
                word = words.at(static_cast<qsizetype>(random() % words.size()));
            while (word == lastWord);
            lastWord = word;
            what = QStringLiteral("H ") + word;
            say(QStringLiteral("? ") + what);
            box->setEditText(what.mid(2));
            form.Button1Click();
            form.Button10Click();
        } else if (op == u'A') {
            const int rows = results->model()->rowCount();
            if (rows == 0)
                continue;
            results->setCurrentIndex(results->model()->index(static_cast<int>(random() % rows), 0));
            say(QStringLiteral("? A"));
            form.DBGrid1DblClick();
            what = QStringLiteral("A %1").arg(form.table2().fieldInt(QStringLiteral("ID")));
        } else if (op == u'D') {
            if (form.table2().isEmpty())
                continue;
            form.table2().first();
            what = QStringLiteral("D %1").arg(form.table2().fieldInt(QStringLiteral("ID")));
            say(QStringLiteral("? ") + what);
            remove->click();
        } else {
            what = QStringLiteral("S %1 s%2").arg(tag).arg(i);
            say(QStringLiteral("? ") + what);
            box->setEditText(what.mid(2));
            dialogs.confirmAnswers = {true};
            form.close();
            form.show();
        }
        const bool failed = std::any_of(
            dialogs.boxes.begin() + static_cast<long>(failedBefore), dialogs.boxes.end(),
            [](const auto& b) { return b.kind == QLatin1String("message"); });
        say((failed ? QStringLiteral("x ") : QStringLiteral("! ")) + what);
    }
    say(QStringLiteral("done"));
    return 0;
}
