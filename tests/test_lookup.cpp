// Word search: the statement per mode, the result summary, the history rules, and search texts
// that must be searched for literally.
#include <QComboBox>
#include <QLineEdit>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableView>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "data/Database.h"
#include "data/DictionaryIndex.h"
#include "data/ResultQuery.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "lookup/ResultModel.h"
#include "lookup/ResultSummary.h"
#include "lookup/SearchHistory.h"
#include "lookup/WordSearch.h"
#include "tests/TestSupport.h"
#include "ui/Formats.h"
#include "ui/Gauge.h"

using namespace lex;

namespace {

// The search with the controls it needs, on a fresh data directory.
struct SearchBench {
    explicit SearchBench(const std::vector<DictionaryEntry>& entries = test::sampleEntries())
        : dir(entries), db(dir.path()) {
        index.load(db);
        history = std::make_unique<Table>(db, schema::lastestSearch());
        history->open();
        query = std::make_unique<ResultQuery>(db, index);
        box.setEditable(true);
        headword.setCheckable(true);
        meaning.setCheckable(true);
        grid.setEnabled(false);
        summary = std::make_unique<ResultSummary>(&count, &chart);
        summary->setDictionaryTotal(countDictionaryTotal(*query));
        searchHistory = std::make_unique<SearchHistory>(*history);
        search =
            std::make_unique<WordSearch>(*query, *searchHistory, *summary,
                                         WordSearch::Controls{&box, &headword, &meaning, &grid});
    }

    QStringList run(const QString& text, bool headwordDown = false, bool meaningDown = false) {
        box.setEditText(text);
        headword.setChecked(headwordDown);
        meaning.setChecked(meaningDown);
        search->run();
        QStringList found;
        for (int r = 0; r < query->recordCount(); ++r)
            found << query->rowAt(r).data;
        return found;
    }
    QStringList listItems() const {
        QStringList items;
        for (int i = 0; i < box.count(); ++i)
            items << box.itemText(i);
        return items;
    }

    test::TempDataDir dir;
    Database db;
    DictionaryIndex index;
    std::unique_ptr<Table> history;
    std::unique_ptr<ResultQuery> query;
    QComboBox box;
    QToolButton headword, meaning;
    QTableView grid;
    QLineEdit count;
    Gauge chart{Gauge::Kind::Pie};
    std::unique_ptr<ResultSummary> summary;
    std::unique_ptr<SearchHistory> searchHistory;
    std::unique_ptr<WordSearch> search;
};

}  // namespace

