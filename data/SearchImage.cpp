#include "data/SearchImage.h"

#include <sqlite3.h>

#include <algorithm>

#include "data/DataError.h"

namespace lex::search_image {

namespace {

void exec(sqlite3* db, const QString& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : sqlite3_errmsg(db));
        sqlite3_free(err);
        throw DataError(QStringLiteral("Cannot store the search index: %1").arg(msg));
    }
}

const char* const kEvents[] = {"INSERT", "UPDATE", "DELETE"};

QString triggerName(const char* event) {
    return QStringLiteral("%1_Stale_%2").arg(QLatin1String(kTable), QLatin1String(event));
}

}  // namespace

void createTable(sqlite3* db) {
    exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS main.%1 (Name TEXT PRIMARY KEY, "
                            "Bytes BLOB NOT NULL)")
                 .arg(QLatin1String(kTable)));
}

void dropTriggers(sqlite3* db) {
    for (const char* event : kEvents)
        exec(db, QStringLiteral("DROP TRIGGER IF EXISTS main.%1").arg(triggerName(event)));
}

void createTriggers(sqlite3* db) {
    for (const char* event : kEvents)
        exec(db, QStringLiteral("CREATE TRIGGER IF NOT EXISTS main.%1 AFTER %2 ON Main_Data "
                                "BEGIN DELETE FROM %3; END")
                     .arg(triggerName(event), QLatin1String(event), QLatin1String(kTable)));
}

void clear(sqlite3* db) {
    exec(db, QStringLiteral("DELETE FROM main.%1").arg(QLatin1String(kTable)));
}

bool write(sqlite3* db, const char* name, const void* bytes, size_t size) {
    sqlite3_stmt* st = nullptr;
    const QByteArray sql =
        QStringLiteral("INSERT OR REPLACE INTO main.%1 (Name, Bytes) VALUES (?, ?)")
            .arg(QLatin1String(kTable))
            .toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK)
        throw DataError(QStringLiteral("Cannot store the search index: %1")
                            .arg(QString::fromUtf8(sqlite3_errmsg(db))));
    sqlite3_bind_text(st, 1, name, -1, SQLITE_STATIC);
    int rc = sqlite3_bind_blob64(st, 2, size ? bytes : "", size, SQLITE_STATIC);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(st);
    const QString msg = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(st);
    if (rc == SQLITE_TOOBIG)
        return false;
    if (rc != SQLITE_DONE)
        throw DataError(QStringLiteral("Cannot store the search index: %1").arg(msg));
    return true;
}

bool read(sqlite3* db, const QString& schemaName, const char* name,
          const std::function<bool(size_t, void*&)>& allocate) {
    const QByteArray schema = schemaName.toUtf8();
    sqlite3_stmt* st = nullptr;
    const QByteArray sql =
        QStringLiteral("SELECT rowid, length(Bytes) FROM \"%1\".%2 WHERE Name = ?")
            .arg(schemaName, QLatin1String(kTable))
            .toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return false;  // no index was prepared for this dictionary
    }
    sqlite3_bind_text(st, 1, name, -1, SQLITE_STATIC);
    const bool found = sqlite3_step(st) == SQLITE_ROW;
    const sqlite3_int64 rowid = found ? sqlite3_column_int64(st, 0) : 0;
    const sqlite3_int64 size = found ? sqlite3_column_int64(st, 1) : 0;
    sqlite3_finalize(st);
    if (!found || size < 0)
        return false;
    void* dest = nullptr;
    if (!allocate(static_cast<size_t>(size), dest))
        return false;
    if (size == 0)
        return true;
    sqlite3_blob* blob = nullptr;
    if (sqlite3_blob_open(db, schema.constData(), kTable, "Bytes", rowid, 0, &blob) != SQLITE_OK) {
        sqlite3_blob_close(blob);
        return false;
    }
    bool ok = sqlite3_blob_bytes(blob) == size;
    constexpr sqlite3_int64 kChunk = 64 << 20;
    for (sqlite3_int64 at = 0; ok && at < size; at += kChunk) {
        const int n = static_cast<int>(std::min(kChunk, size - at));
        ok = sqlite3_blob_read(blob, static_cast<char*>(dest) + at, n, static_cast<int>(at)) ==
             SQLITE_OK;
    }
    sqlite3_blob_close(blob);
    return ok;
}

}  // namespace lex::search_image
