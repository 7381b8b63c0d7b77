#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace lex {

struct Headword {
    int32_t id;
    QString text;
};

// Dictionary order of headwords through the Thai collator: English without regard to letter case,
// Thai with the leading vowels เ แ โ ใ ไ placed by the consonant that follows. Equal headwords keep
// the order of their IDs. Returns the IDs in that order.
std::vector<int32_t> dictionaryOrder(std::vector<Headword> headwords);

// True when `a` sorts before `b` (ties are not broken).
bool headwordLess(const QString& a, const QString& b);

}  // namespace lex
