#include "data/BitSet.h"

#include <algorithm>
#include <bit>

namespace lex {

void BitSet::setAll() {
    if (size_ == 0)
        return;
    words();
    std::fill(words_.begin(), words_.end(), ~uint64_t{0});
    if (size_ % 64)
        words_.back() = (uint64_t{1} << (size_ % 64)) - 1;
}

BitSet& BitSet::operator|=(const BitSet& other) {
    if (other.words_.empty())
        return *this;
    words();
    for (size_t i = 0; i < words_.size(); ++i)
        words_[i] |= other.words_[i];
    return *this;
}

BitSet& BitSet::operator&=(const BitSet& other) {
    if (other.words_.empty())
        words_.clear();
    for (size_t i = 0; i < words_.size(); ++i)
        words_[i] &= other.words_[i];
    return *this;
}

// On x86, built twice, and the processor's own population count chosen at start where it has one.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target_clones("popcnt", "default")))
#endif
size_t
BitSet::count() const {
    size_t c = 0;
    for (uint64_t w : words_)
        c += std::popcount(w);
    return c;
}

std::vector<uint32_t> BitSet::indices() const {
    std::vector<uint32_t> out;
    indices(out);
    return out;
}

void BitSet::indices(std::vector<uint32_t>& out) const {
    out.resize(count());
    uint32_t* next = out.data();
    forEach([&](uint32_t i) { *next++ = i; });
}

}  // namespace lex
