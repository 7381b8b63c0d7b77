// Search and browse timings on synthetic dictionaries of 10,000 to 3,000,000 entries, against
// the naive way (one SELECT ... LIKE ... ORDER BY Data fetching every row) and against SQLite
// FTS5 with the trigram tokenizer. Prints one JSON object per line and ends with the peak memory
// of the process.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTableView>
#include <QTextStream>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "bench/BenchOutput.h"
#include "bench/Fts5Bench.h"
#include "bench/ReportBench.h"
#include "bench/ScaleBench.h"
#include "bench/SyntheticDictionary.h"
#include "bench/UserTablesBench.h"
#include "cli/DictTool.h"
#include "data/Database.h"
#include "data/DictionaryIndex.h"
#include "data/ResultQuery.h"
#include "data/Schema.h"
#include "data/Table.h"
#include "lookup/DirectionBrowse.h"
#include "lookup/ResultSummary.h"
#include "lookup/SearchHistory.h"
#include "lookup/WordSearch.h"
#include "ui/Gauge.h"

using namespace lex;
using bench::median;
using bench::print;

namespace {

constexpr int kFirstScreen = 20;  // rows the result grid shows at once

double timeMs(const std::function<void()>& f) {
    QElapsedTimer t;
    t.start();
    f();
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// Warm-up once, then the median of `runs`.
double measure(int runs, const std::function<void()>& f) {
    f();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(timeMs(f));
    return median(times);
}

double peakRssMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// Builds the data directory of a synthetic dictionary and its FTS5 index, each unless it is
// there; runs in a child process so that the import's memory does not count in the measured
// process.
int prepare(int entries, const QString& dir, bool fts5) {
    QDir().mkpath(dir);
    if (QFile::exists(QDir(dir).filePath(QStringLiteral("ready")))) {
        if (fts5)
            bench::ensureFts5Index(entries, dir);
        return 0;
    }
    const QString tsv = QDir(dir).filePath(QStringLiteral("synthetic.tsv"));
    bench::writeSyntheticDictionary(entries, tsv);
    QString out, err;
    QTextStream o(&out), e(&err);
    const QString tables = QDir(dir).filePath(QStringLiteral("tables"));
    QDir(tables).removeRecursively();
    if (runDictTool({QStringLiteral("init"), tables}, o, e) != 0)
        qFatal("init failed: %s", qPrintable(err));
    QElapsedTimer t;
    t.start();
    if (runDictTool({QStringLiteral("import"), tables, tsv}, o, e) != 0)
        qFatal("import failed: %s", qPrintable(err));
    print({{"name", "import"}, {"entries", entries}, {"seconds", t.elapsed() / 1000.0}});
    QFile::remove(tsv);
    QFile done(QDir(dir).filePath(QStringLiteral("ready")));
    done.open(QIODevice::WriteOnly);
    done.close();
    if (fts5)
        bench::ensureFts5Index(entries, dir);
    return 0;
}

// Needles drawn from the synthetic vocabulary, so that all but the last of each language match.
struct Needle {
    const char* language;
    const char* label;  // its length, or what else it tries
    QString text;
    bool matches = true;
};

const Needle kNeedles[] = {
    {"en", "1", QStringLiteral("e")},
    {"en", "2", QStringLiteral("st")},
    {"en", "3", QStringLiteral("ste")},
    {"en", "6", QStringLiteral("stress")},
    {"en", "8", QStringLiteral("concrete")},
    {"en", "case", QStringLiteral("StReSs")},
    {"en", "underscore", QStringLiteral("st_el")},  // no literal run of 3: FTS5 scans
    {"en", "percent", QStringLiteral("pres%ure")},
    {"en", "none", QStringLiteral("bamboo"), false},
    {"th", "1", QStringLiteral("ก")},
    {"th", "2", QStringLiteral("แร")},
    {"th", "3", QStringLiteral("แรง")},
    {"th", "6", QStringLiteral("ความเค")},
    {"th", "8", QStringLiteral("ความเครี")},
    {"th", "underscore", QStringLiteral("ความ_ค้น")},
    {"th", "percent", QStringLiteral("แรง%ดัน")},
    {"th", "none", QStringLiteral("ไม้ไผ่"), false},
};

void benchmark(int entries, const QString& cacheRoot, int runs, bool naive, bool fts5) {
    const QString dir = QDir(cacheRoot).filePath(QString::number(entries));
    if (!QFile::exists(QDir(dir).filePath(QStringLiteral("ready"))) ||
        (fts5 && !QFile::exists(QDir(dir).filePath(QStringLiteral("fts5.db"))))) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        QStringList args{QStringLiteral("--prepare"), QString::number(entries),
                         QStringLiteral("--cache"), cacheRoot};
        if (!fts5)
            args << QStringLiteral("--no-fts5");
        child.start(QCoreApplication::applicationFilePath(), args);
        child.waitForFinished(-1);
        if (child.exitCode() != 0)
            qFatal("preparing %d entries failed", entries);
    }
    const QString tables = QDir(dir).filePath(QStringLiteral("tables"));

    Database db(tables);
    DictionaryIndex index;
    const double loadMs = timeMs([&] { index.load(db); });
    print({{"name", "load"},
           {"entries", entries},
           {"ms", loadMs},
           {"index_mb", static_cast<double>(index.memoryBytes()) / (1 << 20)}});

    Table history(db, schema::lastestSearch());
    history.open();
    ResultQuery query(db, index);
    QComboBox box;
    box.setEditable(true);
    QToolButton headword, meaning;
    headword.setCheckable(true);
    meaning.setCheckable(true);
    QTableView grid;
    QLineEdit count;
    Gauge chart(Gauge::Kind::Pie);
    ResultSummary summary(&count, &chart);
    summary.setDictionaryTotal(countDictionaryTotal(query));
    SearchHistory searchHistory(history);
    WordSearch search(query, searchHistory, summary,
                      WordSearch::Controls{&box, &headword, &meaning, &grid});
    auto firstScreen = [&] {
        for (int r = 0; r < std::min(kFirstScreen, query.recordCount()); ++r)
            (void)query.rowAt(r);
    };

    QSqlDatabase plain =
        QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("naive"));
    plain.setDatabaseName(QDir(tables).filePath(QStringLiteral("Main_Data.DB")));
    plain.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    plain.open();
    auto naiveRun = [&](const QString& sql, const QVariantList& binds) {
        QSqlQuery q(plain);
        q.setForwardOnly(true);
        q.prepare(sql);
        for (const QVariant& b : binds)
            q.addBindValue(b);
        q.exec();
        // Every row is fetched and its values read; they are not kept, so the naive way does
        // not count in the memory measured for the program's way.
        size_t rows = 0, chars = 0;
        while (q.next()) {
            ++rows;
            chars += q.value(1).toString().size() + q.value(2).toString().size();
            (void)q.value(0).toInt();
            (void)q.value(3).toInt();
            (void)q.value(4).toInt();
        }
        return rows + (chars & 0);
    };
    // Ways that read every row get fewer runs at a million entries and more.
    const int slowRuns = entries >= 1000000 ? std::min(runs, 3) : runs;
    std::unique_ptr<bench::Fts5Search> fts;
    if (fts5)
        fts = std::make_unique<bench::Fts5Search>(dir);