class TestLookup : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void statementPerMode() {
        QCOMPARE(searchModeFor(false, false), SearchMode::BothFields);
        QCOMPARE(searchModeFor(true, true), SearchMode::BothFields);
        QCOMPARE(searchModeFor(true, false), SearchMode::HeadwordsOnly);
        QCOMPARE(searchModeFor(false, true), SearchMode::MeaningsOnly);
        QCOMPARE(searchStatement(SearchMode::BothFields),
                 (QStringList{"Select * From Main_data", "Where (Data LIKE :pattern  ",
                              "OR Meaning LIKE :pattern  ", ")Order by Data"}));
        QCOMPARE(searchStatement(SearchMode::HeadwordsOnly),
                 (QStringList{"Select * From Main_data", "Where (Data LIKE :pattern  ",
                              ")Order by Data"}));
        QCOMPARE(searchStatement(SearchMode::MeaningsOnly),
                 (QStringList{"Select * From Main_data", "Where (Meaning LIKE :pattern  ",
                              ")Order by Data"}));
        QCOMPARE(likePattern(QStringLiteral("beam ")), QStringLiteral("%beam %"));
    }

    void shareRoundsHalfToEvenPlusOne() {
        QCOMPARE(sharePercent(40, 8000), 1);   // 0.5 → 0, + 1
        QCOMPARE(sharePercent(100, 8000), 2);  // 1.25 → 1, + 1
        QCOMPARE(sharePercent(200, 8000), 3);  // 2.5 → 2, + 1
        QCOMPARE(sharePercent(280, 8000), 5);  // 3.5 → 4, + 1
        QCOMPARE(sharePercent(0, 8000), 1);
        QCOMPARE(sharePercent(7960, 8000), 100);  // 99.5 → 100, + 1, held at 100
        QCOMPARE(sharePercent(8000, 8000), 100);
        QCOMPARE(sharePercent(9000, 8000), 100);  // uncounted codes found too
        QCOMPARE(sharePercent(5, 0), 0);          // no counted entry: no division by zero
        QCOMPARE(formatCount(0), QStringLiteral("0"));
        QCOMPARE(formatCount(1000), QStringLiteral("1,000"));
        QCOMPARE(formatCount(1234567), QStringLiteral("1,234,567"));
    }

    void modesChooseTheSearchedFields() {
        SearchBench b;
        QCOMPARE(b.summary->dictionaryTotal(), qint64(12));  // codes 0 and 5 are not counted
        QVERIFY(!b.grid.isEnabled());                        // counting enables nothing
        const QStringList both = b.run(QStringLiteral("beam"));
        QVERIFY(b.grid.isEnabled());
        QCOMPARE(both, (QStringList{"another odd", "beam", "girder", "steel beam", "คาน"}));
        QCOMPARE(b.run(QStringLiteral("beam"), true, true), both);
        QCOMPARE(b.run(QStringLiteral("beam"), true, false), (QStringList{"beam", "steel beam"}));
        QCOMPARE(b.run(QStringLiteral("BEAM"), false, true),
                 (QStringList{"another odd", "girder", "คาน"}));
        QCOMPARE(b.count.text(), QStringLiteral("3"));
        QCOMPARE(b.chart.progress(), 26);  // 3 × 100 ÷ 12 = 25 → 25 + 1
        QCOMPARE(b.run(QStringLiteral("เสา")), (QStringList{"column", "เสา", "เสาเข็ม"}));
        // '%' and '_' keep their wildcard meaning.
        QCOMPARE(b.run(QStringLiteral("st%s"), true), (QStringList{"stress"}));
        QCOMPARE(b.run(QStringLiteral("tr_ss"), true), (QStringList{"stress", "truss"}));
    }

    void nothingFoundShowsZeroAndOnePercent() {
        SearchBench b;
        b.run(QStringLiteral("beam"));
        const int rows = b.history->recordCount();
        QVERIFY(b.run(QStringLiteral("xyzzy")).isEmpty());
        QCOMPARE(b.count.text(), QStringLiteral("0"));
        QCOMPARE(b.chart.progress(), 1);
        QCOMPARE(b.history->recordCount(), rows);
    }

    void everyEntryShowsAHundredPercent() {
        SearchBench b;
        const QStringList all = b.run(QString());
        QCOMPARE(all.size(), 14);  // every entry with a value in a searched field
        QCOMPARE(b.chart.progress(), 100);
        QCOMPARE(b.count.text(), QStringLiteral("14"));
        QCOMPARE(b.history->recordCount(), 0);  // an empty text is not recorded
    }

    void searchTextsAreSearchedLiterally_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("quote") << QStringLiteral("\"");
        QTest::newRow("injection") << QStringLiteral("\"); DROP TABLE Main_Data; --");
        QTest::newRow("single quote") << QStringLiteral("' OR '1'='1");
        QTest::newRow("named parameter") << QStringLiteral(":pattern");
        QTest::newRow("backslash") << QStringLiteral("\\");
        QTest::newRow("rtl mark and emoji") << QStringLiteral("\u200F🙂");
        QTest::newRow("lone thai mark") << QStringLiteral("\u0E4C");
        QTest::newRow("long") << QString(10000, u'a');
    }
    void searchTextsAreSearchedLiterally() {
        QFETCH(QString, text);
        SearchBench b;
        QVERIFY(b.run(text).isEmpty());
        QVERIFY(b.query->isOpen());
        QCOMPARE(b.count.text(), QStringLiteral("0"));
        QSqlQuery q(b.db.connection());
        QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM Main_Data")) && q.next());
        QCOMPARE(q.value(0).toInt(), 14);
    }

    void quotesInTheDictionaryAreFound() {
        SearchBench b({{QStringLiteral("say \"when\""), QStringLiteral("x"), 1, 0},
                       {QStringLiteral("a; b"), QStringLiteral("y"), 1, 0}});
        QCOMPARE(b.run(QStringLiteral("\"when\"")), QStringList{"say \"when\""});
        QCOMPARE(b.run(QStringLiteral("; b")), QStringList{"a; b"});
    }

    void historyRecordsOnlyNewMostRecentTexts() {
        SearchBench b;
        b.run(QStringLiteral("beam"));
        b.run(QStringLiteral("beam"));
        QCOMPARE(b.listItems(), QStringList{"beam"});
        b.run(QStringLiteral("stress"));
        b.run(QStringLiteral("column"));
        QCOMPARE(b.listItems(), (QStringList{"column", "stress", "beam"}));
        b.run(QStringLiteral("beam"));  // an older text again becomes the most recent
        QCOMPARE(b.listItems(), (QStringList{"beam", "column", "stress", "beam"}));
        b.run(QStringLiteral("Beam"));   // letter case counts
        b.run(QStringLiteral("Beam "));  // and so does a trailing space
        QCOMPARE(b.listItems().mid(0, 3), (QStringList{"Beam ", "Beam", "beam"}));
        QCOMPARE(b.box.currentText(), QStringLiteral("Beam "));  // the box keeps its text
        QCOMPARE(b.history->recordCount(), 6);
    }

    // The list is put right row by row after each search, and is always what a full rebuild
    // gives: every row, most recent first, rows another running copy added included.
    void historyListStaysAFullRebuild() {
        SearchBench b;
        b.searchHistory->fillList(&b.box);
        for (const char* text : {"beam", "steel", "beam", "beam", "zzz", "column"}) {
            b.run(QString::fromLatin1(text));
            QCOMPARE(b.listItems(), b.searchHistory->mostRecentFirst());
        }
        // Another copy of the program records searches on the same files: they show with the
        // next search, whether that one records its text or not.
        Database other(b.dir.path());
        Table theirs(other, schema::lastestSearch());
        theirs.open();
        auto recordThere = [&](const QString& text) {
            theirs.append();
            theirs.setField(QStringLiteral("Text"), text);
            theirs.post();
        };
        recordThere(QStringLiteral("girder"));
        b.run(QStringLiteral("column"));  // recorded again: "girder" is the latest now
        QCOMPARE(b.listItems().mid(0, 2), (QStringList{"column", "girder"}));
        QCOMPARE(b.listItems(), b.searchHistory->mostRecentFirst());
        recordThere(QStringLiteral("truss"));
        b.run(QStringLiteral("xyzzy"));  // finds nothing, records nothing
        QCOMPARE(b.listItems().first(), QStringLiteral("truss"));
        QCOMPARE(b.listItems(), b.searchHistory->mostRecentFirst());
        QCOMPARE(b.box.currentText(), QStringLiteral("xyzzy"));
    }

    void longSearchTextIsStoredCut() {
        SearchBench b({{QStringLiteral("m"), QString(255, u'a'), 1, 0}});
        b.run(QString(250, u'a') + QStringLiteral("%"));
        b.run(QString(255, u'a') + QStringLiteral("%"));
        QCOMPARE(b.history->recordCount(), 2);
        b.history->last();
        QCOMPARE(b.history->fieldText(QStringLiteral("Text")).size(), 255);
        // The same long text again compares with its cut form and is not recorded twice.
        b.run(QString(255, u'a') + QStringLiteral("%%"));
        QCOMPARE(b.history->recordCount(), 2);
    }

    void failedStatementKeepsTheSummary() {
        SearchBench b;
        b.run(QStringLiteral("beam"));
        b.query->close();
        b.query->setSql({QStringLiteral("Select * From Nowhere")});
        QVERIFY_THROWS_EXCEPTION(std::exception, b.query->open());
        QVERIFY(!b.query->isOpen());
        QCOMPARE(b.count.text(), QStringLiteral("5"));
    }

    void modelShowsTheQueryRows() {
        SearchBench b;
        ResultModel model(*b.query);
        QCOMPARE(model.rowCount(), 0);
        b.run(QStringLiteral("เสา"));
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.data(model.index(0, 0), Qt::DisplayRole).toString(),
                 QStringLiteral("column"));
        QCOMPARE(model.data(model.index(0, 1), Qt::DisplayRole).toString(), QStringLiteral("เสา"));
        QCOMPARE(model.data(model.index(0, 0), Qt::ForegroundRole).value<QColor>(),
                 QColor(Qt::blue));
        QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("คำศัพท์"));
        QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("ความหมาย"));
    }
};

QTEST_MAIN(TestLookup)
#include "test_lookup.moc"
