#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "cli/DictTool.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    return lex::runDictTool(app.arguments().mid(1), out, err);
}
