#include "bench/Fts5Bench.h"
#include "bench/BenchOutput.h"

#include <sqlite3.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

namespace lex::bench {

namespace {

[[noreturn]] void fail(sqlite3* db, const char* what) {
    qFatal("fts5 %s: %s", what, sqlite3_errmsg(db));
}

void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(db, sql);
}

// A prepared statement finalized on every way out.
class Statement {
  public:
    Statement(sqlite3* db, const QString& sql) : db_(db) {
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), &s_, nullptr) !=
            SQLITE_OK)
            fail(db, utf8.constData());
    }
    ~Statement() { sqlite3_finalize(s_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Binds `value` to ?index when the statement has that parameter.
    void bind(int index, const QString& value) {
        if (index > sqlite3_bind_parameter_count(s_))
            return;
        const QByteArray utf8 = value.toUtf8();
        if (sqlite3_bind_text(s_, index, utf8.constData(), static_cast<int>(utf8.size()),
                              SQLITE_TRANSIENT) != SQLITE_OK)
            fail(db_, "bind");
    }
    bool step() {
        const int rc = sqlite3_step(s_);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            fail(db_, "step");
        return rc == SQLITE_ROW;
    }
    sqlite3_stmt* get() const { return s_; }

  private:
    sqlite3* db_;
    sqlite3_stmt* s_ = nullptr;
};

QString text(sqlite3_stmt* s, int column) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, column)),
                             sqlite3_column_bytes(s, column));
}

QString phrase(const QString& literal) {
    QString quoted = literal;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

}  // namespace

void ensureFts5Index(int entries, const QString& dir) {
    const QString path = QDir(dir).filePath(QStringLiteral("fts5.db"));
    if (QFile::exists(path))
        return;
    // Built under another name and renamed, so that an interrupted build is never taken as done.
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    sqlite3* db = nullptr;
    if (sqlite3_open(part.toUtf8().constData(), &db) != SQLITE_OK)
        fail(db, "open");
    QElapsedTimer t;
    t.start();
    exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF");
    exec(db,
         "CREATE VIRTUAL TABLE entries USING fts5(Data, Meaning, ID UNINDEXED, Type UNINDEXED, "
         "Qty UNINDEXED, tokenize='trigram', detail=full)");
    {
        Statement attach(db, QStringLiteral("ATTACH ?1 AS dict"));
        attach.bind(1, QDir(dir).filePath(QStringLiteral("tables/Main_Data.DB")));
        attach.step();
    }
    exec(db,
         "INSERT INTO entries(rowid, Data, Meaning, ID, Type, Qty) "
         "SELECT o.Rank, d.Data, d.Meaning, d.ID, d.Type, d.Qty "
         "FROM dict.Main_Data_Order o JOIN dict.Main_Data d ON d.ID = o.ID");
    // One b-tree segment: the form a read-only index would ship in.
    exec(db, "INSERT INTO entries(entries) VALUES('optimize')");
    exec(db, "DETACH dict");
    sqlite3_close(db);
    if (!QFile::rename(part, path))
        qFatal("cannot rename %s", qPrintable(part));
    print({{"name", "fts5_build"},
           {"entries", entries},
           {"seconds", t.elapsed() / 1000.0},
           {"mb", static_cast<double>(QFileInfo(path).size()) / (1 << 20)}});
}

const char* methodName(Fts5Method m) {
    switch (m) {
        case Fts5Method::Match:
            return "match";
        case Fts5Method::MatchLike:
            return "match+like";
        case Fts5Method::LikeScan:
            return "like_scan";
    }
    return "";
}

QStringList longLiteralRuns(const QString& needle) {
    QStringList runs;
    QString run;
    auto flush = [&] {
        if (run.toUcs4().size() >= 3)
            runs << run;
        run.clear();
    };
    for (QChar c : needle) {
        if (c == u'%' || c == u'_')
            flush();
        else
            run += c;
    }
    flush();
    return runs;
}

Fts5Plan fts5Plan(const QString& needle, Fts5Field field) {
    Fts5Plan plan{Fts5Method::LikeScan, {}, {}, u'%' + needle + u'%'};
    const bool wildcards = needle.contains(u'%') || needle.contains(u'_');
    const QStringList runs = longLiteralRuns(needle);
    const char* filter = field == Fts5Field::Headwords  ? "{Data} : "
                         : field == Fts5Field::Meanings ? "{Meaning} : "
                                                        : "";
    auto like = [&](const char* prefix) {
        const QString p = QLatin1String(prefix);
        switch (field) {
            case Fts5Field::Both:
                return QStringLiteral("(%1Data LIKE ?2 OR %1Meaning LIKE ?2)").arg(p);
            case Fts5Field::Headwords:
                return QStringLiteral("%1Data LIKE ?2").arg(p);
            case Fts5Field::Meanings:
                return QStringLiteral("%1Meaning LIKE ?2").arg(p);
        }
        return QString();
    };
    if (!runs.isEmpty() && !wildcards) {
        plan.method = Fts5Method::Match;
        plan.expression = QLatin1String(filter) + phrase(needle);
        plan.where = QStringLiteral("entries MATCH ?1");
    } else if (!runs.isEmpty()) {
        QStringList phrases;
        for (const QString& r : runs)
            phrases << phrase(r);
        plan.method = Fts5Method::MatchLike;
        plan.expression =
            QLatin1String(filter) + u'(' + phrases.join(QStringLiteral(" AND ")) + u')';
        plan.where = QStringLiteral("entries MATCH ?1 AND ") + like("");
    } else {
        // The unary + keeps the LIKE away from FTS5, which would take it to its trigram index:
        // SQLite 3.40 then finds nothing for one or two Thai characters (three or more bytes,
        // but no trigram).
        plan.where = like("+");
    }
    return plan;
}

Fts5Search::Fts5Search(const QString& dir) {
    const QByteArray path = QDir(dir).filePath(QStringLiteral("fts5.db")).toUtf8();
    if (sqlite3_open_v2(path.constData(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        fail(db_, "open");
}

Fts5Search::~Fts5Search() {
    sqlite3_close(db_);
}

qint64 Fts5Search::run(const Fts5Plan& plan, int screen) {
    Statement count(db_, QStringLiteral("SELECT count(*) FROM entries WHERE ") + plan.where);
    count.bind(1, plan.expression);
    count.bind(2, plan.pattern);
    count.step();
    const qint64 found = sqlite3_column_int64(count.get(), 0);

    Statement rows(db_, QStringLiteral("SELECT rowid, ID, Data, Meaning, Type, Qty FROM entries "
                                       "WHERE %1 ORDER BY rowid LIMIT %2")
                            .arg(plan.where)
                            .arg(screen));
    rows.bind(1, plan.expression);
    rows.bind(2, plan.pattern);
    qint64 chars = 0;
    while (rows.step()) {
        sqlite3_stmt* s = rows.get();
        (void)sqlite3_column_int64(s, 0);
        (void)sqlite3_column_int64(s, 1);
        chars += text(s, 2).size() + text(s, 3).size();
        (void)sqlite3_column_int(s, 4);
        (void)sqlite3_column_int(s, 5);
    }
    return found + (chars & 0);
}

}  // namespace lex::bench
