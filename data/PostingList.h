#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/LargePages.h"

namespace lex {

class BitSet;

// A compact list of ascending entry numbers (ranks) below a known number of entries. A list is
// stored either as a bitmap of every entry (when at least about one entry in ten is in it) or as
// blocks of 128 ranks: each block holds its first rank and the gaps to the next ones, packed at
// the width its largest gap needs.
namespace postings {

// Where a list lies in the buffer of lists, and how it is stored.
struct ListRef {
    uint32_t count = 0;
    uint32_t offset = 0;  // bytes from the start of the buffer
    uint32_t bytes = 0;
    bool bitmap = false;
};

// Appends the list of `n` ascending ranks, each below `entries`, to `buffer`.
ListRef append(LargeVector<uint8_t>& buffer, const uint32_t* ranks, size_t n, uint32_t entries);

// Bytes the reader may look past the last list (the packed gaps are read eight bytes at a time).
inline constexpr size_t kPadding = 8;

// Adds the list's ranks to `out` (whose size is the number of entries). A damaged list adds
// what could be read of it and never reads or writes outside the buffer or the set.
void addTo(const uint8_t* buffer, size_t bufferBytes, const ListRef& list, BitSet& out);

// True when the list, as described, lies inside a buffer of `bufferBytes` bytes.
bool fits(const ListRef& list, size_t bufferBytes, uint32_t entries);

}  // namespace postings
}  // namespace lex
