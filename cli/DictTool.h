#pragma once

#include <QStringList>

class QTextStream;

namespace lex {

// The data tool: creates the table files, imports and exports the dictionary, sets the alias.
// `args` excludes the program name. Returns the process exit code.
int runDictTool(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace lex
