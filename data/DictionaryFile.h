#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace lex {

struct DictionaryEntry {
    QString headword;
    QString meaning;
    int type = 0;
    int qty = 0;
};

// The dictionary text format: UTF-8, one entry per line, TAB-separated fields headword, meaning,
// direction code and, optionally, lookup count (0 when left off); no header line; a line starting
// with '#' is a comment, and a blank line is skipped. Texts are stored in NFC.
struct DictionaryParseResult {
    std::vector<DictionaryEntry> entries;
    QString error;  // "line N: reason" for the first malformed line; empty when all are good
    int errorLine = 0;
    bool ok() const { return error.isEmpty(); }
};

DictionaryParseResult parseDictionary(const QByteArray& content);

// One line of the format for an entry, or an empty text (with `error` set) when a field holds a
// TAB or a line break and cannot be written.
QByteArray formatDictionaryLine(const DictionaryEntry& entry, QString* error);

}  // namespace lex
