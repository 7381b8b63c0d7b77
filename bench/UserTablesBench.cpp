#include "bench/UserTablesBench.h"
#include "bench/BenchOutput.h"

#include <sqlite3.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "bench/SyntheticDictionary.h"
#include "data/Database.h"
#include "data/DictionaryFile.h"
#include "data/DictionaryIndex.h"
#include "data/DictionaryStore.h"
#include "data/ResultQuery.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "lookup/ResultSummary.h"
#include "lookup/SearchHistory.h"
#include "lookup/WordSearch.h"
#include "ui/Gauge.h"
#include "ui/UserDialogs.h"
#include "wordlist/ChosenWords.h"

namespace lex::bench {

namespace {

constexpr int kDictionaryEntries = 20000;

double medianMs(int runs, const std::function<void()>& before, const std::function<void()>& f) {
    std::vector<double> times;
    for (int i = 0; i <= runs; ++i) {  // the first run warms up and is not counted
        if (before)
            before();
        QElapsedTimer t;
        t.start();
        f();
        if (i > 0)
            times.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void fill(const QString& file, const char* table, const char* column, const char* value, int rows) {
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    const QByteArray sql = QByteArray("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 ") +
                           "FROM n WHERE i < " + QByteArray::number(rows) + ") INSERT INTO " +
                           table + " (" + column + ") SELECT " + value + " FROM n";
    sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// Answers Yes to the clear question.
class Yes : public QtUserDialogs {
  public:
    bool confirm(QWidget*, const QString&) override { return true; }
};

struct Data {
    explicit Data(int historyRows, int chosenRows) {
        store::createTables(dir.path());
        const QString tsv = dir.filePath(QStringLiteral("d.tsv"));
        writeSyntheticDictionary(kDictionaryEntries, tsv);
        QFile f(tsv);
        f.open(QIODevice::ReadOnly);
        store::importEntries(dir.path(), parseDictionary(f.readAll()).entries);
        if (historyRows > 0)
            fill(dir.filePath(QStringLiteral("Lastest_Search.db")), "Lastest_Search", "Text",
                 "'steel ' || i", historyRows);
        if (chosenRows > 0)
            fill(dir.filePath(QStringLiteral("Choose_Data.db")), "Choose_Data", "Data_ID", "1.0",
                 chosenRows);
        db = std::make_unique<Database>(dir.path());
        index.load(*db);
    }
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    DictionaryIndex index;
};

// The search as the window runs it, history list included, with needles that record a new text
// each time (the list grows by one) and one that repeats (nothing recorded).
QJsonObject searchTimes(int historyRows, int runs) {
    Data data(historyRows, 0);
    Table history(*data.db, schema::lastestSearch());
    history.open();
    ResultQuery query(*data.db, data.index);
    QComboBox box;
    box.setEditable(true);
    QToolButton headword, meaning;
    QTableView grid;
    QLineEdit count;
    Gauge chart(Gauge::Kind::Pie);
    ResultSummary summary(&count, &chart);
    summary.setDictionaryTotal(kDictionaryEntries);
    SearchHistory searchHistory(history);
    WordSearch search(query, searchHistory, summary,
                      WordSearch::Controls{&box, &headword, &meaning, &grid});
    searchHistory.fillList(&box);
    int n = 0;
    const double recorded = medianMs(
        runs, [&] { box.setEditText(QString(QChar(u"aeinort"[++n % 7]))); }, [&] { search.run(); });
    const double repeated = medianMs(
        runs, [&] { box.setEditText(box.currentText()); }, [&] { search.run(); });
    return {{"history_rows", historyRows},
            {"search_recorded_ms", recorded},
            {"search_repeated_ms", repeated},
            {"list_items", box.count()}};
}

}  // namespace

void userTablesBenchmark(int rows, int runs) {
    QJsonObject empty = searchTimes(0, runs);
    QJsonObject full = searchTimes(rows, runs);
    empty.insert(QStringLiteral("name"), QStringLiteral("history"));
    full.insert(QStringLiteral("name"), QStringLiteral("history"));
    print(empty);
    print(full);

    Data data(0, rows);
    Table chosen(*data.db, schema::chooseData());
    ResultQuery results(*data.db, data.index);
    results.setSql({QStringLiteral("Select * From Main_data Where Type = 1")});
    chosen.open();
    results.open();
    QTableView list;
    QLineEdit countBox;
    QPushButton clear, print2, search;
    QToolButton remove;
    ChosenWords words(chosen, results,
                      ChosenWords::Controls{&list, &countBox, &clear, &print2, &remove, &search});
    words.refresh();
    const double add = medianMs(runs, {}, [&] { words.addCurrentResult(); });
    const double removeOne = medianMs(
        runs, [&] { chosen.last(); }, [&] { words.deleteCurrent(); });
    Yes yes;
    UserDialogs::install(&yes);
    const QString file = data.dir.filePath(QStringLiteral("Choose_Data.db"));
    const double clearAll = medianMs(
        runs, [&] { fill(file, "Choose_Data", "Data_ID", "1.0", rows); }, [&] { words.clear(); });
    UserDialogs::install(nullptr);
    print({{"name", "chosen_words"},
           {"rows", rows},
           {"add_ms", add},
           {"delete_ms", removeOne},
           {"clear_ms", clearAll},
           {"count_after_clear", countBox.text()}});
}

}  // namespace lex::bench
