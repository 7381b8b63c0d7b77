#include "data/FoldedText.h"

#include <QChar>
#include <QList>
#include <QString>

namespace lex::folded {

void appendCodePoint(std::string& out, char32_t cp) {
    if (cp == 0)
        return;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp >= 'A' && cp <= 'Z' ? cp + ('a' - 'A') : cp));
        return;
    }
    if (cp >= 0x0E00 && cp <= 0x0E5F) {  // Thai has no letter case
        out.push_back(static_cast<char>(0x80 + (cp - 0x0E00)));
        return;
    }
    cp = QChar::toCaseFolded(cp);
    if (cp < 0x80) {  // e.g. the Kelvin sign folds to 'k'
        appendCodePoint(out, cp);
        return;
    }
    if (cp > 0xFFFFF)  // plane 16 is private use only
        cp = 0xFFFFF;
    out.push_back(static_cast<char>(kFirstLead | (cp >> 16)));
    for (int shift = 12; shift >= 0; shift -= 4)
        out.push_back(static_cast<char>(0xF0 | ((cp >> shift) & 0xF)));
}

void append(std::string& out, QStringView text) {
    for (char32_t cp : text.toUcs4())
        appendCodePoint(out, cp);
}

void appendUtf8(std::string& out, std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c));
            ++p;
            continue;
        }
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
        char32_t cp = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : c & 0x1F;
        if (extra < 0 || end - p <= extra) {
            appendCodePoint(out, 0xFFFD);
            ++p;
            continue;
        }
        bool ok = true;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (!ok) {
            appendCodePoint(out, 0xFFFD);
            ++p;
            continue;
        }
        appendCodePoint(out, cp);
        p += extra + 1;
    }
}

std::string encode(QStringView text) {
    std::string out;
    out.reserve(text.size());
    append(out, text);
    return out;
}

}  // namespace lex::folded
