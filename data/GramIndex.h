#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/LargePages.h"
#include "data/PostingList.h"

namespace lex {

class BitSet;
class LikePattern;

// Which entries of one text field hold each character and each run of three characters, over
// the folded search form, as lists of ranks. A pair of characters is found as every run of
// three that begins with it, the end of an entry counting as a third character; a character
// outside ASCII and Thai counts as one shared character, so such needles are confirmed on the
// text. Lists come out in rank order, which is the dictionary order of the headwords.
class GramIndex {
  public:
    // One list: a character, or a run of three (c0 << 16 | c1 << 8 | c2, where c2 is 0 at the
    // end of an entry). Stored as it is in the prepared file.
    struct Key {
        uint32_t gram = 0;
        uint32_t count = 0;
        uint32_t offset = 0;
        uint32_t bytesAndKind = 0;  // the top bit marks a bitmap
    };

    // Builds the lists over `text`, whose entries are stored one after another, each followed
    // by a 0 byte; entry r starts at starts[r], and starts has one more element.
    static GramIndex build(std::string_view text, std::span<const uint32_t> starts);

    // Takes prepared lists; false (and the index left empty) when they do not fit together.
    bool assign(std::vector<Key> keys, LargeVector<uint8_t> lists, uint32_t entries);

    const std::vector<Key>& keys() const { return keys_; }
    const LargeVector<uint8_t>& lists() const { return lists_; }  // with the reader's padding
    size_t memoryBytes() const;

    // Marks the entries of `text` that `pattern` matches. False when the lists cannot narrow
    // the search (a pattern of wildcards only): the caller then looks at every entry.
    bool select(const LikePattern& pattern, std::string_view text, std::span<const uint32_t> starts,
                BitSet& out) const;

  private:
    struct Term;
    Term term(uint32_t firstGram, uint32_t lastGram) const;
    Term gappedTerm(uint8_t before, uint8_t first, uint8_t second) const;
    void addTerm(const Term& t, BitSet& out) const;
    postings::ListRef ref(const Key& k) const;

    std::vector<Key> keys_;  // ascending by gram
    LargeVector<uint8_t> lists_;
    uint32_t entries_ = 0;
};

}  // namespace lex
