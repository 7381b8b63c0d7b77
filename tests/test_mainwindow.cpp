// The main window as the user meets it: lifecycle and settings, layout and menus, browsing, the
// chosen-word list, and a whole run closed and started again.
#include <sqlite3.h>

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <QAccessible>

#include "app/Application.h"
#include "app/Main.h"
#include "app/StartupSequence.h"
#include "data/AliasResolver.h"
#include "data/Database.h"
#include "data/ResultQuery.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "tests/TestSupport.h"
#include "ui/Controls.h"
#include "ui/Formats.h"
#include "ui/Gauge.h"

using namespace lex;

namespace {

using test::find;

int settingRows(const QString& dir) {
    sqlite3* db = nullptr;
    sqlite3_open((dir + QStringLiteral("/Setting.db")).toUtf8().constData(), &db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM Setting", -1, &st, nullptr);
    sqlite3_step(st);
    const int n = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    sqlite3_close(db);
    return n;
}

void doubleClickRow(QTableView* grid, int row) {
    const QRect r = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, r.center());
}

void search(TForm1& form, const QString& text) {
    find<QComboBox>(form, "ComboBox1")->setEditText(text);
    find<QPushButton>(form, "Button1")->click();
}

// What the second start must show after the first one searched "steel" and "beam", chose two
// words and closed with the meaning toggle down.
void checkRestored(TForm1& form) {
    auto* box = find<QComboBox>(form, "ComboBox1");
    QCOMPARE(box->currentText(), QStringLiteral("beam"));
    QCOMPARE(box->count(), 2);
    QCOMPARE(box->itemText(0), QStringLiteral("beam"));
    QCOMPARE(box->itemText(1), QStringLiteral("steel"));
    QVERIFY(find<QToolButton>(form, "SpeedButton7")->isChecked());
    QVERIFY(!find<QToolButton>(form, "SpeedButton6")->isChecked());
    QVERIFY(!find<QTableView>(form, "DBGrid1")->isEnabled());
    auto* list = find<QTableView>(form, "DBGrid2");
    QCOMPARE(list->model()->rowCount(), 2);
    QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("beam"));
    QCOMPARE(list->model()->index(1, 0).data().toString(), QStringLiteral("steel beam"));
    QCOMPARE(find<QLineEdit>(form, "Edit3")->text(), QStringLiteral("2"));
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // The history offers itself in the drop-down list only: what the user types is what is
    // searched and recorded, never a completion of it.
    void typedTextIsSearchedAsTyped() {
        test::TempDataDir dir(test::sampleEntries());
        TForm1 form(dir.path());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* box = find<QComboBox>(form, "ComboBox1");
        search(form, QStringLiteral("steel beam"));
        QCOMPARE(form.query1().recordCount(), 1);
        box->setEditText(QString());
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("steel"));
        QCOMPARE(box->currentText(), QStringLiteral("steel"));
        QCOMPARE(box->lineEdit()->selectedText(), QString());
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(form.query1().recordCount(), 3);  // steel, steel beam and เหล็กกล้า's Steel
        QCOMPARE(box->itemText(0), QStringLiteral("steel"));
        QCOMPARE(box->itemText(1), QStringLiteral("steel beam"));
        QCOMPARE(box->count(), 2);
    }

    // Tab walks every reachable control once in the window's order and comes back round; the
    // grids keep the arrow keys for their rows.
    void tabWalksEveryControlInOrder() {
        test::TempDataDir dir(test::sampleEntries());
        TForm1 form(dir.path());
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        search(form, QStringLiteral("beam"));
        doubleClickRow(find<QTableView>(form, "DBGrid1"), 0);  // the list's buttons come alive
        auto* box = find<QComboBox>(form, "ComboBox1");
        box->setFocus();
        const QStringList expected{
            "ComboBox1",    "Button1",  "SpeedButton6", "SpeedButton7", "DBGrid1", "DBGrid2",
            "DBNavigator1", "Button8",  "Button9",      "Edit3",        "Edit2",   "Button2",
            "Button3",      "Button4",  "Button5",      "Button6",      "Button7", "Button10",
            "Button11",     "Button12", "Button13",     "ComboBox1"};
        QStringList walked{QApplication::focusWidget()->objectName()};
        if (walked.first().isEmpty())  // the box's own line edit holds the focus
            walked.first() = QApplication::focusWidget()->parentWidget()->objectName();
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* w = QApplication::focusWidget();
            walked << (w->objectName().isEmpty() && w->parentWidget()
                           ? w->parentWidget()->objectName()
                           : w->objectName());
        }
        QCOMPARE(walked, expected);
        // Shift+Tab leaves a grid backwards too.
        find<QTableView>(form, "DBGrid2")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("DBGrid1"));
        // Down moves the result grid's row, not the focus.
        auto* grid = find<QTableView>(form, "DBGrid1");
        const int row = grid->currentIndex().row();
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), grid);
        QCOMPARE(grid->currentIndex().row(), row + 1);
    }

    // Every control a user can reach has a name a screen reader can say.
    void everyReachableControlHasAName() {
        test::TempDataDir dir(test::sampleEntries());
        TForm1 form(dir.path());
        QStringList nameless;
        for (QWidget* w : form.findChildren<QWidget*>()) {
            if (w->isHidden() || w->objectName().isEmpty() || !w->isVisibleTo(&form))
                continue;
            const bool reachable =
                w->focusPolicy() != Qt::NoFocus || !w->toolTip().isEmpty() ||
                (qobject_cast<QLabel*>(w) && !static_cast<QLabel*>(w)->pixmap().isNull());
            if (!reachable)
                continue;
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            const QString name = a ? a->text(QAccessible::Name) : QString();
            bool readable = false;
            for (QChar c : name)
                readable = readable || c.isLetterOrNumber();
            if (!readable)
                nameless << w->objectName();
        }
        QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(u' ')));
        QAccessibleInterface* remove =
            QAccessible::queryAccessibleInterface(find<QWidget>(form, "DBNavigator1"));
        QCOMPARE(remove->text(QAccessible::Name), QStringLiteral("ลบศัพท์ออกจากรายการ"));
    }

    // On a dark theme the headwords take a lighter blue that stays readable (4.5 : 1); on the
    // ordinary light theme they stay pure blue.
    void headwordsStayReadableOnADarkTheme() {
        QCOMPARE(readableOn(QColor(Qt::blue), QColor(255, 255, 225)), QColor(Qt::blue));
        const QColor dark(43, 43, 43);
        const QColor shade = readableOn(QColor(Qt::blue), dark);
        auto lum = [](const QColor& c) {
            auto ch = [](double v) {
                return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * ch(c.redF()) + 0.7152 * ch(c.greenF()) + 0.0722 * ch(c.blueF());
        };
        QVERIFY((lum(shade) + 0.05) / (lum(dark) + 0.05) >= 4.5);
        QCOMPARE(shade.hslHue(), QColor(Qt::blue).hslHue());

        const QPalette before = QApplication::palette();
        QPalette darkPalette = before;
        darkPalette.setColor(QPalette::ToolTipBase, dark);
        darkPalette.setColor(QPalette::Window, dark);
        QApplication::setPalette(darkPalette);
        test::TempDataDir dir(test::sampleEntries());
        TForm1 form(dir.path());
        search(form, QStringLiteral("beam"));
        const QColor shown = find<QTableView>(form, "DBGrid1")
                                 ->model()
                                 ->index(0, 0)
                                 .data(Qt::ForegroundRole)
                                 .value<QColor>();
        QApplication::setPalette(before);
        QCOMPARE(shown, shade);
    }

    void layoutMatchesTheTables() {
        test::TempDataDir dir(test::sampleEntries());
        TForm1 form(dir.path());
        form.show();
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form.centralWidget()->size(), QSize(794, 478));
        const struct {
            const char* name;
            QRect geometry;
        } placed[] = {{"DBGrid1", {12, 52, 589, 362}},     {"Panel1", {611, 8, 166, 174}},
                      {"GroupBox2", {611, 186, 167, 229}}, {"DBGrid2", {13, 19, 142, 165}},
                      {"Edit3", {13, 193, 31, 21}},        {"DBNavigator1", {47, 192, 34, 25}},
                      {"Button9", {82, 192, 34, 25}},      {"Button8", {118, 192, 34, 25}},
                      {"Bevel2", {160, 436, 615, 35}},     {"Button2", {167, 441, 99, 25}},
                      {"Button7", {666, 441, 99, 25}},     {"Image1", {13, 9, 140, 63}},
                      {"Button13", {13, 144, 41, 22}},     {"Gauge6", {63, 80, 85, 85}},
                      {"Edit2", {72, 443, 57, 21}}};
        for (const auto& p : placed)
            QCOMPARE(form.findChild<QWidget*>(QString::fromLatin1(p.name))->geometry(), p.geometry);
        // Never shown, in any state.
        for (const char* hidden :
             {"Label2", "SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4", "GroupBox1",
              "Gauge1", "Gauge2", "Gauge3", "Gauge4", "Gauge5", "Panel2", "Panel4"})
            QVERIFY2(!form.findChild<QWidget*>(QString::fromLatin1(hidden))->isVisible(), hidden);
        QCOMPARE(find<QWidget>(form, "Panel2")->pos(), QPoint(4, 3));
        QCOMPARE(find<QWidget>(form, "Panel4")->size(), QSize(779, 472));
        // The visible areas do not overlap.
        const char* areas[] = {"DBGrid1", "Panel1",    "GroupBox2", "Bevel2",
                               "Bevel3",  "ComboBox1", "Button1",   "Edit2"};
        for (const char* a : areas)
            for (const char* b : areas)
                if (qstrcmp(a, b) < 0)
                    QVERIFY2(!find<QWidget>(form, a)->geometry().intersects(
                                 find<QWidget>(form, b)->geometry()),
                             qPrintable(QStringLiteral("%1 overlaps %2").arg(a, b)));
        QCOMPARE(find<QPushButton>(form, "Button9")->text(), QStringLiteral("ล้าง"));
        QVERIFY(!find<QPushButton>(form, "Button9")->isEnabled());
        QCOMPARE(find<QGroupBox>(form, "GroupBox2")->title(), QStringLiteral(" คำที่เลือกไว้ "));
        QCOMPARE(find<QWidget>(form, "Panel1")->toolTip(), QString());  // its hint is not shown
    }

    void menusCarryTheirShortcuts() {
        test::TempDataDir dir;
        TForm1 form(dir.path());
        const struct {
            const char* name;
            const char* caption;
            QKeySequence key;
        } items[] = {{"N8", "ตั้งค่าเครื่องพิมพ์", QKeySequence(QStringLiteral("Ctrl+Alt+P"))},
                     {"N9", "ออกจากโปรแกรม", QKeySequence(QStringLiteral("Ctrl+Q"))},
                     {"N12", "เกมส์เศรษฐีคำศัพท์วิศวกรรม", QKeySequence(Qt::Key_F5)},
                     {"N15", "เครื่องมือแปลงหน่วยทางวิศวกรรม", QKeySequence(Qt::Key_F6)},
                     {"KolvaneWebsite1", "Kolvane Website", {}},
                     {"OnlineDictionary1", "Online Dictionary", {}},
                     {"Update1", "Update คำศัพท์", {}},
                     {"N4", "เกี่ยวกับผลิตภัณฑ์", {}}};
        for (const auto& i : items) {
            auto* a = form.findChild<QAction*>(QString::fromLatin1(i.name));
            QVERIFY2(a, i.name);
            QCOMPARE(a->text(), QString::fromUtf8(i.caption));
            QCOMPARE(a->shortcut(), i.key);
        }
        QStringList menus;
        for (QAction* a : form.menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus, (QStringList{"หลัก", "เครื่องมือ", "เกี่ยวกับ"}));
    }

    void closingAsksAndNoChangesNothing() {
        test::TempDataDir dir(test::sampleEntries());
        TForm1 form(dir.path());
        form.show();
        search(form, QStringLiteral("beam"));
        find<QToolButton>(form, "SpeedButton6")->setChecked(true);
        test::ScriptedDialogs dialogs;
        dialogs.confirmAnswers = {false, false};
        QVERIFY(!form.close());
        find<QAction>(form, "N9")->trigger();
        QVERIFY(form.isVisible());
        QCOMPARE(dialogs.boxes.size(), size_t(2));
        for (const auto& box : dialogs.boxes) {
            QCOMPARE(box.kind, QStringLiteral("confirm"));
            QCOMPARE(box.text, QStringLiteral("กรุณายืนยันที่จะออกจากโปรแกรม ?"));
        }
        QCOMPARE(settingRows(dir.path()), 0);
        QCOMPARE(find<QComboBox>(form, "ComboBox1")->currentText(), QStringLiteral("beam"));
        QCOMPARE(find<QLineEdit>(form, "Edit2")->text(), QStringLiteral("5"));
        // Ctrl+Q asks the same question.
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        dialogs.confirmAnswers = {false};
        QTest::keyClick(&form, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(dialogs.boxes.size(), size_t(3));
    }

    void settingsRoundTripThroughCloseAndStart() {
        test::TempDataDir dir(test::sampleEntries());
        {
            TForm1 form(dir.path());
            QCOMPARE(find<QComboBox>(form, "ComboBox1")->currentText(), QString());
            QVERIFY(!find<QToolButton>(form, "SpeedButton7")->isChecked());
            find<QComboBox>(form, "ComboBox1")->setEditText(QString(300, u'ก'));
            find<QToolButton>(form, "SpeedButton7")->setChecked(true);
            find<QToolButton>(form, "SpeedButton3")->setChecked(true);
            test::ScriptedDialogs dialogs;
            dialogs.confirmAnswers = {false, true};
            form.show();
            QVERIFY(!form.close());
            find<QToolButton>(form, "SpeedButton6")->setChecked(true);  // after the refusal
            QVERIFY(form.close());
            QCOMPARE(settingRows(dir.path()), 1);
        }
        {
            TForm1 form(dir.path());
            QCOMPARE(find<QComboBox>(form, "ComboBox1")->currentText(), QString(255, u'ก'));
            QVERIFY(find<QToolButton>(form, "SpeedButton6")->isChecked());
            QVERIFY(find<QToolButton>(form, "SpeedButton7")->isChecked());
            QVERIFY(find<QToolButton>(form, "SpeedButton3")->isChecked());
            QVERIFY(!find<QToolButton>(form, "SpeedButton1")->isChecked());
            find<QComboBox>(form, "ComboBox1")->setEditText(QStringLiteral("truss"));
            find<QToolButton>(form, "SpeedButton6")->setChecked(false);
            test::ScriptedDialogs dialogs;
            dialogs.confirmAnswers = {true};
            form.show();
            QVERIFY(form.close());
        }
        QCOMPARE(settingRows(dir.path()), 1);  // the same row, updated
        TForm1 form(dir.path());
        QCOMPARE(find<QComboBox>(form, "ComboBox1")->currentText(), QStringLiteral("truss"));
        QVERIFY(!find<QToolButton>(form, "SpeedButton6")->isChecked());
    }

    void failedSaveKeepsTheWindowOpenAndTheRowInEditing() {
        test::TempDataDir dir(test::sampleEntries());
        TForm1 form(dir.path());
        form.show();
        QVERIFY(test::sqliteExec(dir.file(QStringLiteral("Setting.db")),
                                 "CREATE TRIGGER refuse BEFORE INSERT ON Setting "
                                 "BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END;"));
        find<QComboBox>(form, "ComboBox1")->setEditText(QStringLiteral("kept"));
        test::ScriptedDialogs dialogs;
        dialogs.confirmAnswers = {true, true};
        QVERIFY(!form.close());
        QVERIFY(form.isVisible());
        QCOMPARE(dialogs.boxes.back().icon, BoxIcon::Stop);
        QVERIFY(dialogs.boxes.back().text.contains(QStringLiteral("disk I/O error")));
        QCOMPARE(form.table4().state(), Table::State::Insert);
        QVERIFY(test::sqliteExec(dir.file(QStringLiteral("Setting.db")), "DROP TRIGGER refuse"));
        QVERIFY(form.close());
        QCOMPARE(settingRows(dir.path()), 1);
    }

    void clockShowsTheLocalesDate() {
        const QDateTime when(QDate(2026, 12, 8), QTime(14, 5, 9));
        QCOMPARE(longDate(when, QLocale(QLocale::Thai, QLocale::Thailand)),
                 QStringLiteral("08 ธันวาคม 2569"));
        QCOMPARE(longDate(when, QLocale(QLocale::English, QLocale::UnitedKingdom)),
                 QStringLiteral("08 December 2026"));
        const QString thai = clockText(when, QLocale(QLocale::Thai, QLocale::Thailand));
        QVERIFY2(thai.startsWith(QStringLiteral("08 ธันวาคม 2569 เวลา ")), qPrintable(thai));
        QVERIFY2(thai.contains(QStringLiteral("05")) && thai.contains(QStringLiteral("09")),
                 qPrintable(thai));

        test::TempDataDir dir;
        TForm1 form(dir.path());
        QCOMPARE(form.statusText(1), QString());
        QTRY_VERIFY_WITH_TIMEOUT(form.statusText(1).contains(QStringLiteral(" เวลา ")), 2500);
    }

    void browseListsOneDirection() {
        test::TempDataDir dir(test::sampleEntries());
        TForm1 form(dir.path());
        auto* box = find<QComboBox>(form, "ComboBox1");
        box->setEditText(QStringLiteral("unchanged"));
        const int items = box->count();
        auto* grid = find<QTableView>(form, "DBGrid1");
        QVERIFY(!grid->isEnabled());
        qint64 sum = 0;
        const int expected[] = {5, 3, 2, 2};
        const char* buttons[] = {"Button10", "Button11", "Button12", "Button13"};
        for (int d = 0; d < 4; ++d) {
            find<QPushButton>(form, buttons[d])->click();
            QVERIFY(grid->isEnabled());
            QCOMPARE(form.query1().sql(),
                     (QStringList{"Select * From Main_data",
                                  QStringLiteral("Where Type = %1").arg(d + 1), "Order by Data"}));
            QCOMPARE(form.query1().recordCount(), expected[d]);
            QCOMPARE(find<QLineEdit>(form, "Edit2")->text(), QString::number(expected[d]));
            sum += form.query1().recordCount();
        }
        QCOMPARE(sum, form.dictionaryTotal());
        QCOMPARE(find<Gauge>(form, "Gauge6")->progress(), 18);  // 2 × 100 ÷ 12 = 16.7 → 17 + 1
        QCOMPARE(box->currentText(), QStringLiteral("unchanged"));
        QCOMPARE(box->count(), items);
        QCOMPARE(form.table3().recordCount(), 0);
    }

    void emptyDirectionShowsZeroAndOnePercent() {
        test::TempDataDir dir({{QStringLiteral("beam"), QStringLiteral("คาน"), 1, 0}});
        TForm1 form(dir.path());
        find<QPushButton>(form, "Button13")->click();
        QCOMPARE(find<QLineEdit>(form, "Edit2")->text(), QStringLiteral("0"));
        QCOMPARE(find<Gauge>(form, "Gauge6")->progress(), 1);
    }

    void chosenWordsAreAddedDeletedAndCleared() {
        test::TempDataDir dir(test::sampleEntries());
        TForm1 form(dir.path());
        form.show();
        auto* results = find<QTableView>(form, "DBGrid1");
        auto* list = find<QTableView>(form, "DBGrid2");
        auto* count = find<QLineEdit>(form, "Edit3");
        auto* clear = find<QPushButton>(form, "Button9");
        auto* print = find<QPushButton>(form, "Button8");
        auto* remove = find<QToolButton>(form, "DBNavigator1");
        QVERIFY(!clear->isEnabled() && !print->isEnabled() && !remove->isEnabled());

        search(form, QStringLiteral("xyzzy"));  // nothing found: nothing to add
        form.DBGrid1DblClick();
        QCOMPARE(form.table2().recordCount(), 0);

        search(form, QStringLiteral("beam"));
        doubleClickRow(results, 1);
        doubleClickRow(results, 1);
        QCOMPARE(form.table2().recordCount(), 2);
        QCOMPARE(count->text(), QStringLiteral("2"));
        QVERIFY(clear->isEnabled() && print->isEnabled() && remove->isEnabled());
        QCOMPARE(list->model()->rowCount(), 2);
        QCOMPARE(list->model()->index(0, 0).data().toString(), QStringLiteral("beam"));
        QCOMPARE(list->model()->index(1, 0).data().toString(), QStringLiteral("beam"));

        // A double-click on the list sends its headword to the search.
        search(form, QStringLiteral("truss"));
        doubleClickRow(list, 0);
        QCOMPARE(find<QComboBox>(form, "ComboBox1")->currentText(), QStringLiteral("beam"));
        QCOMPARE(find<QLineEdit>(form, "Edit2")->text(), QStringLiteral("5"));

        test::ScriptedDialogs dialogs;
        dialogs.confirmAnswers = {false};
        clear->click();
        QCOMPARE(dialogs.boxes.size(), size_t(1));
        QCOMPARE(dialogs.boxes[0].text, QStringLiteral("กรุณายืนยันที่จะลบคำศัพท์ทั้งหมดออกจากรายการ"));
        QCOMPARE(form.table2().recordCount(), 2);
        QVERIFY(clear->isEnabled());

        remove->click();
        QCOMPARE(count->text(), QStringLiteral("1"));
        QVERIFY(remove->isEnabled());
        remove->click();
        QCOMPARE(count->text(), QStringLiteral("0"));
        QVERIFY(!clear->isEnabled() && !print->isEnabled() && !remove->isEnabled());

        clear->click();  // an empty list asks nothing
        QCOMPARE(dialogs.boxes.size(), size_t(1));

        search(form, QStringLiteral("beam"));
        form.DBGrid1DblClick();
        dialogs.confirmAnswers = {true};
        clear->click();
        QCOMPARE(form.table2().recordCount(), 0);
        QCOMPARE(count->text(), QStringLiteral("0"));
        QVERIFY(!clear->isEnabled());
    }

    void addingFromAClosedResultReportsTheError() {
        test::TempDataDir dir(test::sampleEntries());
        TForm1 form(dir.path());
        search(form, QStringLiteral("beam"));
        form.query1().close();  // as after a statement the engine refused
        test::ScriptedDialogs dialogs;
        form.DBGrid1DblClick();
        QCOMPARE(dialogs.boxes.size(), size_t(1));
        QCOMPARE(dialogs.boxes[0].text,
                 QStringLiteral("Cannot perform this operation on a closed dataset"));
        QCOMPARE(form.table2().recordCount(), 0);
    }

    void aThousandChosenWordsShowWithSeparators() {
        test::TempDataDir dir(test::sampleEntries());
        QVERIFY(test::sqliteExec(
            dir.file(QStringLiteral("Choose_Data.db")),
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
            "INSERT INTO Choose_Data (Data_ID) SELECT 1.0 FROM n"));
        TForm1 form(dir.path());
        QCOMPARE(find<QLineEdit>(form, "Edit3")->text(), QStringLiteral("1,000"));
        QVERIFY(find<QPushButton>(form, "Button8")->isEnabled());
    }

    // The list takes each added or deleted row on its own, and always shows the table as it is,
    // rows another running copy added included.
    void chosenListFollowsTheTableRowByRow() {
        test::TempDataDir dir(test::sampleEntries());
        TForm1 form(dir.path());
        auto* results = find<QTableView>(form, "DBGrid1");
        QAbstractItemModel* model = find<QTableView>(form, "DBGrid2")->model();
        QSignalSpy resets(model, &QAbstractItemModel::modelReset);
        auto shown = [&] {
            QStringList s;
            for (int r = 0; r < model->rowCount(); ++r)
                s << model->index(r, 0).data().toString();
            return s;
        };
        auto stored = [&] {
            QStringList s;
            for (const QVariantMap& row : form.table2().allRows())
                s << row.value(QStringLiteral("Data")).toString();
            return s;
        };
        search(form, QStringLiteral("beam"));
        for (int row : {0, 1, 0}) {
            results->setCurrentIndex(results->model()->index(row, 0));
            form.DBGrid1DblClick();
        }
        QCOMPARE(shown(), stored());
        QCOMPARE(shown().size(), 3);
        form.table2().first();
        form.table2().next();
        form.table2().deleteRow();
        QCOMPARE(shown(), stored());
        QCOMPARE(resets.count(), 0);  // row by row, never the whole list

        Database other(dir.path());
        Table theirs(other, schema::chooseData());
        theirs.open();
        theirs.append();
        theirs.setField(QStringLiteral("Data_ID"), 3.0);
        theirs.post();
        results->setCurrentIndex(results->model()->index(1, 0));
        form.DBGrid1DblClick();
        QCOMPARE(shown(), stored());
        QCOMPARE(shown().size(), 4);
    }

    // The whole program: start through the alias, search, choose two words, close with Yes,
    // start again and find everything as it was.
    void wholeRunIsKeptForTheNextStart() {
        test::TempDataDir dir(test::sampleEntries());
        QString error;
        QVERIFY(alias::define(QStringLiteral("Ruv Idez"), dir.path(), &error));
        test::ScriptedDialogs dialogs;
        StartupOptions options;
        options.splashMinimumMs = 50;
        options.whenRunning = [](TForm1& form) {
            QTimer::singleShot(0, &form, [&form] {
                auto* box = find<QComboBox>(form, "ComboBox1");
                box->setEditText(QStringLiteral("steel"));
                QTest::keyClick(box, Qt::Key_Return);
                box->setEditText(QStringLiteral("beam"));
                find<QPushButton>(form, "Button1")->click();
                find<QToolButton>(form, "SpeedButton7")->setChecked(true);
                auto* results = find<QTableView>(form, "DBGrid1");
                doubleClickRow(results, 1);
                doubleClickRow(results, 3);
                form.activateWindow();
                if (!QTest::qWaitForWindowActive(&form))
                    qWarning("the main window did not become active");
                QTest::keyClick(&form, Qt::Key_Q, Qt::ControlModifier);
            });
        };
        dialogs.confirmAnswers = {true};
        QCOMPARE(runStartup(*qApp, options), 0);

        options.whenRunning = [](TForm1& form) {
            QTimer::singleShot(0, &form, [&form] {
                checkRestored(form);
                form.close();
            });
        };
        dialogs.confirmAnswers = {true};
        QCOMPARE(runStartup(*qApp, options), 0);
        QFile::remove(alias::userAliasFile());
    }
};

int main(int argc, char** argv) {
    Application::prepare();
    Application app(argc, argv);
    TestMainWindow t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_mainwindow.moc"
