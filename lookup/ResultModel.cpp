#include "lookup/ResultModel.h"

#include <QColor>

#include "data/ResultQuery.h"
#include "data/Schema.h"
#include "ui/Controls.h"

namespace lex {

ResultModel::ResultModel(ResultQuery& query, QObject* parent, QStringList fields)
    : QAbstractTableModel(parent), query_(query), fields_(std::move(fields)) {
    connect(&query_, &ResultQuery::aboutToReset, this, [this] { beginResetModel(); });
    connect(&query_, &ResultQuery::reset, this, [this] { endResetModel(); });
}

int ResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !query_.isOpen() ? 0 : query_.recordCount();
}

int ResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(fields_.size());
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const QString& field = fields_[index.column()];
    if (role == Qt::DisplayRole) {
        const ResultQuery::Row& row = query_.rowAt(index.row());
        if (field == QLatin1String("Data"))
            return row.data;
        if (field == QLatin1String("Meaning"))
            return row.meaning;
        return row.qty;
    }
    if (role == Qt::ForegroundRole && field == QLatin1String("Data"))
        return readableOn(QColor(Qt::blue), QPalette::ToolTipBase);
    return {};
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QVariant();
    return schema::mainData().field(fields_[section])->title();
}

}  // namespace lex
