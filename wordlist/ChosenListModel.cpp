#include "wordlist/ChosenListModel.h"

#include <QColor>
#include <algorithm>

#include "data/Table.h"
#include "ui/Controls.h"

namespace lex {

ChosenListModel::ChosenListModel(Table& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
    connect(&table_, &Table::rowPosted, this, &ChosenListModel::rowPosted);
    connect(&table_, &Table::rowDeleted, this, &ChosenListModel::rowDeleted);
    connect(&table_, &Table::allDeleted, this, &ChosenListModel::reload);
    reload();
}

void ChosenListModel::reload() {
    beginResetModel();
    rows_ = table_.isOpen() ? table_.allRows() : QList<QVariantMap>();
    keys_.clear();
    keys_.reserve(static_cast<size_t>(rows_.size()));
    for (const QVariantMap& row : rows_)
        keys_.push_back(row.value(QStringLiteral("ID")).toLongLong());
    endResetModel();
}

void ChosenListModel::rowPosted(qint64 key, bool inserted) {
    const int known = static_cast<int>(rows_.size());
    if (inserted && (keys_.empty() || keys_.back() < key) && table_.recordCount() == known + 1) {
        beginInsertRows({}, known, known);
        rows_.append(table_.currentValues());
        keys_.push_back(key);
        endInsertRows();
        return;
    }
    const int row = rowOfKey(key);
    if (!inserted && row >= 0) {
        rows_[row] = table_.currentValues();
        emit dataChanged(index(row, 0), index(row, 0));
        return;
    }
    reload();
}

void ChosenListModel::rowDeleted(qint64 key) {
    const int row = rowOfKey(key);
    if (row < 0 || table_.recordCount() != static_cast<int>(rows_.size()) - 1) {
        reload();
        return;
    }
    beginRemoveRows({}, row, row);
    rows_.removeAt(row);
    keys_.erase(keys_.begin() + row);
    endRemoveRows();
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
    const auto it = std::lower_bound(keys_.begin(), keys_.end(), key);
    return it != keys_.end() && *it == key ? static_cast<int>(it - keys_.begin()) : -1;
}

}  // namespace lex
