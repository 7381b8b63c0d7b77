#include "cli/DefaultDictionary.h"

#include <QFile>
#include <QHash>
#include <map>

#include "cli/WordNet.h"
#include "data/DataError.h"

namespace lex {

namespace {

constexpr int kMaxText = 255;

bool hasThai(const QString& text) {
    for (QChar c : text)
        if (c.unicode() >= 0x0E01 && c.unicode() <= 0x0E5B)
            return true;
    return false;
}

// Entries of one direction, one per headword (English compared without letter case).
class Direction {
  public:
    // A repeated headword gets the new meaning joined to its own, unless `keepFirst`.
    void add(const DictionaryEntry& e, bool keepFirst = false) {
        const QString key = hasThai(e.headword) ? e.headword : e.headword.toLower();
        const auto it = positions_.constFind(key);
        if (it == positions_.constEnd()) {
            positions_.insert(key, static_cast<int>(entries_.size()));
            entries_.push_back(e);
            return;
        }
        DictionaryEntry& kept = entries_[static_cast<size_t>(*it)];
        ++merged_;
        if (keepFirst || kept.meaning.contains(e.meaning, Qt::CaseInsensitive))
            return;
        const QString joined = kept.meaning + QStringLiteral("; ") + e.meaning;
        if (joined.size() <= kMaxText)
            kept.meaning = joined;
    }
    const std::vector<DictionaryEntry>& entries() const { return entries_; }
    int merged() const { return merged_; }

  private:
    std::vector<DictionaryEntry> entries_;
    QHash<QString, int> positions_;
    int merged_ = 0;
};

QString cut(QString text) {
    if (text.size() <= kMaxText)
        return text;
    text.truncate(kMaxText - 3);
    const qsizetype space = text.lastIndexOf(u' ');
    if (space > kMaxText / 2)
        text.truncate(space);
    return text + QStringLiteral("...");
}

}  // namespace

QString thaiTermOf(const QString& meaning) {
    QString term = meaning.section(u';', 0, 0).trimmed();
    if (term.endsWith(u')')) {
        const qsizetype open = term.lastIndexOf(u'(');
        if (open > 0)
            term = term.left(open).trimmed();
    }
    return hasThai(term) ? term : QString();
}

const QStringList& technicalTopics() {
    static const QStringList topics{
        QStringLiteral("engineering"),      QStringLiteral("electronics"),
        QStringLiteral("computer science"), QStringLiteral("computing"),
        QStringLiteral("physics"),          QStringLiteral("chemistry"),
        QStringLiteral("mathematics"),      QStringLiteral("geometry"),
        QStringLiteral("statistics"),       QStringLiteral("electricity"),
        QStringLiteral("mechanics"),        QStringLiteral("architecture"),
        QStringLiteral("metallurgy"),       QStringLiteral("thermodynamics"),
        QStringLiteral("optics"),           QStringLiteral("telecommunication"),
        QStringLiteral("construction"),     QStringLiteral("hydraulics"),
    };
    return topics;
}

std::vector<DictionaryEntry> buildDefaultDictionary(const DefaultDictionarySources& sources,
                                                    QStringList* notes) {
    std::map<int, Direction> directions;
    for (const QString& path : sources.files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw DataError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
        const DictionaryParseResult parsed = parseDictionary(file.readAll());
        if (!parsed.ok())
            throw DataError(QStringLiteral("%1: %2").arg(path, parsed.error));
        for (const DictionaryEntry& e : parsed.entries)
            directions[e.type].add(e);
    }

    // Thai to English from the Thai terms of the English-to-Thai set.
    std::map<QString, QStringList> englishOf;  // keeps the Thai terms in a stable order
    for (const DictionaryEntry& e : directions[1].entries()) {
        const QString term = thaiTermOf(e.meaning);
        if (!term.isEmpty() && !englishOf[term].contains(e.headword, Qt::CaseInsensitive))
            englishOf[term] << e.headword;
    }
    for (const auto& [term, english] : englishOf) {
        QString meaning;
        for (const QString& word : english) {
            const QString next = meaning.isEmpty() ? word : meaning + QStringLiteral(", ") + word;
            if (next.size() > kMaxText)
                break;
            meaning = next;
        }
        directions[2].add({term, meaning, 2, 0});
    }

    // English to English from WordNet.
    WordNet wordnet(sources.wordnetDirectory);
    wordnet.setTechnicalTopics(technicalTopics());
    if (!sources.wordnetDirectory.isEmpty() && wordnet.isAvailable()) {
        for (const DictionaryEntry& e : directions[1].entries()) {
            const QString definition = wordnet.definition(e.headword);
            if (!definition.isEmpty())  // a written definition stays as it was written
                directions[3].add({e.headword, cut(definition), 3, 0}, true);
        }
        for (const auto& [word, definition] : wordnet.topicEntries(technicalTopics()))
            directions[3].add({word, cut(definition), 3, 0}, true);
    } else if (notes) {
        *notes << QStringLiteral(
                      "WordNet was not found in %1; the English-to-English part holds "
                      "only the written entries.")
                      .arg(sources.wordnetDirectory);
    }

    std::vector<DictionaryEntry> all;
    for (const auto& [type, direction] : directions) {
        all.insert(all.end(), direction.entries().begin(), direction.entries().end());
        if (notes && direction.merged() > 0)
            *notes << QStringLiteral("code %1: %2 repeated headwords merged")
                          .arg(type)
                          .arg(direction.merged());
    }
    return all;
}

}  // namespace lex
