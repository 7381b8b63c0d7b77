#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace lex {

// Reads the WordNet database files (index.* and data.* as Debian's wordnet-base installs them)
// for the English-to-English part of the delivered dictionary.
class WordNet {
  public:
    explicit WordNet(const QString& directory);
    bool isAvailable() const { return available_; }

    // Senses in these topic domains (e.g. "physics") count as technical.
    void setTechnicalTopics(const QStringList& topics);

    // The definition of a word from its most technical sense, or an empty text when no sense is
    // clearly technical: a sense counts when it belongs to a technical topic, or when it is a noun
    // of a technical kind (an artifact, a substance, a process, a quantity, ...) whose gloss
    // speaks of technical things; a sense of another topic, of slang or of a region, or whose
    // gloss speaks of music, tobacco, food, games, the body and the like never does. Nouns come
    // before verbs and adjectives, the more frequent sense first. The gloss is given without its
    // examples and its leading "(domain)", starting with a capital letter and ending with a full
    // stop; one longer than `maxLength` characters counts as no definition.
    QString definition(const QString& word, int maxLength = 255) const;

    // The technical nouns of the topic domains named (e.g. "physics"): each word of such a synset
    // for which the synset is the word's most frequent noun sense, with the synset's definition
    // (as definition() gives it), in the order of the data file. Synsets of persons, groups,
    // natural objects and theories (other than laws) are left out.
    std::vector<std::pair<QString, QString>> topicEntries(const QStringList& topics,
                                                          int maxLength = 255) const;

  private:
    struct Synset {
        int lexFile = -1;
        QStringList words;
        QString definition;
        std::vector<std::pair<QByteArray, qint64>> pointers;  // symbol, target offset
    };
    Synset synsetAt(int part, qint64 offset) const;
    static Synset parseLine(const QByteArray& line);
    static QString cleanGloss(const QString& gloss, int maxLength);

    // 0 when the sense is not technical, else higher for the surer kinds.
    int technicalScore(int part, const Synset& s) const;
    QSet<qint64> topicOffsets(const QStringList& topics) const;

    bool available_ = false;
    QSet<qint64> technical_;
    QByteArray data_[4];                      // noun, verb, adj, adv
    QHash<QString, QList<qint64>> index_[4];  // lemma -> synset offsets, most frequent first
};

}  // namespace lex
