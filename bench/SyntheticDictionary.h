#pragma once

#include <QString>

namespace lex::bench {

// Writes a synthetic dictionary of `entries` entries in the import format: English and Thai
// engineering words in realistic lengths, all four direction codes and a few codes 0 and 5.
// The same count always gives the same file.
void writeSyntheticDictionary(int entries, const QString& path);

}  // namespace lex::bench
