#include <unistd.h>

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "cli/DictTool.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    // The progress of a long import is for a person watching, not for a log or a pipe.
    return lex::runDictTool(app.arguments().mid(1), out, err, isatty(STDERR_FILENO) == 1);
}
