#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "data/DictionaryFile.h"

namespace lex {

// The delivered dictionary, put together from the team's source files and WordNet:
// - English to Thai (1) and Thai to Thai (4) from the source files;
// - Thai to English (2): the written entries, and every Thai term of the English-to-Thai set
//   with its English terms;
// - English to English (3): the written entries, WordNet's definition of every English headword
//   of the English-to-Thai set, and the WordNet words of technical topics.
// A headword appears once per direction; a repeated headword with another meaning has the
// meanings joined while they fit 255 characters.
struct DefaultDictionarySources {
    QStringList files;       // dictionary text files, in order of precedence
    QString wordnetDirectory;  // empty or missing: no WordNet part
};

std::vector<DictionaryEntry> buildDefaultDictionary(const DefaultDictionarySources& sources,
                                                    QStringList* notes);

// The Thai term a meaning of the English-to-Thai set starts with (before "; " and without a
// trailing remark in parentheses), or an empty text when it starts with no Thai.
QString thaiTermOf(const QString& meaning);

// The topic domains whose WordNet words the English-to-English part takes.
const QStringList& technicalTopics();

}  // namespace lex
