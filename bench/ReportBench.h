#pragma once

namespace lex::bench {

// Preparing the word-list report of `entries` chosen words (time to page 1 and to the whole
// report) and going to pages of it.
void reportBenchmark(int entries, int runs);

}  // namespace lex::bench
