// A dictionary file: parsed; every good file is written out again and must read back the same,
// and small ones are imported into fresh table files and exported again.
#include <QDir>

#include "data/DataError.h"
#include "data/DictionaryFile.h"
#include "data/DictionaryStore.h"
#include "fuzz/FuzzSupport.h"

namespace {

bool same(const std::vector<lex::DictionaryEntry>& a, const std::vector<lex::DictionaryEntry>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].headword != b[i].headword || a[i].meaning != b[i].meaning ||
            a[i].type != b[i].type || a[i].qty != b[i].qty)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    lex::fuzz::prepare(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const lex::DictionaryParseResult parsed = lex::parseDictionary(content);
    if (!parsed.ok()) {
        if (parsed.errorLine <= 0 || !parsed.entries.empty())
            __builtin_trap();  // a refused file names its line and gives no entries
        return 0;
    }
    QByteArray written;
    for (const lex::DictionaryEntry& entry : parsed.entries) {
        QString error;
        const QByteArray line = lex::formatDictionaryLine(entry, &error);
        if (line.isEmpty())
            __builtin_trap();  // the parser let through a field the writer cannot write
        written += line;
    }
    const lex::DictionaryParseResult again = lex::parseDictionary(written);
    if (!again.ok() || !same(parsed.entries, again.entries))
        __builtin_trap();

    if (parsed.entries.empty() || parsed.entries.size() > 16)
        return 0;
    const QString folder = lex::fuzz::scratchDirectory() + QStringLiteral("/tables");
    QDir(folder).removeRecursively();
    try {
        lex::store::createTables(folder);
        lex::store::importEntries(folder, parsed.entries);
    } catch (const lex::DataError&) {
        return 0;  // refused with a message (a field too long for the table, say)
    }
    if (!same(parsed.entries, lex::store::exportEntries(folder)))
        __builtin_trap();
    return 0;
}
