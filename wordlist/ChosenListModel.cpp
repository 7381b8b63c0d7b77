#include "wordlist/ChosenListModel.h"

#include <QColor>

#include "data/Table.h"
#include "ui/Controls.h"

namespace lex {

ChosenListModel::ChosenListModel(Table& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
    connect(&table_, &Table::rowsChanged, this, &ChosenListModel::reload);
    reload();
}

void ChosenListModel::reload() {
    beginResetModel();
    rows_ = table_.isOpen() ? table_.allRows() : QList<QVariantMap>();
    endResetModel();
}

int ChosenListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ChosenListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant ChosenListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    if (role == Qt::DisplayRole)
        return rows_[index.row()].value(QStringLiteral("Data"));
    if (role == Qt::ForegroundRole)
        return readableOn(QColor(Qt::blue), QPalette::ToolTipBase);
    return {};
}

QVariant ChosenListModel::headerData(int, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return QStringLiteral("คำศัพท์");
}

qint64 ChosenListModel::keyAt(int row) const {
    return row >= 0 && row < rows_.size() ? rows_[row].value(QStringLiteral("ID")).toLongLong()
                                          : -1;
}

int ChosenListModel::rowOfKey(qint64 key) const {
    for (int r = 0; r < rows_.size(); ++r)
        if (rows_[r].value(QStringLiteral("ID")).toLongLong() == key)
            return r;
    return -1;
}

}  // namespace lex
