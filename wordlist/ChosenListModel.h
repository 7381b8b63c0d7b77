#pragma once

#include <QAbstractTableModel>
#include <QVariantMap>

namespace lex {

class Table;

// The rows of the chosen-word list for its grid: the headword (a lookup field) in blue, titled
// "คำศัพท์", in the order of adding. Reloaded whenever a row is posted or deleted.
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
    Table& table_;
    QList<QVariantMap> rows_;
};

}  // namespace lex
