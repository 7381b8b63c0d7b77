#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lex {

// A fixed-size set of entry numbers.
class BitSet {
  public:
    explicit BitSet(size_t size = 0) : size_(size), words_((size + 63) / 64, 0) {}
    size_t size() const { return size_; }
    void set(size_t i) { words_[i >> 6] |= uint64_t{1} << (i & 63); }
    bool test(size_t i) const { return (words_[i >> 6] >> (i & 63)) & 1; }
    void setAll();
    BitSet& operator|=(const BitSet& other);
    BitSet& operator&=(const BitSet& other);
    size_t count() const;
    std::vector<uint32_t> indices() const;

  private:
    size_t size_;
    std::vector<uint64_t> words_;
};

}  // namespace lex
