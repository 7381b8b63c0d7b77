#pragma once

#include <QString>
#include <functional>
#include <map>
#include <vector>

#include "data/DictionaryFile.h"

namespace lex {

// Writing the table files, which only the data tool does; the program never creates or empties
// a table. Every function throws DataError with a message for the user.
namespace store {

// Creates the directory (when missing) and the four table files with their tables. Refuses when
// any of the files exists, so nobody's list, history or settings are overwritten.
void createTables(const QString& directory);

// Appends the entries to the dictionary in one transaction and prepares the dictionary order
// again; on failure nothing is stored. Returns the number of entries now in the dictionary.
// `progress`, when given, is told the number of entries stored so far every few thousand entries
// and once all are (before the order is prepared).
int importEntries(const QString& directory, const std::vector<DictionaryEntry>& entries,
                  const std::function<void(int stored)>& progress = {});

// Every dictionary entry in ID order.
std::vector<DictionaryEntry> exportEntries(const QString& directory);

// Number of dictionary entries per direction code.
std::map<int, int> countByType(const QString& directory);

struct FieldCounts {
    int entries = 0;
    int withMeaning = 0;        // a meaning that is not empty
    int counted = 0;            // a lookup count above 0
    double headwordLength = 0;  // average, in characters
    double meaningLength = 0;
};
// The same per direction code, with what the fields hold.
std::map<int, FieldCounts> fieldCountsByType(const QString& directory);

}  // namespace store
}  // namespace lex
