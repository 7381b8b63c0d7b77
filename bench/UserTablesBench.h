#pragma once

namespace lex::bench {

// The user's own tables at `rows` rows: a search with an empty history against one with `rows`
// history rows, and adding, deleting and clearing a chosen word in a list of `rows` words.
// Prints one JSON object per measurement.
void userTablesBenchmark(int rows, int runs);

}  // namespace lex::bench
