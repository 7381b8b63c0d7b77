#include "lookup/ResultModel.h"

#include <QColor>

#include "data/ResultQuery.h"
#include "data/Schema.h"

namespace lex {

ResultModel::ResultModel(ResultQuery& query, QObject* parent)
    : QAbstractTableModel(parent), query_(query) {
    connect(&query_, &ResultQuery::aboutToReset, this, [this] { beginResetModel(); });
    connect(&query_, &ResultQuery::reset, this, [this] { endResetModel(); });
}

int ResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !query_.isOpen() ? 0 : query_.recordCount();
}

int ResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole) {
        const ResultQuery::Row& row = query_.rowAt(index.row());
        return index.column() == DataColumn ? row.data : row.meaning;
    }
    if (role == Qt::ForegroundRole && index.column() == DataColumn)
        return QColor(Qt::blue);
    return {};
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QVariant();
    const TableDef& def = schema::mainData();
    return section == DataColumn ? def.field(QStringLiteral("Data"))->title()
                                 : def.field(QStringLiteral("Meaning"))->title();
}

}  // namespace lex
