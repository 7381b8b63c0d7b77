#include "data/LikePattern.h"

#include <QList>
#include <algorithm>
#include <cstring>

#include "data/BitSet.h"
#include "data/FoldedText.h"

namespace lex {

LikePattern::LikePattern(const QString& pattern) {
    const QString nfc = pattern.normalized(QString::NormalizationForm_C);
    for (char32_t cp : nfc.toUcs4()) {
        if (cp == U'%') {
            if (items_.empty() || items_.back().kind != Kind::AnyRun)
                items_.push_back({Kind::AnyRun, 0});
        } else if (cp == U'_') {
            items_.push_back({Kind::AnyChar, 0});
            onlyAnyRuns_ = false;
        } else {
            std::string bytes;
            folded::appendCodePoint(bytes, cp);
            for (char b : bytes)
                items_.push_back({Kind::Byte, b});
            if (!bytes.empty())
                onlyAnyRuns_ = false;
        }
    }
    // The literal runs, and whether each pair of neighbouring runs stands exactly one character
    // apart ("ab_cd").
    std::string run;
    int oneChars = 0;
    bool anyRun = false;
    for (const Item& item : items_) {
        if (item.kind == Kind::Byte) {
            if (run.empty()) {
                if (!runs_.empty())
                    oneCharApart_.push_back(oneChars == 1 && !anyRun);
                oneChars = 0;
                anyRun = false;
            }
            run.push_back(item.byte);
            continue;
        }
        if (!run.empty())
            runs_.push_back(std::move(run));
        run.clear();
        if (item.kind == Kind::AnyChar)
            ++oneChars;
        else
            anyRun = true;
    }
    if (!run.empty())
        runs_.push_back(std::move(run));
    for (const std::string& r : runs_)
        if (r.size() > longestLiteral_.size())
            longestLiteral_ = r;
    containsForm_ = items_.size() >= 3 && items_.front().kind == Kind::AnyRun &&
                    items_.back().kind == Kind::AnyRun &&
                    std::all_of(items_.begin() + 1, items_.end() - 1,
                                [](const Item& i) { return i.kind == Kind::Byte; });
}

bool LikePattern::matches(std::string_view text) const {
    if (text.empty())
        return false;
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size(), m = items_.size();
    size_t i = 0, p = 0;
    size_t starP = SIZE_MAX, starI = 0;
    // Where the part after the last '%' can next begin, from `from` on: where its first byte
    // occurs, when it begins with one.
    auto nextStart = [&](size_t from) {
        const Item& first = items_[starP + 1];
        if (first.kind != Kind::Byte || from >= n)
            return from;
        const void* hit = std::memchr(t + from, static_cast<unsigned char>(first.byte), n - from);
        return hit ? static_cast<size_t>(static_cast<const unsigned char*>(hit) - t) : n;
    };
    // The usual wildcard walk: on a mismatch, let the last '%' swallow more bytes, up to the
    // next place its follower can begin. Matches can only begin on character boundaries (see
    // FoldedText.h), so stepping by bytes is safe.
    while (i < n) {
        if (p < m && items_[p].kind == Kind::Byte &&
            static_cast<unsigned char>(items_[p].byte) == t[i]) {
            ++i;
            ++p;
            continue;
        }
        if (p < m && items_[p].kind == Kind::AnyChar) {
            const int len = folded::charLength(t[i]);
            if (len > 0 && i + len <= n) {
                i += len;
                ++p;
                continue;
            }
        }
        if (p < m && items_[p].kind == Kind::AnyRun) {
            starP = p++;
            if (p == m)
                return true;  // a final '%' takes whatever is left
            i = starI = nextStart(i);
            continue;
        }
        if (starP != SIZE_MAX) {
            p = starP + 1;
            i = starI = nextStart(starI + 1);
            continue;
        }
        return false;
    }
    while (p < m && items_[p].kind == Kind::AnyRun)
        ++p;
    return p == m;
}

void LikePattern::scan(std::string_view buffer, std::span<const uint32_t> starts,
                       BitSet& out) const {
    const size_t entries = starts.size() - 1;
    auto entryOf = [&](size_t offset, size_t from) {
        auto it = std::upper_bound(starts.begin() + from, starts.end(), offset);
        return static_cast<size_t>(it - starts.begin()) - 1;
    };
    auto entryView = [&](size_t r) {
        return std::string_view(buffer.data() + starts[r], starts[r + 1] - starts[r] - 1);
    };

    if (onlyAnyRuns_) {
        if (items_.empty())  // the empty pattern matches only the empty text, which holds no value
            return;
        for (size_t r = 0; r < entries; ++r)
            if (starts[r + 1] - starts[r] > 1)
                out.set(r);
        return;
    }
    if (longestLiteral_.empty()) {  // only wildcards: look at every entry
        for (size_t r = 0; r < entries; ++r)
            if (matches(entryView(r)))
                out.set(r);
        return;
    }
    // Find the entries holding the longest literal run, then check the whole pattern there.
    const char* base = buffer.data();
    const char* end = base + buffer.size();
    const char* pos = base;
    size_t r = 0;
    while (pos < end) {
        const void* hit = memmem(pos, end - pos, longestLiteral_.data(), longestLiteral_.size());
        if (!hit)
            break;
        r = entryOf(static_cast<const char*>(hit) - base, r);
        if (containsForm_ || matches(entryView(r)))
            out.set(r);
        pos = base + starts[r + 1];
    }
}

}  // namespace lex