    const struct {
        const char* name;
        bool headwordDown, meaningDown;
        const char* naiveWhere;
        bench::Fts5Field field;
    } modes[] = {{"both", false, false, "(Data LIKE ? OR Meaning LIKE ?)", bench::Fts5Field::Both},
                 {"headwords", true, false, "(Data LIKE ?)", bench::Fts5Field::Headwords},
                 {"meanings", false, true, "(Meaning LIKE ?)", bench::Fts5Field::Meanings}};

    for (const Needle& n : kNeedles) {
        for (const auto& m : modes) {
            headword.setChecked(m.headwordDown);
            meaning.setChecked(m.meaningDown);
            const double ms = measure(runs, [&] {
                box.setEditText(n.text);
                search.run();
                firstScreen();
            });
            const int rows = query.recordCount();
            // The query alone, as the search runs it (the count, the share, the first screen),
            // without the history's bookkeeping: the same work as FTS5's below.
            const double queryMs = measure(runs, [&] {
                query.close();
                query.clearSql();
                query.setSql(searchStatement(searchModeFor(m.headwordDown, m.meaningDown)));
                query.bindValue(QString::fromLatin1(kPatternParameter), likePattern(n.text));
                query.open();
                summary.show(query.recordCount());
                firstScreen();
            });
            QJsonObject o{{"name", QStringLiteral("search_%1_%2_%3")
                                       .arg(QLatin1String(m.name), QLatin1String(n.language),
                                            QLatin1String(n.label))},
                          {"entries", entries},
                          {"needle", n.text},
                          {"mode", m.name},
                          {"rows", rows},
                          {"median_ms", ms},
                          {"query_ms", queryMs}};
            if ((rows > 0) != n.matches)
                o.insert("warning", n.matches ? "the needle matches nothing"
                                              : "the needle meant to match nothing matches");
            if (fts) {
                const bench::Fts5Plan plan = bench::fts5Plan(n.text, m.field);
                qint64 ftsRows = 0;
                const double ftsMs =
                    measure(plan.method == bench::Fts5Method::LikeScan ? slowRuns : runs,
                            [&] { ftsRows = fts->run(plan, kFirstScreen); });
                o.insert("fts5_ms", ftsMs);
                o.insert("fts5_method", bench::methodName(plan.method));
                o.insert("fts5_ratio", queryMs > 0 ? ftsMs / queryMs : 0);
                o.insert("fts5_ratio_press", ms > 0 ? ftsMs / ms : 0);
                if (ftsRows != rows)
                    o.insert("mismatch",
                             QStringLiteral("fts5 counts %1, ours %2").arg(ftsRows).arg(rows));
            }
            if (naive) {
                const QString pattern = likePattern(n.text);
                const QString sql = QStringLiteral("SELECT * FROM Main_Data WHERE %1 ORDER BY Data")
                                        .arg(QLatin1String(m.naiveWhere));
                QVariantList binds{pattern};
                if (qstrcmp(m.name, "both") == 0)
                    binds << pattern;
                const double naiveMs = measure(slowRuns, [&] { naiveRun(sql, binds); });
                o.insert("naive_ms", naiveMs);
                o.insert("naive_ratio", ms > 0 ? naiveMs / ms : 0);
            }
            print(o);
        }
    }
    for (int code = 1; code <= 4; ++code) {
        const double ms = measure(runs, [&] {
            query.close();
            query.clearSql();
            query.setSql(browseStatement(code));
            query.open();
            summary.show(query.recordCount());
            firstScreen();
        });
        QJsonObject o{{"name", QStringLiteral("browse_%1").arg(code)},
                      {"entries", entries},
                      {"rows", query.recordCount()},
                      {"median_ms", ms}};
        if (naive) {
            const double naiveMs = measure(slowRuns, [&] {
                naiveRun(QStringLiteral("SELECT * FROM Main_Data WHERE Type = ? ORDER BY Data"),
                         {code});
            });
            o.insert("naive_ms", naiveMs);
            o.insert("naive_ratio", ms > 0 ? naiveMs / ms : 0);
        }
        print(o);
    }
    plain.close();
    plain = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("naive"));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QString cache = QDir::home().filePath(QStringLiteral(".cache/lexivore-bench"));
    QList<int> sizes;
    int runs = 5;
    bool naive = true;
    bool fts5 = true;
    bool scale = false;
    int prepareEntries = 0;
    int reportEntries = 0;
    int userRows = 0;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const QString next = i + 1 < args.size() ? args[i + 1] : QString();
        if (a == QLatin1String("--entries")) {
            for (const QString& s : next.split(u','))
                sizes << s.toInt();
            ++i;
        } else if (a == QLatin1String("--runs")) {
            runs = std::max(1, next.toInt());
            ++i;
        } else if (a == QLatin1String("--cache")) {
            cache = next;
            ++i;
        } else if (a == QLatin1String("--no-naive")) {
            naive = false;
        } else if (a == QLatin1String("--no-fts5")) {
            fts5 = false;
        } else if (a == QLatin1String("--scale")) {
            scale = true;
        } else if (a == QLatin1String("--report")) {
            reportEntries = next.toInt();
            ++i;
        } else if (a == QLatin1String("--user-tables")) {
            userRows = next.toInt();
            ++i;
        } else if (a == QLatin1String("--prepare")) {
            prepareEntries = next.toInt();
            ++i;
        } else {
            std::fprintf(
                stderr,
                "usage: lexivore-bench [--entries N[,N...]] [--runs R] [--cache DIR] [--no-naive]\n"
                "                      [--no-fts5] [--scale] [--report ENTRIES] [--user-tables "
                "ROWS]\n"
                "  --entries    dictionary sizes (default 10000,100000,1000000)\n"
                "  --runs       timed runs per measurement, after one warm-up (default 5)\n"
                "  --cache      where the synthetic dictionaries and FTS5 indexes are kept\n"
                "               (default ~/.cache/lexivore-bench)\n"
                "  --no-naive   leave out the naive SELECT ... LIKE\n"
                "  --no-fts5    leave out SQLite FTS5 (trigram)\n"
                "  --scale      each size in a process of its own (default sizes 100000,1000000,\n"
                "               3000000), then how the figures grow from the first size\n"
                "  --report     the printed word list of ENTRIES chosen words\n"
                "  --user-tables  the history and the chosen-word list at ROWS rows\n");
            return a == QLatin1String("--help") ? 0 : 2;
        }
    }
    if (prepareEntries > 0)
        return prepare(prepareEntries, QDir(cache).filePath(QString::number(prepareEntries)), fts5);
    if (scale) {
        QStringList childArgs{QStringLiteral("--runs"), QString::number(runs),
                              QStringLiteral("--cache"), cache};
        if (!naive)
            childArgs << QStringLiteral("--no-naive");
        if (!fts5)
            childArgs << QStringLiteral("--no-fts5");
        bench::scaleBenchmark(sizes.isEmpty() ? QList<int>{100000, 1000000, 3000000} : sizes,
                              childArgs);
        return 0;
    }
    if (userRows > 0) {
        bench::userTablesBenchmark(userRows, runs);
        if (sizes.isEmpty() && reportEntries == 0) {
            print({{"name", "summary"}, {"peak_rss_mb", peakRssMb()}});
            return 0;
        }
    }
    if (reportEntries > 0) {
        bench::reportBenchmark(reportEntries, runs);
        if (sizes.isEmpty()) {
            print({{"name", "summary"}, {"peak_rss_mb", peakRssMb()}});
            return 0;
        }
    }
    if (sizes.isEmpty())
        sizes = {10000, 100000, 1000000};
    for (int n : sizes)
        benchmark(n, cache, runs, naive, fts5);
    print({{"name", "summary"}, {"peak_rss_mb", peakRssMb()}});
    return 0;
}
