#pragma once

#include <QStringList>

class QWidget;

namespace lex {

class ResultQuery;
class ResultSummary;

// The statement that lists every entry of one direction code, in dictionary order.
QStringList browseStatement(int directionCode);

// The four direction buttons: list one direction's whole dictionary in the result grid. The
// search text, the toggles, the history and its drop-down list are left as they are.
class DirectionBrowse {
  public:
    DirectionBrowse(ResultQuery& query, ResultSummary& summary, QWidget* resultGrid)
        : query_(query), summary_(summary), grid_(resultGrid) {}

    // An engine error throws and leaves the query closed and the summary as it was.
    void run(int directionCode);

  private:
    ResultQuery& query_;
    ResultSummary& summary_;
    QWidget* grid_;
};

}  // namespace lex
