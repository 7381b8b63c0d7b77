#include "lookup/ResultSummary.h"

#include <QLineEdit>
#include <cmath>

#include "ui/Formats.h"
#include "ui/Gauge.h"

namespace lex {

int sharePercent(qint64 n, qint64 total) {
    if (total <= 0)
        return 0;
    const double share = static_cast<double>(n) * 100.0 / static_cast<double>(total);
    const double rounded = std::nearbyint(share);  // the default rounding: half to even
    return static_cast<int>(std::min(100.0, rounded + 1));
}

void ResultSummary::show(qint64 rows) {
    countBox_->setText(formatCount(rows));
    chart_->setProgress(sharePercent(rows, total_));
}

}  // namespace lex
