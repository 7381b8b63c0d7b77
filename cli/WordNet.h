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

    // Senses in these topic domains (e.g. "physics") are preferred by definition().
    void setTechnicalTopics(const QStringList& topics);

    // The definition of a word without its examples, from its most technical sense: one in a
    // technical topic, else a noun of a technical kind (an artifact, a substance, a process, a
    // quantity, ...), the more frequent sense first. Empty when WordNet knows the word only in
    // other senses, or not at all.
    QString definition(const QString& word) const;

    // Every word of the synsets that belong to one of the topic domains named (e.g. "physics"),
    // with that synset's definition, in the order of the data files.
    std::vector<std::pair<QString, QString>> topicEntries(const QStringList& topics) const;

  private:
    struct Synset {
        int lexFile = -1;
        QStringList words;
        QString definition;
        std::vector<std::pair<QByteArray, qint64>> pointers;  // symbol, target offset
    };
    Synset synsetAt(int part, qint64 offset) const;
    static Synset parseLine(const QByteArray& line);

    QSet<qint64> topicOffsets(const QStringList& topics) const;

    bool available_ = false;
    QSet<qint64> technical_;
    QByteArray data_[4];                      // noun, verb, adj, adv
    QHash<QString, QList<qint64>> index_[4];  // lemma -> synset offsets, most frequent first
};

}  // namespace lex
