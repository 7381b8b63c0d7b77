#pragma once

#include <QString>

namespace lex {

// The text cut to at most `length` UTF-16 units, never between the two halves of a character
// outside the Basic Multilingual Plane (an emoji, say), so a cut text is still valid text.
inline QString cutText(const QString& text, qsizetype length) {
    if (text.size() <= length)
        return text;
    qsizetype end = length;
    if (end > 0 && text.at(end - 1).isHighSurrogate())
        --end;
    return text.left(end);
}

}  // namespace lex
