#pragma once

#include <QAbstractTableModel>
#include <QStringList>

namespace lex {

class ResultQuery;

// The rows of a dictionary query for a grid: the given fields (Data, Meaning or Qty), the
// headword in blue, titled by their display labels. Rows are read from the query as the grid
// shows them.
class ResultModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { DataColumn, MeaningColumn };

    explicit ResultModel(ResultQuery& query, QObject* parent = nullptr,
                         QStringList fields = {QStringLiteral("Data"), QStringLiteral("Meaning")});

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    ResultQuery& query_;
    QStringList fields_;
};

}  // namespace lex
