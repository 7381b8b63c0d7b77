#pragma once

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <vector>

namespace lex {

class Database;
class DictionaryIndex;

// A read-only query on the dictionary (Query1, QueryTop): its statement is a list of lines, its
// values are bound by name, and opening it runs the statement. It holds only the ranks of the
// matching entries, in order; the rows are read from the table when they are shown, a block at a
// time.
class ResultQuery : public QObject {
    Q_OBJECT
  public:
    struct Row {
        int id = 0;
        QString data;
        QString meaning;
        int type = 0;
        int qty = 0;
    };

    ResultQuery(const Database& db, const DictionaryIndex& index, QObject* parent = nullptr);

    void setSql(const QStringList& lines);
    void clearSql();
    const QStringList& sql() const { return sql_; }
    void bindValue(const QString& name, const QVariant& value);

    void open();  // throws DataError; the query then stays closed
    void close();
    bool isOpen() const { return open_; }

    int recordCount() const { return static_cast<int>(ranks_.size()); }
    int currentRow() const { return current_; }  // -1 when closed or empty
    void setCurrentRow(int row);
    void first() { setCurrentRow(ranks_.empty() ? -1 : 0); }
    int idAt(int row) const;
    const Row& rowAt(int row) const;

  signals:
    void aboutToReset();
    void reset();  // opened or closed: every row changed
    void currentRowChanged(int row);

  private:
    const Database& db_;
    const DictionaryIndex& index_;
    QStringList sql_;
    QVariantMap bound_;
    bool open_ = false;
    std::vector<uint32_t> ranks_;  // dictionary ranks of the rows; its room is kept for reuse
    int current_ = -1;
    mutable QHash<int, std::vector<Row>> blocks_;
};

}  // namespace lex
