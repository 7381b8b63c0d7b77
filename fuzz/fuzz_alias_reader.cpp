// An alias file: read as the program finds its data directory, and rewritten by the data tool.
#include <QDir>

#include "data/AliasResolver.h"
#include "data/IniFile.h"
#include "fuzz/FuzzSupport.h"

namespace {
QString configFolder() {
    return lex::fuzz::scratchDirectory() + QStringLiteral("/config");
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    lex::fuzz::prepare(argc, argv);
    QDir().mkpath(configFolder() + QStringLiteral("/kolvane"));
    qputenv("XDG_CONFIG_HOME", configFolder().toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS",
            (lex::fuzz::scratchDirectory() + QStringLiteral("/none")).toLocal8Bit());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString file = configFolder() + QStringLiteral("/kolvane/aliases.ini");
    lex::fuzz::writeFile(file, data, size);
    const QString before = lex::alias::resolve();

    // Defining another alias keeps what the file said of ours.
    QString error;
    if (!lex::alias::define(QStringLiteral("Other"), QStringLiteral("/tmp/other"), &error))
        __builtin_trap();
    if (lex::alias::resolve() != before)
        __builtin_trap();
    if (lex::alias::resolve(QStringLiteral("Other")) != QStringLiteral("/tmp/other"))
        __builtin_trap();
    // Our own alias, defined, reads back as written.
    if (!lex::alias::define(QString::fromLatin1(lex::alias::kDictionaryAlias),
                            QStringLiteral("/tmp/ruv idez"), &error) ||
        lex::alias::resolve() != QStringLiteral("/tmp/ruv idez"))
        __builtin_trap();
    return 0;
}
