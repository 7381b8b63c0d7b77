#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lex {

// A fixed-size set of entry numbers. Its words are allocated with the first member, so an
// empty answer over a large dictionary costs nothing.
class BitSet {
  public:
    explicit BitSet(size_t size = 0) : size_(size) {}
    size_t size() const { return size_; }
    void set(size_t i) { words()[i >> 6] |= uint64_t{1} << (i & 63); }
    bool test(size_t i) const { return !words_.empty() && ((words_[i >> 6] >> (i & 63)) & 1); }
    void setAll();
    BitSet& operator|=(const BitSet& other);
    BitSet& operator&=(const BitSet& other);
    size_t count() const;
    std::vector<uint32_t> indices() const;
    void indices(std::vector<uint32_t>& out) const;  // into `out`, reusing its room

    // The bits as 64-bit words, bit i of the set being bit (i % 64) of word i / 64; asking for
    // them to write allocates them.
    uint64_t* words() {
        if (words_.empty())
            words_.assign(wordCount(), 0);
        return words_.data();
    }
    size_t wordCount() const { return (size_ + 63) / 64; }

    // Calls f(i) for every member i in ascending order.
    template <typename F>
    void forEach(F&& f) const {
        for (size_t w = 0; w < words_.size(); ++w) {
            for (uint64_t bits = words_[w]; bits; bits &= bits - 1)
                f(static_cast<uint32_t>(w * 64 + std::countr_zero(bits)));
        }
    }

  private:
    size_t size_;
    std::vector<uint64_t> words_;
};

}  // namespace lex
