#include "lookup/DirectionBrowse.h"

namespace lex {

QStringList browseStatement(int directionCode) {
    return {QStringLiteral("Select * From Main_data"),
            QStringLiteral("Where Type = %1").arg(directionCode), QStringLiteral("Order by Data")};
}

}  // namespace lex
