#include "data/Table.h"

#include <sqlite3.h>

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "data/DataError.h"
#include "data/Database.h"
#include "data/TextCut.h"

namespace lex {

namespace {

QString lookupSchema(const QString& table) {
    for (const TableDef* def : schema::all())
        if (def->name.compare(table, Qt::CaseInsensitive) == 0)
            return def->schema;
    return {};
}

}  // namespace

Table::Table(const Database& db, const TableDef& def, QObject* parent)
    : QObject(parent), db_(db), def_(def) {}

QString Table::selectList() const {
    QStringList columns;
    for (const FieldDef& f : def_.fields)
        columns << QStringLiteral("t.") + f.name;
    for (const LookupDef& l : def_.lookups)
        columns << QStringLiteral("(SELECT l.%1 FROM %2.%3 l WHERE l.%4 = t.%5) AS %6")
                       .arg(l.resultField, lookupSchema(l.lookupTable), l.lookupTable,
                            l.lookupKeyField, l.keyField, l.name);
    return QStringLiteral("SELECT %1 FROM %2.%3 t ")
        .arg(columns.join(QStringLiteral(", ")), def_.schema, def_.name);
}

QString Table::writeFailure(const QSqlError& error) const {
    const QString reason = error.databaseText();
    switch (error.nativeErrorCode().toInt() & 0xff) {  // the primary result code
        case SQLITE_FULL:
        case SQLITE_IOERR:
            return QStringLiteral(
                       "%1. Nothing of this change was stored in %2; the disk may be "
                       "full or failing.")
                .arg(reason, QDir(db_.directory()).filePath(def_.fileName));
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return QStringLiteral(
                       "%1. Another program is writing %2; nothing of this change was "
                       "stored. Try again in a moment.")
                .arg(reason, QDir(db_.directory()).filePath(def_.fileName));
        default:
            return reason;
    }
}

bool Table::fetchOne(const QString& whereOrder, const QVariantList& binds) {
    QSqlQuery q(db_.connection());
    q.setForwardOnly(true);
    if (!q.prepare(selectList() + whereOrder + QStringLiteral(" LIMIT 1")))
        throw DataError(q.lastError().databaseText());
    for (const QVariant& b : binds)
        q.addBindValue(b);
    if (!q.exec())
        throw DataError(q.lastError().databaseText());
    if (!q.next())
        return false;
    values_.clear();
    const QSqlRecord rec = q.record();
    for (int i = 0; i < rec.count(); ++i)
        values_.insert(rec.fieldName(i), q.value(i));
    key_ = q.value(0).toLongLong();
    hasRow_ = true;
    return true;
}

void Table::requireOpen() const {
    if (state_ == State::Inactive)
        throw DataError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void Table::requireBrowse() const {
    requireOpen();
    if (state_ != State::Browse)
        throw DataError(
            QStringLiteral("Table %1 is being edited; post or cancel first.").arg(def_.name));
}

const FieldDef& Table::storedField(const QString& name) const {
    const FieldDef* f = def_.field(name);
    if (!f)
        throw DataError(QStringLiteral("Field '%1' not found").arg(name));
    return *f;
}

void Table::open() {
    if (state_ != State::Inactive)
        return;
    state_ = State::Browse;
    first();
}

void Table::close() {
    state_ = State::Inactive;
    values_.clear();
    hasRow_ = false;
    key_ = -1;
    bof_ = eof_ = true;
}

void Table::first() {
    requireBrowse();
    const QString k = def_.key().name;
    hasRow_ = fetchOne(QStringLiteral("ORDER BY t.%1").arg(k), {});
    if (!hasRow_) {
        values_.clear();
        key_ = -1;
    }
    bof_ = true;
    eof_ = !hasRow_;
    emit currentChanged();
}

void Table::last() {
    requireBrowse();
    const QString k = def_.key().name;
    hasRow_ = fetchOne(QStringLiteral("ORDER BY t.%1 DESC").arg(k), {});
    if (!hasRow_) {
        values_.clear();
        key_ = -1;
    }
    eof_ = true;
    bof_ = !hasRow_;
    emit currentChanged();
}

void Table::next() {
    requireBrowse();
    const QString k = def_.key().name;
    bof_ = false;
    if (hasRow_ && fetchOne(QStringLiteral("WHERE t.%1 > ? ORDER BY t.%1").arg(k), {key_})) {
        eof_ = false;
        emit currentChanged();
    } else {
        eof_ = true;
    }
}

void Table::prior() {
    requireBrowse();
    const QString k = def_.key().name;
    eof_ = false;
    if (hasRow_ && fetchOne(QStringLiteral("WHERE t.%1 < ? ORDER BY t.%1 DESC").arg(k), {key_})) {
        bof_ = false;
        emit currentChanged();
    } else {
        bof_ = true;
    }
}

bool Table::locate(const QString& name, const QVariant& value) {
    requireBrowse();
    const FieldDef& f = storedField(name);
    if (!fetchOne(QStringLiteral("WHERE t.%1 = ? ORDER BY t.%2").arg(f.name, def_.key().name),
                  {value}))
        return false;
    bof_ = eof_ = false;
    emit currentChanged();
    return true;
}

bool Table::isEmpty() const {
    return recordCount() == 0;
}

int Table::recordCount() const {
    requireOpen();
    QSqlQuery q(db_.connection());
    if (!q.exec(QStringLiteral("SELECT count(*) FROM %1.%2").arg(def_.schema, def_.name)) ||
        !q.next())
        throw DataError(q.lastError().databaseText());
    return q.value(0).toInt();
}

QVariantList Table::columnValues(const QString& name, bool descending) const {
    requireOpen();
    const FieldDef& f = storedField(name);
    QSqlQuery q(db_.connection());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT %1 FROM %2.%3 ORDER BY %4 %5")
                    .arg(f.name, def_.schema, def_.name, def_.key().name,
                         descending ? QStringLiteral("DESC") : QStringLiteral("ASC"))))
        throw DataError(q.lastError().databaseText());
    QVariantList out;
    while (q.next())
        out << q.value(0);
    return out;
}

