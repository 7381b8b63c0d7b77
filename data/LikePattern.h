#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lex {

class BitSet;

// A LIKE pattern compiled to the folded search form: '%' matches any run of characters and '_'
// one character; letter case is ignored and Thai is compared exactly in NFC.
class LikePattern {
  public:
    explicit LikePattern(const QString& pattern);

    bool matches(std::string_view entry) const;

    // Marks every entry of `buffer` that matches. The entries are stored one after another,
    // each followed by a 0 byte; entry r starts at starts[r], and starts has one more element.
    // An empty entry holds no value and never matches.
    void scan(const std::string& buffer, const std::vector<uint32_t>& starts, BitSet& out) const;

  private:
    enum class Kind : uint8_t { Byte, AnyChar, AnyRun };
    struct Item {
        Kind kind;
        char byte;
    };
    std::vector<Item> items_;
    std::string longestLiteral_;  // a run of literal bytes every match must contain
    bool onlyAnyRuns_ = true;     // "%", "%%": every non-empty entry
    bool containsForm_ = false;   // "%literal%": a plain substring search
};

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
