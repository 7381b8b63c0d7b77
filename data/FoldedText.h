#pragma once

#include <QStringView>
#include <string>
#include <string_view>

namespace lex::folded {

// The search form of a text: letter case folded, one byte for every ASCII and Thai character,
// five bytes for any other character. Single bytes are 0x01-0xDF, the lead byte of a long
// character 0xE0-0xEF and its four payload bytes 0xF0-0xFF, so a match of one search form inside
// another always starts on a character boundary, and 0x00 is free to separate entries.

inline constexpr unsigned char kFirstLead = 0xE0;
inline constexpr int kLongLength = 5;

void appendCodePoint(std::string& out, char32_t cp);
void append(std::string& out, QStringView text);

// Appends the search form of UTF-8 text; malformed sequences become U+FFFD.
void appendUtf8(std::string& out, std::string_view utf8);

std::string encode(QStringView text);

// Length in bytes of the character starting at `lead`, or 0 inside a long character.
inline int charLength(unsigned char lead) {
    if (lead < kFirstLead)
        return 1;
    return lead < 0xF0 ? kLongLength : 0;
}

}  // namespace lex::folded
