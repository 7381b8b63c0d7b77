#include "wordlist/LineBreaking.h"

#include <thai/thbrk.h>
#include <thai/thwbrk.h>

#include <vector>

namespace lex {

namespace {

bool isThai(QChar c) {
    return c.unicode() >= 0x0E01 && c.unicode() <= 0x0E5B;
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
