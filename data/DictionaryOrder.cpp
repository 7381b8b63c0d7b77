#include "data/DictionaryOrder.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>

namespace lex {

namespace {

QCollator headwordCollator() {
    // The root order of the Unicode collation places Latin before Thai and already orders a Thai
    // leading vowel after the consonant it is written before.
    QCollator c{QLocale(QLocale::English, QLocale::UnitedStates)};
    c.setCaseSensitivity(Qt::CaseInsensitive);
    c.setNumericMode(false);
    c.setIgnorePunctuation(false);
    return c;
}

}  // namespace

bool headwordLess(const QString& a, const QString& b) {
    static const QCollator c = headwordCollator();
    return c.compare(a, b) < 0;
}

std::vector<int32_t> dictionaryOrder(std::vector<Headword> headwords) {
    const QCollator collator = headwordCollator();
    struct Keyed {
        QCollatorSortKey key;
        int32_t id;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(headwords.size());
    for (Headword& h : headwords) {
        keyed.push_back({collator.sortKey(h.text), h.id});
        h.text = QString();  // the key is all that is needed from here on
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int c = a.key.compare(b.key);
        return c != 0 ? c < 0 : a.id < b.id;
    });
    std::vector<int32_t> ids;
    ids.reserve(keyed.size());
    for (const Keyed& k : keyed)
        ids.push_back(k.id);
    return ids;
}

}  // namespace lex
