#include "data/GramIndex.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "data/BitSet.h"
#include "data/FoldedText.h"
#include "data/LikePattern.h"

namespace lex {

namespace {

constexpr uint32_t kBitmapFlag = 0x80000000u;
constexpr uint8_t kOtherCharacter = folded::kFirstLead;  // any character outside ASCII and Thai
// Ranks gathered at once while building: the lists are built in slices of the gram space so
// that a large dictionary does not need every rank of every list in memory together.
constexpr size_t kSliceRanks = size_t{24} << 20;
// A further list is read to narrow the candidates only while it is not much longer than the
// candidates are many: reading a rank costs far less than confirming an entry on its text.
constexpr uint64_t kNarrowingFactor = 20;

// The characters of one folded text as gram codes: ASCII and Thai keep their byte, any other
// character becomes kOtherCharacter.
void codesOf(std::string_view text, std::vector<uint8_t>& codes) {
    codes.clear();
    for (unsigned char b : text) {
        if (b < folded::kFirstLead)
            codes.push_back(b);
        else if (b < 0xF0)
            codes.push_back(kOtherCharacter);
    }
}

uint32_t triple(uint32_t a, uint32_t b, uint32_t c) {
    return a << 16 | b << 8 | c;
}

}  // namespace

// Entries holding any of some grams: the union of their lists.
struct GramIndex::Term {
    std::vector<uint32_t> keys;  // indices into keys_, ascending
    uint64_t size = 0;           // sum of the lists' lengths
    void add(const std::vector<Key>& all, size_t k) {
        keys.push_back(static_cast<uint32_t>(k));
        size += all[k].count;
    }
};

GramIndex GramIndex::build(std::string_view text, std::span<const uint32_t> starts) {
    GramIndex g;
    const auto entries = static_cast<uint32_t>(starts.size() - 1);
    g.entries_ = entries;

    // Dense numbers for the codes that occur (0 is the end of an entry), so that every gram
    // has a slot in a small array, in the order of the grams themselves.
    std::array<bool, 256> used{};
    std::vector<uint8_t> codes;
    codesOf(text, codes);
    for (uint8_t c : codes)
        used[c] = true;
    used[0] = true;
    std::array<uint32_t, 256> dense{};
    std::vector<uint8_t> codeOf;
    for (unsigned c = 0; c < 256; ++c) {
        if (used[c]) {
            dense[c] = static_cast<uint32_t>(codeOf.size());
            codeOf.push_back(static_cast<uint8_t>(c));
        }
    }
    const size_t a = codeOf.size();
    const size_t slotCount = a + a * a * a;  // characters first, then runs of three
    auto gramOf = [&](size_t slot) -> uint32_t {
        if (slot < a)
            return codeOf[slot];
        slot -= a;
        return triple(codeOf[slot / (a * a)], codeOf[slot / a % a], codeOf[slot % a]);
    };
    // Calls f(slot) for every gram of entry r, a gram that occurs twice once.
    std::vector<uint32_t> lastSeen(slotCount, UINT32_MAX);
    auto forEachGram = [&](uint32_t r, auto&& f) {
        codesOf(text.substr(starts[r], starts[r + 1] - starts[r] - 1), codes);
        auto visit = [&](size_t slot) {
            if (lastSeen[slot] != r) {
                lastSeen[slot] = r;
                f(slot);
            }
        };
        const size_t n = codes.size();
        for (size_t i = 0; i < n; ++i) {
            visit(dense[codes[i]]);
            if (i + 1 < n) {
                const size_t next = i + 2 < n ? dense[codes[i + 2]] : 0;
                visit(a + (dense[codes[i]] * a + dense[codes[i + 1]]) * a + next);
            }
        }
    };

    std::vector<uint32_t> counts(slotCount, 0);
    for (uint32_t r = 0; r < entries; ++r)
        forEachGram(r, [&](size_t slot) { ++counts[slot]; });

    std::vector<uint32_t> ranks, cursor;
    for (size_t lo = 0; lo < slotCount;) {
        size_t hi = lo, total = 0;
        while (hi < slotCount && (total == 0 || total + counts[hi] <= kSliceRanks))
            total += counts[hi++];
        cursor.assign(hi - lo + 1, 0);
        for (size_t s = lo; s < hi; ++s)
            cursor[s - lo + 1] = cursor[s - lo] + counts[s];
        ranks.assign(total, 0);
        std::fill(lastSeen.begin(), lastSeen.end(), UINT32_MAX);
        for (uint32_t r = 0; r < entries; ++r) {
            forEachGram(r, [&](size_t slot) {
                if (slot >= lo && slot < hi)
                    ranks[cursor[slot - lo]++] = r;
            });
        }
        for (size_t s = lo, begin = 0; s < hi; begin += counts[s++]) {
            if (counts[s] == 0)
                continue;
            // Offsets are 32 bits: a dictionary whose lists would pass 4 GiB is searched
            // without them.
            const uint64_t bound = std::min<uint64_t>(uint64_t{counts[s]} * 9, entries / 8 + 16);
            if (g.lists_.size() + bound + 64 > UINT32_MAX)
                return GramIndex();
            const postings::ListRef ref =
                postings::append(g.lists_, ranks.data() + begin, counts[s], entries);
            g.keys_.push_back(
                {gramOf(s), ref.count, ref.offset, ref.bytes | (ref.bitmap ? kBitmapFlag : 0)});
        }
        lo = hi;
    }
    g.lists_.resize(g.lists_.size() + postings::kPadding, 0);
    g.lists_.shrink_to_fit();
    g.keys_.shrink_to_fit();
    return g;
}

postings::ListRef GramIndex::ref(const Key& k) const {
    return {k.count, k.offset, k.bytesAndKind & ~kBitmapFlag, (k.bytesAndKind & kBitmapFlag) != 0};
}

bool GramIndex::assign(std::vector<Key> keys, LargeVector<uint8_t> lists, uint32_t entries) {
    *this = GramIndex();
    if (lists.size() < postings::kPadding)
        return false;
    const size_t bytes = lists.size() - postings::kPadding;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (i > 0 && keys[i].gram <= keys[i - 1].gram)
            return false;
        if (!postings::fits(ref(keys[i]), bytes, entries))
            return false;
    }
    keys_ = std::move(keys);
    lists_ = std::move(lists);
    entries_ = entries;
    return true;
}

