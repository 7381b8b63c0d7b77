#pragma once

#include <QAbstractTableModel>

namespace lex {

class ResultQuery;

// The rows of the result query for the result grid: headword (in blue) and meaning, titled by
// their display labels. Rows are read from the query as the grid shows them.
class ResultModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { DataColumn, MeaningColumn, ColumnCount };

    explicit ResultModel(ResultQuery& query, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    ResultQuery& query_;
};

}  // namespace lex
