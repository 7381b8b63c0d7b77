#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

#include "data/DictionaryFile.h"

namespace lex {

// The delivered dictionary, put together from the team's source files and WordNet.
//
// Source files: "# field: NAME" comment lines set the engineering field of the entries that
// follow them in that file. English to Thai (1), English to English (3) and Thai to Thai (4) come
// from the written entries. Thai to English (2) is the written code-2 entries plus, for every
// code-1 source entry (before any merging), each of its Thai terms (see thaiTermsOf) with the
// entry's English headword as the meaning.
//
// English to English: the written definitions are the source for every code-1 headword. WordNet
// only fills in a code-1 headword that has no written definition, and only with a sense it can
// tell is technical (a technical topic, or a technical kind of noun whose gloss reads as one);
// it also adds the nouns of a few engineering and science topics that no file defines. A WordNet
// gloss is never shortened: one that does not fit 255 characters is left out.
//
// One entry per headword and direction. A headword written more than once has its senses joined:
// when they come from different fields each is labelled "(field) ", items that repeat an item
// already in the meaning are dropped, and a sense that would take the meaning past 255
// characters is left out (the notes name those headwords). The English definition of a further
// field joins only when the English-to-Thai entry kept a sense of that field (when its Thai
// terms all repeated another field's, the fields share one sense and one definition).
struct DefaultDictionarySources {
    QStringList files;         // dictionary text files, in order of precedence
    QString wordnetDirectory;  // empty or missing: no WordNet part
};

std::vector<DictionaryEntry> buildDefaultDictionary(const DefaultDictionarySources& sources,
                                                    QStringList* notes);

// An entry of a source file with the field it was written under (empty before any field line).
struct SourceEntry {
    DictionaryEntry entry;
    QString field;
    int line = 0;
};

// The entries of one source file; throws DataError when it cannot be read or does not parse.
std::vector<SourceEntry> readSourceFile(const QString& path);

// The Thai terms of an English-to-Thai meaning "TERMS[; EXPLANATION]": every item of TERMS (the
// items are separated by ", "), each Thai text in parentheses right after an item (a variant
// spelling or synonym: "แก๊ส (ก๊าซ)" gives แก๊ส and ก๊าซ), and, for files written other ways, a
// second "; " part that is a short Thai term without spaces or explanation words, or the terms of
// senses labelled in the line ("(ชลศาสตร์) ทางน้ำ; (โยธา) เหล็กรางน้ำ"). Labels and Latin
// abbreviations in parentheses are left out. Empty when TERMS holds no Thai.
QStringList thaiTermsOf(const QString& meaning);

// The first item of a term list (code 1 or 2 meaning, parts separated by "; " and ", ", a leading
// "(label) " of a part left out when the label is one of `labels`) that repeats an earlier item,
// compared without letter case and without a trailing remark in parentheses; empty when none.
QString repeatedItem(const QString& meaning, const QSet<QString>& labels = {});

// A house spelling and a variant of it to avoid. The variant may stand only in parentheses right
// after the term written with the house spelling ("แก๊สธรรมชาติ (ก๊าซธรรมชาติ)"). The words in
// `notVariantIn` hold the variant's letters without being the variant ("โพลิช" for โพลิ).
struct HouseSpelling {
    QString house;
    QString variant;
    QString note;
    QStringList notVariantIn;
};

// Reads house-spellings.tsv: "house<TAB>variant[<TAB>note]" lines, '#' comments; a note may end
// in "not a variant in: WORD, WORD". Throws DataError when the file cannot be read.
std::vector<HouseSpelling> readHouseSpellings(const QString& path);

// The variants that `text` uses where it should not, as "variant (write house)"; empty when the
// text follows the list.
QStringList houseSpellingProblems(const QString& text, const std::vector<HouseSpelling>& list);

// The topic domains WordNet's senses must belong to before the build takes them as technical.
const QStringList& technicalTopics();

}  // namespace lex