QList<QVariantMap> Table::allRows() const {
    requireOpen();
    QSqlQuery q(db_.connection());
    q.setForwardOnly(true);
    if (!q.exec(selectList() + QStringLiteral("ORDER BY t.%1").arg(def_.key().name)))
        throw DataError(q.lastError().databaseText());
    QList<QVariantMap> rows;
    while (q.next()) {
        QVariantMap row;
        const QSqlRecord rec = q.record();
        for (int i = 0; i < rec.count(); ++i)
            row.insert(rec.fieldName(i), q.value(i));
        rows << row;
    }
    return rows;
}

QVariant Table::field(const QString& name) const {
    requireOpen();
    for (auto it = values_.cbegin(); it != values_.cend(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.value();
    if (!def_.field(name)) {
        bool isLookup = false;
        for (const LookupDef& l : def_.lookups)
            isLookup = isLookup || l.name.compare(name, Qt::CaseInsensitive) == 0;
        if (!isLookup)
            throw DataError(QStringLiteral("Field '%1' not found").arg(name));
    }
    return {};
}

void Table::append() {
    requireBrowse();
    if (def_.readOnly)
        throw DataError(QStringLiteral("Cannot modify a read-only dataset"));
    state_ = State::Insert;
    values_.clear();
}

void Table::edit() {
    requireBrowse();
    if (def_.readOnly)
        throw DataError(QStringLiteral("Cannot modify a read-only dataset"));
    if (!hasRow_) {
        append();
        return;
    }
    state_ = State::Edit;
}

void Table::setField(const QString& name, const QVariant& value) {
    if (state_ != State::Edit && state_ != State::Insert)
        throw DataError(QStringLiteral("Dataset not in edit or insert mode"));
    const FieldDef& f = storedField(name);
    if (f.type == FieldType::AutoIncrement)
        throw DataError(QStringLiteral("Field '%1' cannot be modified").arg(f.name));
    QVariant v = value;
    if (f.type == FieldType::Text && v.isValid() && !v.isNull())
        v = cutText(v.toString(), f.width);
    else if (f.type == FieldType::Boolean && v.isValid() && !v.isNull())
        v = v.toBool() ? 1 : 0;
    values_.insert(f.name, v);
}

void Table::post() {
    if (state_ != State::Edit && state_ != State::Insert)
        return;
    for (const FieldDef& f : def_.fields) {
        if (!f.required)
            continue;
        const QVariant v = values_.value(f.name);
        if (!v.isValid() || v.isNull() || (f.type == FieldType::Text && v.toString().isEmpty()))
            throw DataError(QStringLiteral("Field '%1' must have a value").arg(f.title()));
    }
    QStringList names;
    QVariantList binds;
    for (const FieldDef& f : def_.fields) {
        if (f.type == FieldType::AutoIncrement || !values_.contains(f.name))
            continue;
        names << f.name;
        const QVariant v = values_.value(f.name);
        binds << (f.type == FieldType::Text && v.toString().isEmpty() ? QVariant() : v);
    }
    QSqlQuery q(db_.connection());
    QString sql;
    if (state_ == State::Insert) {
        sql = names.isEmpty()
                  ? QStringLiteral("INSERT INTO %1.%2 DEFAULT VALUES").arg(def_.schema, def_.name)
                  : QStringLiteral("INSERT INTO %1.%2 (%3) VALUES (%4)")
                        .arg(def_.schema, def_.name, names.join(u','),
                             QStringList(names.size(), QStringLiteral("?")).join(u','));
    } else {
        QStringList sets;
        for (const QString& n : names)
            sets << n + QStringLiteral(" = ?");
        if (sets.isEmpty()) {
            state_ = State::Browse;
            return;
        }
        sql = QStringLiteral("UPDATE %1.%2 SET %3 WHERE %4 = ?")
                  .arg(def_.schema, def_.name, sets.join(u','), def_.key().name);
        binds << key_;
    }
    if (!q.prepare(sql))
        throw DataError(q.lastError().databaseText());
    for (const QVariant& b : binds)
        q.addBindValue(b);
    if (!q.exec())
        throw DataError(writeFailure(q.lastError()));
    const bool inserted = state_ == State::Insert;
    const qint64 key = inserted ? q.lastInsertId().toLongLong() : key_;
    state_ = State::Browse;
    fetchOne(QStringLiteral("WHERE t.%1 = ?").arg(def_.key().name), {key});
    bof_ = eof_ = false;
    emit rowPosted(key, inserted);
    emit rowsChanged();
    emit currentChanged();
}

void Table::cancel() {
    if (state_ != State::Edit && state_ != State::Insert)
        return;
    state_ = State::Browse;
    if (hasRow_)
        fetchOne(QStringLiteral("WHERE t.%1 = ?").arg(def_.key().name), {key_});
    else
        values_.clear();
    emit currentChanged();
}

void Table::deleteRow() {
    requireBrowse();
    if (def_.readOnly)
        throw DataError(QStringLiteral("Cannot modify a read-only dataset"));
    if (!hasRow_)
        throw DataError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    QSqlQuery q(db_.connection());
    q.prepare(QStringLiteral("DELETE FROM %1.%2 WHERE %3 = ?")
                  .arg(def_.schema, def_.name, def_.key().name));
    q.addBindValue(key_);
    if (!q.exec())
        throw DataError(writeFailure(q.lastError()));
    const qint64 removed = key_;
    const QString k = def_.key().name;
    // The row after the deleted one becomes current, or the new last row.
    if (!fetchOne(QStringLiteral("WHERE t.%1 > ? ORDER BY t.%1").arg(k), {removed}) &&
        !fetchOne(QStringLiteral("WHERE t.%1 < ? ORDER BY t.%1 DESC").arg(k), {removed})) {
        hasRow_ = false;
        values_.clear();
        key_ = -1;
    }
    bof_ = eof_ = !hasRow_;
    emit rowDeleted(removed);
    emit rowsChanged();
    emit currentChanged();
}

}  // namespace lex

namespace lex {

void Table::deleteAll() {
    requireBrowse();
    if (def_.readOnly)
        throw DataError(QStringLiteral("Cannot modify a read-only dataset"));
    QSqlQuery q(db_.connection());
    if (!q.exec(QStringLiteral("DELETE FROM %1.%2").arg(def_.schema, def_.name)))
        throw DataError(writeFailure(q.lastError()));
    hasRow_ = false;
    values_.clear();
    key_ = -1;
    bof_ = eof_ = true;
    emit allDeleted();
    emit rowsChanged();
    emit currentChanged();
}

}  // namespace lex
