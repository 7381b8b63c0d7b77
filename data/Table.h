#pragma once

#include <QObject>
#include <QVariant>
#include <QVariantMap>

class QSqlError;

#include "data/Schema.h"

namespace lex {

class Database;

// A table of the data directory with a current row, read in ascending key order: the row
// operations the features use (first, last, next, prior, locate, append, edit, post, cancel,
// delete, row count) and the lookup fields of its definition. Every operation asks the engine,
// so a second running copy's rows are seen, and every value reaches SQL as a bound parameter.
class Table : public QObject {
    Q_OBJECT
  public:
    enum class State { Inactive, Browse, Edit, Insert };

    Table(const Database& db, const TableDef& def, QObject* parent = nullptr);

    const TableDef& def() const { return def_; }
    const Database& database() const { return db_; }
    State state() const { return state_; }
    bool isOpen() const { return state_ != State::Inactive; }

    void open();  // on the first row
    void close();

    void first();
    void last();
    void next();
    void prior();
    bool locate(const QString& field, const QVariant& value);
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    bool isEmpty() const;
    int recordCount() const;
    bool hasCurrentRow() const { return hasRow_; }

    // One field of every row in key order (newest first when `descending`), in one read.
    QVariantList columnValues(const QString& field, bool descending) const;
    // Every row with its lookup fields, in key order, in one read.
    QList<QVariantMap> allRows() const;

    QVariant field(const QString& name) const;
    QString fieldText(const QString& name) const { return field(name).toString(); }
    int fieldInt(const QString& name) const { return field(name).toInt(); }
    bool fieldBool(const QString& name) const { return field(name).toInt() != 0; }

    void append();  // a new empty row, posted by post()
    void edit();    // the current row; starts a new row when the table is empty
    void setField(const QString& name, const QVariant& value);  // texts are cut to their width
    void post();  // throws DataError, and then stays in editing
    void cancel();
    void deleteRow();
    void deleteAll();  // in one transaction: every row or none

    // The current row's values, lookup fields included.
    const QVariantMap& currentValues() const { return values_; }

  signals:
    void rowsChanged();     // a row was posted or deleted
    void currentChanged();  // the current row moved or its values changed
    // Which row changed, for views that follow a long table row by row (each comes with a
    // rowsChanged as well): a row posted (new or edited), one deleted, or every row deleted.
    void rowPosted(qint64 key, bool inserted);
    void rowDeleted(qint64 key);
    void allDeleted();

  private:
    QString selectList() const;
    // The engine's reason a write failed, with what it means for the user when the file could
    // not be written.
    QString writeFailure(const QSqlError& error) const;
    bool fetchOne(const QString& whereOrder, const QVariantList& binds);
    void requireOpen() const;
    void requireBrowse() const;
    const FieldDef& storedField(const QString& name) const;

    const Database& db_;
    const TableDef& def_;
    State state_ = State::Inactive;
    QVariantMap values_;  // the current row, or the row being edited
    qint64 key_ = -1;
    bool hasRow_ = false;
    bool bof_ = true;
    bool eof_ = true;
};

}  // namespace lex
