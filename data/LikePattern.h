#pragma once

#include <QString>
#include <cstdint>
#include <span>
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
    void scan(std::string_view buffer, std::span<const uint32_t> starts, BitSet& out) const;

    // The runs of literal characters between the wildcards, in the search form, in order.
    const std::vector<std::string>& literalRuns() const { return runs_; }
    // For each run but the last: true when only one '_' stands between it and the next.
    const std::vector<bool>& oneCharacterApart() const { return oneCharApart_; }
    // True for "%literal%" with a non-empty literal: a plain substring search.
    bool isContainsForm() const { return containsForm_; }
    // True when the pattern holds no literal character ("", "%", "_%", ...).
    bool onlyWildcards() const { return runs_.empty(); }

  private:
    enum class Kind : uint8_t { Byte, AnyChar, AnyRun };
    struct Item {
        Kind kind;
        char byte;
    };
    std::vector<Item> items_;
    std::vector<std::string> runs_;
    std::vector<bool> oneCharApart_;
    std::string longestLiteral_;  // a run of literal bytes every match must contain
    bool onlyAnyRuns_ = true;     // "%", "%%": every non-empty entry
    bool containsForm_ = false;   // "%literal%": a plain substring search
};

}  // namespace lex