size_t GramIndex::memoryBytes() const {
    return keys_.capacity() * sizeof(Key) + lists_.capacity();
}

GramIndex::Term GramIndex::term(uint32_t firstGram, uint32_t lastGram) const {
    Term t;
    auto k = static_cast<size_t>(
        std::lower_bound(keys_.begin(), keys_.end(), firstGram,
                         [](const Key& key, uint32_t g) { return key.gram < g; }) -
        keys_.begin());
    for (; k < keys_.size() && keys_[k].gram <= lastGram; ++k)
        t.add(keys_, k);
    return t;
}

// Runs of three with one character unknown: (before, any, first) when `second` is 0, else
// (any, first, second).
GramIndex::Term GramIndex::gappedTerm(uint8_t before, uint8_t first, uint8_t second) const {
    Term t;
    if (second == 0) {
        const Term all = term(triple(before, 0, 0), triple(before, 0xFF, 0xFF));
        for (uint32_t k : all.keys)
            if ((keys_[k].gram & 0xFF) == first)
                t.add(keys_, k);
        return t;
    }
    // Every character that occurs has a list of its own, below the runs of three.
    for (size_t c = 0; c < keys_.size() && keys_[c].gram < 0x100; ++c) {
        const uint32_t g = triple(keys_[c].gram, first, second);
        const auto it = std::lower_bound(keys_.begin(), keys_.end(), g,
                                         [](const Key& key, uint32_t x) { return key.gram < x; });
        if (it != keys_.end() && it->gram == g)
            t.add(keys_, static_cast<size_t>(it - keys_.begin()));
    }
    return t;
}

