#pragma once

#include <QAbstractTableModel>
#include <QVariantMap>
#include <vector>

namespace lex {

class Table;

// The rows of the chosen-word list for its grid: the headword (a lookup field) in blue, titled
// "คำศัพท์", in the order of adding. A row added or deleted is added or taken out alone, so a list
// of a hundred thousand words stays quick; where the table holds rows the model does not know of
// (another running copy added some), the whole list is read again.
class ChosenListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit ChosenListModel(Table& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void reload();
    qint64 keyAt(int row) const;
    int rowOfKey(qint64 key) const;  // -1 when absent

  private:
    void rowPosted(qint64 key, bool inserted);
    void rowDeleted(qint64 key);

    Table& table_;
    QList<QVariantMap> rows_;
    std::vector<qint64> keys_;  // the rows' IDs, ascending like the rows
};

}  // namespace lex
