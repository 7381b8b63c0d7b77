// Start-up, the splash window, the main window's search controls and the default error handler.
#include <sqlite3.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "app/Application.h"
#include "app/Main.h"
#include "app/StartupSequence.h"
#include "app/Usplash.h"
#include "data/AliasResolver.h"
#include "data/DataError.h"
#include "data/ResultQuery.h"
#include "data/Table.h"
#include "tests/TestSupport.h"
#include "ui/ErrorBox.h"
#include "ui/Gauge.h"

using namespace lex;

namespace {

using test::find;

void addHistory(const QString& dir, const QStringList& texts) {
    sqlite3* db = nullptr;
    sqlite3_open((dir + QStringLiteral("/Lastest_Search.db")).toUtf8().constData(), &db);
    for (const QString& t : texts) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO Lastest_Search (Text) VALUES (?)", -1, &st, nullptr);
        const QByteArray u = t.toUtf8();
        sqlite3_bind_text(st, 1, u.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
}

}  // namespace

class TestApp : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void splashStepsThroughItsCaptions() {
        TTsplash splash;
        QCOMPARE(splash.windowTitle(), QStringLiteral("Boxes in a box"));
        QCOMPARE(splash.size(), QSize(391, 295));
        auto* label = find<QLabel>(splash, "Label1");
        auto* bar = find<QProgressBar>(splash, "ProgressBar1");
        QCOMPARE(label->text(), QStringLiteral("initializing.."));
        QCOMPARE(label->pos(), QPoint(17, 217));
        QCOMPARE(bar->geometry(), QRect(116, 216, 262, 18));
        QCOMPARE(bar->value(), 0);
        QVERIFY(!find<QLabel>(splash, "Image1")->pixmap().isNull());
        const QStringList captions{"Check database.",    "Check database..", "Check database...",
                                   "Check database....", "Start program",    "Start program",
                                   "Start program"};
        const QList<int> values{20, 40, 60, 80, 100, 100, 100};
        for (int step = 0; step < captions.size(); ++step) {
            splash.Timer3Timer();
            QCOMPARE(label->text(), captions[step]);
            QCOMPARE(bar->value(), values[step]);
        }
    }

    void splashRefusesToCloseDuringItsMinimumTime() {
        TTsplash splash;
        QCOMPARE(splash.findChild<QTimer*>(QStringLiteral("Timer1"))->interval(), 6000);
        QCOMPARE(splash.findChild<QTimer*>(QStringLiteral("Timer3"))->interval(), 500);
        QVERIFY(!splash.FormCloseQuery());
        splash.show();
        QVERIFY(!splash.close());
        QVERIFY(splash.isVisible());
        // A timer delivered early does not free it before its time.
        splash.Timer1Timer();
        QVERIFY(!splash.FormCloseQuery());
        QVERIFY(!splash.close());
    }

