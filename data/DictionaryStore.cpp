#include "data/DictionaryStore.h"

#include <sqlite3.h>

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include "data/DataError.h"
#include "data/DictionaryIndex.h"
#include "data/DictionaryOrder.h"
#include "data/Schema.h"
#include "data/SearchImage.h"

namespace lex::store {

namespace {

class SqliteFile {
  public:
    SqliteFile(const QString& path, int flags) {
        const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db_, flags, nullptr);
        if (rc != SQLITE_OK) {
            const QString msg = db_ ? QString::fromUtf8(sqlite3_errmsg(db_))
                                    : QString::fromUtf8(sqlite3_errstr(rc));
            sqlite3_close(db_);
            throw DataError(QStringLiteral("Cannot open %1: %2").arg(path, msg));
        }
        sqlite3_busy_timeout(db_, 5000);
        sqlite3_extended_result_codes(db_, 1);
    }
    ~SqliteFile() { sqlite3_close(db_); }
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    sqlite3* get() const { return db_; }
    void exec(const QString& sql) {
        char* err = nullptr;
        if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
            const QString msg = QString::fromUtf8(err ? err : sqlite3_errmsg(db_));
            sqlite3_free(err);
            throw DataError(msg);
        }
    }
    [[noreturn]] void fail(const QString& what) const {
        throw DataError(QStringLiteral("%1: %2").arg(what, QString::fromUtf8(sqlite3_errmsg(db_))));
    }

  private:
    sqlite3* db_ = nullptr;
};

class Prepared {
  public:
    Prepared(const SqliteFile& db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db.get(), sql, -1, &stmt_, nullptr) != SQLITE_OK)
            db.fail(QStringLiteral("Cannot prepare a statement"));
    }
    ~Prepared() { sqlite3_finalize(stmt_); }
    sqlite3_stmt* get() const { return stmt_; }
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            db_.fail(QStringLiteral("Cannot read or write the dictionary"));
        return false;
    }
    // Decoded as stored: QString::fromUtf8 drops a U+FEFF at the start of a text, and the
    // engine's own UTF-16 form turns U+FFFE and U+FFFF into U+FFFD.
    QString text(int col) const {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                         QStringDecoder::Flag::ConvertInitialBom);
        return decoder.decode(QByteArrayView(bytes, sqlite3_column_bytes(stmt_, col)));
    }

  private:
    const SqliteFile& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

QString tablePath(const QString& directory, const TableDef& def) {
    return QDir(directory).filePath(def.fileName);
}

SqliteFile openDictionary(const QString& directory, bool writable) {
    const QString path = tablePath(directory, schema::mainData());
    if (!QFileInfo::exists(path))
        throw DataError(QStringLiteral("%1 does not exist; run \"lexivore-dict init %2\" first.")
                            .arg(path, directory));
    return SqliteFile(path, writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY);
}

void rebuildOrder(SqliteFile& db) {
    std::vector<Headword> headwords;
    {
        Prepared rows(db, "SELECT ID, Data FROM Main_Data ORDER BY ID");
        while (rows.step())
            headwords.push_back({sqlite3_column_int(rows.get(), 0), rows.text(1)});
    }
    const std::vector<int32_t> ids = dictionaryOrder(std::move(headwords));
    db.exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(schema::kOrderTable)));
    Prepared insert(db, "INSERT INTO Main_Data_Order (Rank, ID) VALUES (?, ?)");
    for (size_t rank = 0; rank < ids.size(); ++rank) {
        sqlite3_bind_int64(insert.get(), 1, static_cast<sqlite3_int64>(rank));
        sqlite3_bind_int(insert.get(), 2, ids[rank]);
        insert.step();
        sqlite3_reset(insert.get());
    }
}

}  // namespace

