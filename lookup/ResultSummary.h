#pragma once

#include <QString>

class QLineEdit;

namespace lex {

class Gauge;

// The share of the dictionary a result holds, as the share chart shows it: n × 100 ÷ total,
// rounded half to even, plus 1, at most 100. A dictionary without counted entries shows 0.
int sharePercent(qint64 n, qint64 total);

// Shows the count of an opened result in the count box and its share in the share chart.
class ResultSummary {
  public:
    ResultSummary(QLineEdit* countBox, Gauge* shareChart)
        : countBox_(countBox), chart_(shareChart) {}
    void setDictionaryTotal(qint64 total) { total_ = total; }
    qint64 dictionaryTotal() const { return total_; }
    void show(qint64 rows);

  private:
    QLineEdit* countBox_;
    Gauge* chart_;
    qint64 total_ = 0;
};

}  // namespace lex
