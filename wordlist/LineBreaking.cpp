#include "wordlist/LineBreaking.h"

#include <thai/thbrk.h>
#include <thai/thwbrk.h>

#include <algorithm>
#include <vector>

namespace lex {

namespace {

bool isThai(QChar c) {
    return c.unicode() >= 0x0E01 && c.unicode() <= 0x0E5B;
}

// The words no break may fall inside, as a trie over their characters.
class Vocabulary {
  public:
    void clear() { nodes_.assign(1, Node{}); }

    void add(const QString& word) {
        int node = 0;
        for (QChar c : word) {
            const int next = child(node, c.unicode());
            if (next >= 0) {
                node = next;
                continue;
            }
            nodes_.push_back(Node{});
            const int made = static_cast<int>(nodes_.size()) - 1;
            auto& children = nodes_[static_cast<size_t>(node)].children;
            children.insert(std::lower_bound(children.begin(), children.end(),
                                             std::pair<char16_t, int>(c.unicode(), 0)),
                            {c.unicode(), made});
            node = made;
        }
        nodes_[static_cast<size_t>(node)].word = true;
    }

    struct Found {
        std::vector<bool> inside;  // a break at this offset would cut a known word
        std::vector<int> edges;    // where known words end: safe places to break
    };

    // The known words in `run` that begin where a word may begin: at the run's start, at one of
    // libthai's `breaks`, or where another known word ends (a word found inside another word
    // must not cut it). At each such place the longest word whose end is a place a syllable can
    // end is taken.
    Found find(const QString& run, const std::vector<int>& breaks) const {
        Found found;
        found.inside.assign(static_cast<size_t>(run.size()) + 1, false);
        if (nodes_.size() <= 1)
            return found;
        std::vector<bool> starts(static_cast<size_t>(run.size()) + 1, false);
        starts[0] = true;
        for (int b : breaks)
            if (b >= 0 && b <= run.size())
                starts[static_cast<size_t>(b)] = true;
        for (qsizetype start = 0; start < run.size(); ++start) {
            if (!starts[static_cast<size_t>(start)])
                continue;
            int node = 0;
            qsizetype longest = 0;
            for (qsizetype i = start; i < run.size(); ++i) {
                node = child(node, run[i].unicode());
                if (node < 0)
                    break;
                if (nodes_[static_cast<size_t>(node)].word && canEndSyllable(run, i + 1))
                    longest = i + 1 - start;
            }
            if (longest == 0)
                continue;
            for (qsizetype at = start + 1; at < start + longest; ++at)
                found.inside[static_cast<size_t>(at)] = true;
            found.edges.push_back(static_cast<int>(start + longest));
            starts[static_cast<size_t>(start + longest)] = true;
        }
        return found;
    }

    // Whether a break may fall before offset `at`: not before a vowel or mark that belongs to the
    // letter before it, and not after a vowel written before its consonant.
    static bool canEndSyllable(const QString& run, qsizetype at) {
        if (at <= 0 || at >= run.size())
            return true;
        const char16_t next = run[at].unicode(), previous = run[at - 1].unicode();
        const bool trailing = (next >= 0x0E30 && next <= 0x0E3A) || next == 0x0E45 ||
                              (next >= 0x0E47 && next <= 0x0E4E);
        const bool leading = previous >= 0x0E40 && previous <= 0x0E44;
        return !trailing && !leading;
    }

  private:
    struct Node {
        std::vector<std::pair<char16_t, int>> children;  // sorted by character
        bool word = false;
    };

    int child(int node, char16_t c) const {
        const auto& children = nodes_[static_cast<size_t>(node)].children;
        const auto it =
            std::lower_bound(children.begin(), children.end(), std::pair<char16_t, int>(c, 0),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
        return it != children.end() && it->first == c ? it->second : -1;
    }

    std::vector<Node> nodes_{Node{}};
};

Vocabulary& vocabulary() {
    static Vocabulary words;
    return words;
}

// The word boundaries libthai finds inside a run of Thai text, as offsets into the run.
std::vector<int> thaiBreaks(const QString& run) {
    static ThBrk* breaker = th_brk_new(nullptr);
    if (!breaker || run.size() < 2)
        return {};
    std::vector<thwchar_t> wide;
    for (QChar c : run)
        wide.push_back(static_cast<thwchar_t>(c.unicode()));
    wide.push_back(0);
    std::vector<int> positions(run.size() + 1);
    const int found =
        th_brk_wc_find_breaks(breaker, wide.data(), positions.data(), positions.size());
    positions.resize(static_cast<size_t>(std::max(0, found)));
    // The dictionary's own words: never cut, and a safe place to break after them, which
    // libthai does not know for a word missing from its list.
    const Vocabulary::Found known = vocabulary().find(run, positions);
    positions.insert(positions.end(), known.edges.begin(), known.edges.end());
    std::erase_if(positions, [&](int at) {
        return at <= 0 || at >= run.size() || known.inside[static_cast<size_t>(at)];
    });
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    return positions;
}

// Cuts a piece at the word boundaries of its Thai runs.
void splitThai(const QString& piece, QStringList* out) {
    int start = 0;
    int i = 0;
    while (i < piece.size()) {
        if (!isThai(piece[i])) {
            ++i;
            continue;
        }
        int end = i;
        while (end < piece.size() && isThai(piece[end]))
            ++end;
        for (int b : thaiBreaks(piece.mid(i, end - i))) {
            const int at = i + b;
            if (at > start && at < piece.size()) {
                out->append(piece.mid(start, at - start));
                start = at;
            }
        }
        i = end;
    }
    out->append(piece.mid(start));
}

}  // namespace

void setThaiVocabulary(const QStringList& words) {
    vocabulary().clear();
    for (const QString& word : words) {
        // A word of one or two letters is too short to tell apart from a piece of another.
        if (word.size() >= 3 && std::all_of(word.begin(), word.end(), isThai))
            vocabulary().add(word);
    }
}

QStringList linePieces(const QString& part) {
    QStringList pieces;
    int start = 0;
    for (int i = 0; i < part.size(); ++i) {
        if (part[i] == u' ' || part[i] == u'-') {
            splitThai(part.mid(start, i + 1 - start), &pieces);
            start = i + 1;
        }
    }
    if (start < part.size())
        splitThai(part.mid(start), &pieces);
    return pieces;
}

QStringList breakLines(const QString& text, double width,
                       const std::function<double(const QString&)>& textWidth) {
    QString cleaned = text;
    cleaned.remove(QChar(u'\n'));
    QStringList lines;
    for (const QString& part : cleaned.split(QChar(u'\r'))) {
        QString line;
        for (const QString& piece : linePieces(part)) {
            if (textWidth(line + piece) <= width) {
                line += piece;
            } else if (line.isEmpty()) {
                // A piece too long for a line of its own: as many characters as fit.
                QString fitted;
                for (QChar c : piece) {
                    if (textWidth(fitted + c) < width)
                        fitted += c;
                    else
                        break;
                }
                lines << fitted;
            } else {
                lines << line;
                line.clear();
                if (textWidth(piece) > width) {
                    QString cut = piece;
                    while (!cut.isEmpty() && textWidth(cut) > width)
                        cut.chop(1);
                    lines << cut;
                } else {
                    line = piece;
                }
            }
        }
        lines << line;
    }
    return lines;
}

}  // namespace lex