void createTables(const QString& directory) {
    if (!QDir().mkpath(directory))
        throw DataError(QStringLiteral("Cannot create the directory %1.").arg(directory));
    for (const TableDef* def : schema::all()) {
        const QString path = tablePath(directory, *def);
        if (QFileInfo::exists(path))
            throw DataError(QStringLiteral("%1 already exists; nothing was created.").arg(path));
    }
    for (const TableDef* def : schema::all()) {
        SqliteFile db(tablePath(directory, *def), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        if (def->readOnly) {
            db.exec(def->createStatement());
            db.exec(QStringLiteral("CREATE TABLE %1 (Rank INTEGER PRIMARY KEY, ID INTEGER NOT "
                                   "NULL)")
                        .arg(QLatin1String(schema::kOrderTable)));
            search_image::createTable(db.get());
            search_image::createTriggers(db.get());
        } else {
            db.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
            db.exec(def->createStatement());
        }
    }
}

int importEntries(const QString& directory, const std::vector<DictionaryEntry>& entries,
                  const std::function<void(int stored)>& progress) {
    SqliteFile db = openDictionary(directory, true);
    db.exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        // The triggers that mark a prepared search index stale would fire for every entry; the
        // index is prepared again below, in the same transaction.
        search_image::createTable(db.get());
        search_image::dropTriggers(db.get());
        search_image::clear(db.get());
        Prepared insert(db, "INSERT INTO Main_Data (Data, Meaning, Type, Qty) VALUES (?, ?, ?, ?)");
        for (const DictionaryEntry& e : entries) {
            const QByteArray data = e.headword.toUtf8(), meaning = e.meaning.toUtf8();
            sqlite3_bind_text(insert.get(), 1, data.constData(), static_cast<int>(data.size()),
                              SQLITE_TRANSIENT);
            sqlite3_bind_text(insert.get(), 2, meaning.constData(),
                              static_cast<int>(meaning.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(insert.get(), 3, e.type);
            sqlite3_bind_int(insert.get(), 4, e.qty);
            insert.step();
            sqlite3_reset(insert.get());
            const int stored = static_cast<int>(&e - entries.data()) + 1;
            if (progress && stored % 2000 == 0)
                progress(stored);
        }
        if (progress)
            progress(static_cast<int>(entries.size()));
        rebuildOrder(db);
        if (!DictionaryIndex::prepare(db.get()))
            search_image::clear(db.get());
        search_image::createTriggers(db.get());
        db.exec(QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    Prepared count(db, "SELECT count(*) FROM Main_Data");
    count.step();
    return sqlite3_column_int(count.get(), 0);
}

std::vector<DictionaryEntry> exportEntries(const QString& directory) {
    SqliteFile db = openDictionary(directory, false);
    Prepared rows(db, "SELECT Data, Meaning, Type, Qty FROM Main_Data ORDER BY ID");
    std::vector<DictionaryEntry> out;
    while (rows.step())
        out.push_back({rows.text(0), rows.text(1), sqlite3_column_int(rows.get(), 2),
                       sqlite3_column_int(rows.get(), 3)});
    return out;
}

std::map<int, int> countByType(const QString& directory) {
    SqliteFile db = openDictionary(directory, false);
    Prepared rows(db, "SELECT Type, count(*) FROM Main_Data GROUP BY Type ORDER BY Type");
    std::map<int, int> out;
    while (rows.step())
        out[sqlite3_column_int(rows.get(), 0)] = sqlite3_column_int(rows.get(), 1);
    return out;
}

std::map<int, FieldCounts> fieldCountsByType(const QString& directory) {
    SqliteFile db = openDictionary(directory, false);
    Prepared rows(db,
                  "SELECT Type, count(*), sum(Meaning IS NOT NULL AND Meaning <> ''), "
                  "sum(Qty > 0), avg(length(Data)), avg(length(Meaning)) FROM Main_Data "
                  "GROUP BY Type ORDER BY Type");
    std::map<int, FieldCounts> out;
    while (rows.step())
        out[sqlite3_column_int(rows.get(), 0)] = {
            sqlite3_column_int(rows.get(), 1), sqlite3_column_int(rows.get(), 2),
            sqlite3_column_int(rows.get(), 3), sqlite3_column_double(rows.get(), 4),
            sqlite3_column_double(rows.get(), 5)};
    return out;
}

}  // namespace lex::store
