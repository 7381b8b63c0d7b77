#include "data/Database.h"

#include <sqlite3.h>

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>

#include "data/AliasResolver.h"
#include "data/DataError.h"
#include "data/Schema.h"

namespace lex {

namespace {

void exec(QSqlDatabase& db, const QString& statement) {
    QSqlQuery q(db);
    if (!q.exec(statement))
        throw DataError(q.lastError().text());
}

}  // namespace

QString Database::aliasDirectory() {
    const QString name = QString::fromLatin1(alias::kDictionaryAlias);
    const QString dir = alias::resolve(name);
    if (dir.isEmpty())
        throw DataError(QStringLiteral("Unknown database alias: %1 (it is defined in %2)")
                            .arg(name, alias::userAliasFile()));
    return dir;
}

Database::Database(const QString& directory, int busyTimeoutMs)
    : directory_(QDir(directory).absolutePath()),
      connectionName_(QStringLiteral("lexivore-") + QUuid::createUuid().toString(QUuid::Id128)) {
    if (!QFileInfo(directory_).isDir())
        throw DataError(QStringLiteral("The data directory %1 does not exist.").arg(directory_));

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
    db.setDatabaseName(QStringLiteral(":memory:"));
    db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    try {
        if (!db.open())
            throw DataError(db.lastError().text());
        for (const TableDef* def : schema::all())
            attach(def->fileName, def->schema, def->readOnly);
        for (const TableDef* def : schema::all()) {
            QStringList fields;
            for (const FieldDef& f : def->fields)
                fields << f.name;
            verifyTable(def->schema, def->name, fields);
            if (!def->readOnly) {
                // A confirmed row must survive a crash or a power cut; a second running copy
                // waits for the lock instead of failing.
                exec(db, QStringLiteral("PRAGMA %1.journal_mode=WAL").arg(def->schema));
                exec(db, QStringLiteral("PRAGMA %1.synchronous=FULL").arg(def->schema));
            }
        }
    } catch (...) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
        throw;
    }
}

Database::~Database() {
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
}

QSqlDatabase Database::connection() const {
    return QSqlDatabase::database(connectionName_, false);
}

sqlite3* Database::handle() const {
    const QVariant v = connection().driver()->handle();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3* const*>(v.constData());
    return nullptr;
}

QString Database::lastEngineError() const {
    sqlite3* h = handle();
    return h ? QString::fromUtf8(sqlite3_errmsg(h)) : QString();
}

void Database::attach(const QString& fileName, const QString& schemaName, bool readOnly) {
    const QString path = QDir(directory_).filePath(fileName);
    if (!QFileInfo::exists(path))
        throw DataError(QStringLiteral("Table file %1 does not exist.").arg(path));
    // mode=rw, never rwc: a missing file is an error and nothing is created.
    const QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                        (readOnly ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw"));
    QSqlDatabase db = connection();
    QSqlQuery q(db);
    q.prepare(QStringLiteral("ATTACH DATABASE ? AS %1").arg(schemaName));
    q.addBindValue(uri);
    if (!q.exec())
        throw DataError(QStringLiteral("Cannot open table file %1: %2")
                            .arg(path, q.lastError().databaseText()));
}

void Database::verifyTable(const QString& schemaName, const QString& table,
                           const QStringList& fields) {
    QSqlDatabase db = connection();
    QSqlQuery q(db);
    // Reading the schema also proves that the file is a database and is not locked.
    if (!q.exec(QStringLiteral("PRAGMA %1.table_info(%2)").arg(schemaName, table)))
        throw DataError(
            QStringLiteral("Cannot read table %1: %2").arg(table, q.lastError().databaseText()));
    QStringList present;
    while (q.next())
        present << q.value(1).toString();
    if (present.isEmpty())
        throw DataError(QStringLiteral("Table %1 does not exist in %2.")
                            .arg(table, QDir(directory_).absolutePath()));
    for (const QString& f : fields)
        if (!present.contains(f, Qt::CaseInsensitive))
            throw DataError(QStringLiteral("Table %1 has no field %2.").arg(table, f));
    // A lock held by another process shows only when rows are read.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT 1 FROM %1.%2 LIMIT 1").arg(schemaName, table)))
        throw DataError(QStringLiteral("Cannot read table %1: %2")
                            .arg(table, probe.lastError().databaseText()));
}

}  // namespace lex