void GramIndex::addTerm(const Term& t, BitSet& out) const {
    for (uint32_t k : t.keys)
        postings::addTo(lists_.data(), lists_.size() - postings::kPadding, ref(keys_[k]), out);
}

bool GramIndex::select(const LikePattern& pattern, std::string_view text,
                       std::span<const uint32_t> starts, BitSet& out) const {
    if (pattern.onlyWildcards() || out.size() != entries_ || starts.size() != entries_ + size_t{1})
        return false;
    // Every literal run of the pattern must occur in a matching entry: a run of one character
    // by its list, of two by the lists of the runs of three that begin with it, longer runs by
    // each of their runs of three.
    std::vector<Term> terms;
    std::vector<uint8_t> codes, previous;
    bool approximate = false;
    const std::vector<std::string>& runs = pattern.literalRuns();
    for (size_t r = 0; r < runs.size(); ++r) {
        previous.swap(codes);
        codesOf(runs[r], codes);
        // Across a single '_' between two runs: the runs of three with the unknown character
        // in the middle and at the start.
        if (r > 0 && pattern.oneCharacterApart()[r - 1]) {
            terms.push_back(gappedTerm(previous.back(), codes[0], 0));
            if (terms.back().size == 0)
                return true;
            if (codes.size() >= 2) {
                terms.push_back(gappedTerm(0, codes[0], codes[1]));
                if (terms.back().size == 0)
                    return true;
            }
        }
        approximate |= std::find(codes.begin(), codes.end(), kOtherCharacter) != codes.end();
        if (codes.size() == 1) {
            terms.push_back(term(codes[0], codes[0]));
        } else if (codes.size() == 2) {
            const uint32_t pair = triple(codes[0], codes[1], 0);
            terms.push_back(term(pair, pair | 0xFF));
        } else {
            for (size_t i = 0; i + 2 < codes.size(); ++i) {
                const uint32_t g = triple(codes[i], codes[i + 1], codes[i + 2]);
                terms.push_back(term(g, g));
            }
        }
        if (terms.back().size == 0)
            return true;  // some run occurs nowhere: nothing matches
    }
    if (pattern.isContainsForm() && !approximate && codes.size() <= 3) {
        addTerm(terms.front(), out);  // the lists say exactly which entries hold the needle
        return true;
    }

    std::sort(terms.begin(), terms.end(), [](const Term& x, const Term& y) {
        return x.size != y.size ? x.size < y.size : x.keys < y.keys;
    });
    BitSet candidates(entries_);
    addTerm(terms.front(), candidates);
    uint64_t left = candidates.count();
    for (size_t i = 1; i < terms.size() && left > 0; ++i) {
        if (terms[i].keys == terms[i - 1].keys)
            continue;
        if (terms[i].size > kNarrowingFactor * left)
            break;
        BitSet also(entries_);
        addTerm(terms[i], also);
        candidates &= also;
        left = candidates.count();
    }

    const std::string* needle = pattern.isContainsForm() ? &pattern.literalRuns().front() : nullptr;
    // The candidates lie far apart in the text: their entries are fetched ahead of the
    // comparison, so that the waits for memory overlap instead of adding up.
    const std::vector<uint32_t> ranks = candidates.indices();
    constexpr size_t kAhead = 12;
    const char* base = text.data();
    for (size_t i = 0; i < ranks.size(); ++i) {
        if (i + 2 * kAhead < ranks.size())
            __builtin_prefetch(&starts[ranks[i + 2 * kAhead]]);
        if (i + kAhead < ranks.size()) {
            const char* ahead = base + starts[ranks[i + kAhead]];
            __builtin_prefetch(ahead);
            __builtin_prefetch(ahead + 64);
        }
        const uint32_t r = ranks[i];
        const std::string_view entry(base + starts[r], starts[r + 1] - starts[r] - 1);
        // A plain find: the entries are short, and memmem's preparation of the needle costs
        // more than the search itself.
        const bool hit =
            needle ? entry.find(*needle) != std::string_view::npos : pattern.matches(entry);
        if (hit)
            out.set(r);
    }
    return true;
}

}  // namespace lex
