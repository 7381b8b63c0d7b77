#include "lookup/DirectionBrowse.h"

#include <QWidget>

#include "data/ResultQuery.h"
#include "lookup/ResultSummary.h"

namespace lex {

QStringList browseStatement(int directionCode) {
    return {QStringLiteral("Select * From Main_data"),
            QStringLiteral("Where Type = %1").arg(directionCode), QStringLiteral("Order by Data")};
}

void DirectionBrowse::run(int directionCode) {
    grid_->setEnabled(true);
    query_.close();
    query_.clearSql();
    query_.setSql(browseStatement(directionCode));
    query_.open();
    summary_.show(query_.recordCount());
}

}  // namespace lex
