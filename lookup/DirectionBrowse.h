#pragma once

#include <QStringList>

namespace lex {

// The statement that lists every entry of one direction code, in dictionary order.
QStringList browseStatement(int directionCode);

}  // namespace lex
