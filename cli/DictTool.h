#pragma once

#include <QStringList>

class QTextStream;

namespace lex {

// The data tool: creates the table files, imports and exports the dictionary, sets the alias.
// `args` excludes the program name. With `showProgress` (standard error is a terminal), a long
// import or build-default tells on `err` how far it is, on one line rewritten in place. Returns
// the process exit code.
int runDictTool(const QStringList& args, QTextStream& out, QTextStream& err,
                bool showProgress = false);

}  // namespace lex
