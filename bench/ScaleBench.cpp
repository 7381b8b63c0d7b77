#include "bench/ScaleBench.h"
#include "bench/BenchOutput.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace lex::bench {

namespace {

// What one size's run printed, gathered from its lines.
struct SizeFigures {
    int entries = 0;
    double importSeconds = -1;     // only when the dictionary was prepared in this run
    double fts5BuildSeconds = -1;  // only when the FTS5 index was built in this run
    double loadMs = 0;
    std::vector<double> searches, fts5;
    std::vector<double> nothing, nsPerRow;  // queries that find nothing; query time per row
    double worstSearchMs = 0;
    QString worstSearch;
    double browseMs = 0;
    double peakRssMb = 0;

    void take(const QJsonObject& o) {
        const QString name = o.value(QLatin1String("name")).toString();
        if (name == QLatin1String("import")) {
            importSeconds = o.value(QLatin1String("seconds")).toDouble();
        } else if (name == QLatin1String("fts5_build")) {
            fts5BuildSeconds = o.value(QLatin1String("seconds")).toDouble();
        } else if (name == QLatin1String("load")) {
            loadMs = o.value(QLatin1String("ms")).toDouble();
        } else if (name.startsWith(QLatin1String("search_"))) {
            const double ms = o.value(QLatin1String("median_ms")).toDouble();
            searches.push_back(ms);
            if (ms > worstSearchMs) {
                worstSearchMs = ms;
                worstSearch = name;
            }
            const double queryMs = o.value(QLatin1String("query_ms")).toDouble();
            const double rows = o.value(QLatin1String("rows")).toDouble();
            if (rows > 0)
                nsPerRow.push_back(queryMs * 1e6 / rows);
            else
                nothing.push_back(queryMs);
            if (o.contains(QLatin1String("fts5_ms")))
                fts5.push_back(o.value(QLatin1String("fts5_ms")).toDouble());
        } else if (name.startsWith(QLatin1String("browse_"))) {
            browseMs = std::max(browseMs, o.value(QLatin1String("median_ms")).toDouble());
        } else if (name == QLatin1String("summary")) {
            peakRssMb = o.value(QLatin1String("peak_rss_mb")).toDouble();
        }
    }
};

SizeFigures runSize(int entries, const QStringList& childArgs) {
    SizeFigures f;
    f.entries = entries;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                QStringList{QStringLiteral("--entries"), QString::number(entries)} + childArgs);
    if (!child.waitForStarted(-1))
        qFatal("cannot start the benchmark of %d entries", entries);
    QByteArray pending;
    auto takeLines = [&] {
        pending += child.readAllStandardOutput();
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0;) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            std::printf("%s\n", line.constData());
            std::fflush(stdout);
            const QJsonDocument doc = QJsonDocument::fromJson(line);
            if (doc.isObject())
                f.take(doc.object());
        }
    };
    while (child.state() != QProcess::NotRunning) {
        child.waitForReadyRead(1000);
        takeLines();
    }
    takeLines();
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        qFatal("the benchmark of %d entries failed", entries);
    if (f.searches.empty())
        qFatal("the benchmark of %d entries printed no search", entries);
    return f;
}

}  // namespace

void scaleBenchmark(const QList<int>& sizes, const QStringList& childArgs) {
    std::vector<SizeFigures> all;
    for (int n : sizes) {
        all.push_back(runSize(n, childArgs));
        const SizeFigures& f = all.back();
        QJsonObject o{{"name", "scale"},
                      {"entries", f.entries},
                      {"load_ms", f.loadMs},
                      {"search_median_ms", median(f.searches)},
                      {"search_worst_ms", f.worstSearchMs},
                      {"search_worst", f.worstSearch},
                      {"query_nothing_ms", median(f.nothing)},
                      {"query_ns_per_row", median(f.nsPerRow)},
                      {"browse_worst_ms", f.browseMs},
                      {"peak_rss_mb", f.peakRssMb}};
        if (f.importSeconds >= 0)
            o.insert("import_s", f.importSeconds);
        if (f.fts5BuildSeconds >= 0)
            o.insert("fts5_build_s", f.fts5BuildSeconds);
        if (!f.fts5.empty())
            o.insert("fts5_median_ms", median(f.fts5));
        print(o);
    }
    const SizeFigures& first = all.front();
    auto growth = [&](auto value) {
        QJsonArray ratios;
        const double base = value(first);
        for (const SizeFigures& f : all)
            ratios.append(base > 0 ? std::round(value(f) / base * 100) / 100 : 0);
        return ratios;
    };
    QJsonArray entries;
    for (const SizeFigures& f : all)
        entries.append(f.entries);
    QJsonObject o{
        {"name", "scaling"},
        {"entries", entries},
        {"entries_ratio", growth([](const SizeFigures& f) { return double(f.entries); })},
        {"load", growth([](const SizeFigures& f) { return f.loadMs; })},
        {"search_median", growth([](const SizeFigures& f) { return median(f.searches); })},
        {"search_worst", growth([](const SizeFigures& f) { return f.worstSearchMs; })},
        {"query_nothing", growth([](const SizeFigures& f) { return median(f.nothing); })},
        {"query_ns_per_row", growth([](const SizeFigures& f) { return median(f.nsPerRow); })},
        {"browse_worst", growth([](const SizeFigures& f) { return f.browseMs; })},
        {"peak_rss", growth([](const SizeFigures& f) { return f.peakRssMb; })}};
    if (!first.fts5.empty())
        o.insert("fts5_median", growth([](const SizeFigures& f) { return median(f.fts5); }));
    print(o);
}

}  // namespace lex::bench
