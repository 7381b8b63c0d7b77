#pragma once

#include <QString>

namespace lex::bench {

// Builds (once) a data directory holding a synthetic dictionary of `entries` entries, cached
// under `cacheRoot`, and returns its path.
QString syntheticDataDirectory(int entries, const QString& cacheRoot);

}  // namespace lex::bench
