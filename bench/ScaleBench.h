#pragma once

#include <QList>
#include <QStringList>

namespace lex::bench {

// Runs the benchmark of each size in a child process of its own (so each size gets its own peak
// memory), passing `childArgs` on, and echoes the child's lines. Then prints one "scale" line per
// size (load time, the median and the worst search over all needles and modes, the slowest
// browse, peak memory) and a "scaling" line: each of them at every size divided by its value at
// the first size.
void scaleBenchmark(const QList<int>& sizes, const QStringList& childArgs);

}  // namespace lex::bench
