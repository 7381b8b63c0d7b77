#include "data/Database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

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

// What the engine said about a table file, as a sentence for the user that names the file.
QString fileProblem(const QString& path, const QSqlError& error) {
    switch (error.nativeErrorCode().toInt() & 0xff) {  // the primary result code
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return QStringLiteral(
                       "Table file %1 is in use by another program (it is locked). Close "
                       "that program and start again.")
                .arg(path);
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            return QStringLiteral(
                       "Table file %1 is damaged or is not a table file (%2). It was left "
                       "as it is; put back a copy from a backup.")
                .arg(path, error.databaseText());
        case SQLITE_READONLY:
            return QStringLiteral("Table file %1 cannot be written (%2).")
                .arg(path, error.databaseText());
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return QStringLiteral(
                       "Table file %1 cannot be opened (%2). Check its access permissions.")
                .arg(path, error.databaseText());
        default:
            return QStringLiteral("Cannot read table file %1: %2").arg(path, error.databaseText());
    }
}

}  // namespace

QString Database::aliasDirectory() {
    const QString name = QString::fromLatin1(alias::kDictionaryAlias);
    const QString dir = alias::resolve(name);
    if (dir.isEmpty())
        throw DataError(alias::undefinedMessage(name));
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
        // The engine keeps a journal next to each writable table file, so the directory must be
        // writable too; said plainly here rather than as "unable to open database file" later.
        if (::faccessat(AT_FDCWD, QFile::encodeName(directory_).constData(), W_OK | X_OK,
                        AT_EACCESS) != 0)
            throw DataError(QStringLiteral("The data directory %1 cannot be written. Lexivore "
                                           "writes the chosen words, the search history and the "
                                           "settings there; make it writable and start again.")
                                .arg(directory_));
        for (const TableDef* def : schema::all())
            attach(def->fileName, def->schema, def->readOnly);
        for (const TableDef* def : schema::all()) {
            verifyTable(*def);
            if (!def->readOnly) {
                // A confirmed row must survive a crash or a power cut; a second running copy
                // waits for the lock instead of failing.
                const QString path = QDir(directory_).filePath(def->fileName);
                for (const QString& pragma :
                     {QStringLiteral("journal_mode=WAL"), QStringLiteral("synchronous=FULL")}) {
                    QSqlQuery q(db);
                    if (!q.exec(QStringLiteral("PRAGMA %1.%2").arg(def->schema, pragma)))
                        throw DataError(fileProblem(path, q.lastError()));
                }
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

QStringList Database::thaiHeadwords() const {
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT DISTINCT Data FROM %1.Main_Data WHERE Type IN (2, 4)")
                  .arg(schema::mainData().schema));
    if (!q.exec())
        throw DataError(
            QStringLiteral("The dictionary could not be read: %1").arg(q.lastError().text()));
    QStringList words;
    while (q.next())
        words << q.value(0).toString();
    return words;
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
        throw DataError(fileProblem(path, q.lastError()));
    // The engine opens a file it may not write for reading only, without a word; the user's
    // rows would then be refused one by one, so the start is refused instead.
    if (!readOnly && sqlite3_db_readonly(handle(), schemaName.toUtf8().constData()) == 1)
        throw DataError(QStringLiteral("Table file %1 is read-only. Lexivore writes the chosen "
                                       "words, the search history and the settings into their "
                                       "table files; make it writable and start again.")
                            .arg(path));
}

void Database::verifyTable(const TableDef& def) {
    const QString& schemaName = def.schema;
    const QString& table = def.name;
    QSqlDatabase db = connection();
    QSqlQuery q(db);
    const QString path = QDir(directory_).filePath(def.fileName);
    // Reading the schema also proves that the file is a database and is not locked.
    if (!q.exec(QStringLiteral("PRAGMA %1.table_info(%2)").arg(schemaName, table)))
        throw DataError(fileProblem(path, q.lastError()));
    QStringList present;
    while (q.next())
        present << q.value(1).toString();
    if (present.isEmpty())
        throw DataError(QStringLiteral("Table %1 does not exist in %2.")
                            .arg(table, QDir(directory_).absolutePath()));
    for (const FieldDef& f : def.fields)
        if (!present.contains(f.name, Qt::CaseInsensitive))
            throw DataError(QStringLiteral("Table %1 has no field %2.").arg(table, f.name));
    // A lock held by another process shows only when rows are read.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT 1 FROM %1.%2 LIMIT 1").arg(schemaName, table)))
        throw DataError(fileProblem(path, probe.lastError()));
    // The user's tables are small: each is checked whole, so that a file damaged by a failing
    // disk is found now and left alone, not written over later. The dictionary is read whole
    // while its index is built, which finds its damage.
    if (!def.readOnly) {
        QSqlQuery check(db);
        if (!check.exec(QStringLiteral("PRAGMA %1.quick_check(1)").arg(schemaName)))
            throw DataError(fileProblem(path, check.lastError()));
        if (check.next() && check.value(0).toString() != QLatin1String("ok"))
            throw DataError(QStringLiteral("Table file %1 is damaged (%2). It was left as it "
                                           "is; put back a copy from a backup.")
                                .arg(path, check.value(0).toString()));
    }
}

}  // namespace lex