    // Measured on the clock, as a user would: the splash never frees itself early.
    void splashMinimumTimeHoldsOnTheClock() {
        constexpr int minimum = 300;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer clock;
            clock.start();
            TTsplash splash(nullptr, minimum);
            while (!splash.FormCloseQuery() && clock.elapsed() < 10 * minimum)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            QVERIFY(splash.FormCloseQuery());
            QVERIFY2(clock.elapsed() >= minimum, qPrintable(QString::number(clock.elapsed())));
        }
    }

    void startupFailuresEndWithExitCodeOne_data() {
        QTest::addColumn<QString>("damage");
        QTest::newRow("alias not defined") << "alias";
        QTest::newRow("directory missing") << "nodir";
        QTest::newRow("table file missing") << "Choose_Data.db";
        QTest::newRow("not a database") << "garbage";
    }
    void startupFailuresEndWithExitCodeOne() {
        QFETCH(QString, damage);
        QFile::remove(alias::userAliasFile());
        test::TempDataDir dir(test::sampleEntries());
        StartupOptions options;
        options.splashMinimumMs = 50;
        options.dataDirectory = dir.path();
        if (damage == QLatin1String("alias")) {
            options.dataDirectory.clear();
        } else if (damage == QLatin1String("nodir")) {
            options.dataDirectory += QStringLiteral("/gone");
        } else if (damage == QLatin1String("garbage")) {
            QFile f(dir.file(QStringLiteral("Main_Data.DB")));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("this is not a table file at all, just some text that is long enough.");
        } else {
            QVERIFY(QFile::remove(dir.file(damage)));
        }
        test::ScriptedDialogs dialogs;
        QCOMPARE(runStartup(*qApp, options), 1);
        QCOMPARE(dialogs.boxes.size(), size_t(1));
        QCOMPARE(dialogs.boxes[0].caption, QStringLiteral("Application Error"));
        QCOMPARE(dialogs.boxes[0].icon, BoxIcon::Stop);
        QVERIFY(QApplication::topLevelWidgets().isEmpty() ||
                std::none_of(QApplication::topLevelWidgets().begin(),
                             QApplication::topLevelWidgets().end(),
                             [](QWidget* w) { return w->isVisible(); }));
    }

    void startupThroughTheAliasRunsAndEndsWithZero() {
        test::TempDataDir dir(test::sampleEntries());
        QString error;
        QVERIFY(alias::define(QStringLiteral("Ruv Idez"), dir.path(), &error));
        StartupOptions options;
        options.splashMinimumMs = 100;
        bool shown = false;
        options.whenRunning = [&](TForm1& form) {
            shown = form.isVisible();
            QCOMPARE(form.windowTitle(),
                     QStringLiteral("Kolvane : Engineering Dictionary Lexivore Version 2.0"));
            QTimer::singleShot(0, &form, &QWidget::close);
        };
        test::ScriptedDialogs dialogs;
        dialogs.confirmAnswers = {true};  // the close confirmation
        QCOMPARE(runStartup(*qApp, options), 0);
        QVERIFY(shown);
        QCOMPARE(dialogs.boxes.size(), size_t(1));
        QCOMPARE(dialogs.boxes[0].text, QStringLiteral("กรุณายืนยันที่จะออกจากโปรแกรม ?"));
        QFile::remove(alias::userAliasFile());
    }

    void mainWindowStartsWithAnEmptyResult() {
        test::TempDataDir dir(test::sampleEntries());
        addHistory(dir.path(), {"beam", "steel", "column"});
        TForm1 form(dir.path());
        auto* grid = find<QTableView>(form, "DBGrid1");
        QCOMPARE(grid->geometry(), QRect(12, 52, 589, 362));
        QVERIFY(!grid->isEnabled());
        QCOMPARE(grid->model()->rowCount(), 0);
        QCOMPARE(grid->columnWidth(0), 138);
        QCOMPARE(find<QLineEdit>(form, "Edit2")->text(), QStringLiteral("0"));
        QCOMPARE(find<Gauge>(form, "Gauge6")->progress(), 0);
        QVERIFY(!form.query1().isOpen());
        QCOMPARE(form.dictionaryTotal(), qint64(12));
        auto* box = find<QComboBox>(form, "ComboBox1");
        QCOMPARE(box->geometry(), QRect(76, 17, 276, 21));
        QCOMPARE(box->count(), 3);
        QCOMPARE(box->itemText(0), QStringLiteral("column"));
        QCOMPARE(box->itemText(2), QStringLiteral("beam"));
        QCOMPARE(box->currentText(), QString());
        QCOMPARE(find<QPushButton>(form, "Button1")->text(), QStringLiteral("ทำการแปล"));
        QCOMPARE(find<QToolButton>(form, "SpeedButton6")->geometry(), QRect(473, 15, 61, 25));
        QCOMPARE(find<QToolButton>(form, "SpeedButton7")->geometry(), QRect(536, 15, 61, 25));
        QCOMPARE(find<QLabel>(form, "Label1")->text(), QStringLiteral("ป้อนคำ >>"));
        QVERIFY(find<QLabel>(form, "Label3") && find<QLabel>(form, "Label4"));
        QVERIFY(find<QFrame>(form, "Bevel3") && find<QFrame>(form, "Panel1"));
    }

    void enterAndClickSearchAlike() {
        test::TempDataDir dir(test::sampleEntries());
        TForm1 form(dir.path());
        auto* box = find<QComboBox>(form, "ComboBox1");
        auto* count = find<QLineEdit>(form, "Edit2");
        form.show();
        box->setEditText(QStringLiteral("beam"));
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY(find<QTableView>(form, "DBGrid1")->isEnabled());
        const QString byEnter = count->text();
        const int gauge = find<Gauge>(form, "Gauge6")->progress();
        QCOMPARE(byEnter, QStringLiteral("5"));
        QTest::mouseClick(find<QPushButton>(form, "Button1"), Qt::LeftButton);
        QCOMPARE(count->text(), byEnter);
        QCOMPARE(find<Gauge>(form, "Gauge6")->progress(), gauge);
        QCOMPARE(form.table3().recordCount(), 1);
        QCOMPARE(box->count(), 1);
        QCOMPARE(box->currentText(), QStringLiteral("beam"));
        // The grid's current row is the query's current row.
        auto* grid = find<QTableView>(form, "DBGrid1");
        grid->setCurrentIndex(grid->model()->index(2, 1));
        QCOMPARE(form.query1().currentRow(), 2);
    }

    void escapedErrorsShowTheDefaultErrorBox() {
        test::ScriptedDialogs dialogs;
        bool after = false;
        guarded([&] {
            throw DataError(QStringLiteral("Field 'Text' must have a value"));
            after = true;
        });
        QVERIFY(!after);
        QCOMPARE(dialogs.boxes.size(), size_t(1));
        QCOMPARE(dialogs.boxes[0].caption,
                 QStringLiteral("Kolvane : Engineering Dictionary Lexivore Version 1.0"));
        QCOMPARE(dialogs.boxes[0].text, QStringLiteral("Field 'Text' must have a value"));
        QCOMPARE(dialogs.boxes[0].icon, BoxIcon::Stop);

        // An error escaping an event handler is caught where events are delivered.
        struct Thrower : QObject {
            bool event(QEvent* e) override {
                if (e->type() == QEvent::User)
                    throw std::runtime_error("engine failure");
                return QObject::event(e);
            }
        } thrower;
        QEvent event(QEvent::User);
        QApplication::sendEvent(&thrower, &event);
        QCOMPARE(dialogs.boxes.size(), size_t(2));
        QCOMPARE(dialogs.boxes[1].text, QStringLiteral("engine failure"));
    }
};

int main(int argc, char** argv) {
    Application::prepare();
    Application app(argc, argv);
    TestApp t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_app.moc"
