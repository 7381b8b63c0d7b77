#include "cli/WordNet.h"

#include <QDir>
#include <QFile>
#include <QSet>

namespace lex {

namespace {

const char* const kParts[] = {"noun", "verb", "adj", "adv"};

QByteArray readAll(const QString& path, bool* ok) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *ok = false;
        return {};
    }
    return f.readAll();
}

QString wordText(QByteArray word) {
    const qsizetype marker = word.indexOf('(');  // adjective markers such as "(a)"
    if (marker > 0)
        word.truncate(marker);
    return QString::fromUtf8(word).replace(u'_', u' ');
}

}  // namespace

WordNet::WordNet(const QString& directory) {
    bool ok = true;
    for (int part = 0; part < 4; ++part) {
        data_[part] = readAll(
            QDir(directory).filePath(QStringLiteral("data.") + QLatin1String(kParts[part])), &ok);
        const QByteArray index = readAll(
            QDir(directory).filePath(QStringLiteral("index.") + QLatin1String(kParts[part])), &ok);
        for (const QByteArray& line : index.split('\n')) {
            if (line.isEmpty() || line.startsWith(' '))
                continue;  // the licence text at the top
            const QList<QByteArray> t = line.split(' ');
            if (t.size() < 6)
                continue;
            // lemma pos synset_cnt p_cnt [ptr_symbol...] sense_cnt tagsense_cnt offsets...
            const int synsets = t[2].toInt();
            const int pointerSymbols = t[3].toInt();
            const qsizetype first = 4 + pointerSymbols + 2;
            QList<qint64> offsets;
            for (qsizetype i = first; i < t.size() && offsets.size() < synsets; ++i)
                if (!t[i].isEmpty())
                    offsets << t[i].toLongLong();
            index_[part].insert(wordText(t[0]).toLower(), offsets);
        }
    }
    available_ = ok;
}

WordNet::Synset WordNet::parseLine(const QByteArray& line) {
    Synset s;
    const qsizetype bar = line.indexOf(" | ");
    const QList<QByteArray> t = line.left(bar < 0 ? line.size() : bar).split(' ');
    if (bar >= 0) {
        QString gloss = QString::fromUtf8(line.mid(bar + 3)).trimmed();
        const qsizetype example = gloss.indexOf(QStringLiteral("; \""));
        if (example >= 0)
            gloss.truncate(example);
        if (gloss.startsWith(u'"'))
            gloss.clear();  // only examples, no definition
        s.definition = gloss.trimmed();
    }
    // offset lex_filenum ss_type w_cnt word lex_id [word lex_id...] p_cnt [ptr...]
    if (t.size() < 4)
        return s;
    s.lexFile = t[1].toInt();
    bool ok = false;
    const int words = t[3].toInt(&ok, 16);
    qsizetype i = 4;
    for (int w = 0; ok && w < words && i + 1 < t.size(); ++w, i += 2)
        s.words << wordText(t[i]);
    if (i >= t.size())
        return s;
    const int pointers = t[i++].toInt();
    for (int p = 0; p < pointers && i + 3 < t.size(); ++p, i += 4)
        s.pointers.emplace_back(t[i], t[i + 1].toLongLong());
    return s;
}

WordNet::Synset WordNet::synsetAt(int part, qint64 offset) const {
    const QByteArray& data = data_[part];
    if (offset < 0 || offset >= data.size())
        return {};
    const qsizetype end = data.indexOf('\n', offset);
    return parseLine(data.mid(offset, (end < 0 ? data.size() : end) - offset));
}

void WordNet::setTechnicalTopics(const QStringList& topics) {
    technical_ = topicOffsets(topics);
}

QSet<qint64> WordNet::topicOffsets(const QStringList& topics) const {
    QSet<qint64> offsets;
    for (const QString& topic : topics)
        for (qint64 offset : index_[0].value(topic.toLower()))
            offsets.insert(offset);
    return offsets;
}

QString WordNet::definition(const QString& word) const {
    // Lexicographer files of nouns that name technical things: artifact, attribute, object,
    // phenomenon, process, quantity, shape, substance.
    static const QSet<int> technicalNouns{6, 7, 17, 19, 22, 24, 25, 27};
    const QString key = word.toLower();
    QString best;
    int bestScore = 0;
    for (int part = 0; part < 4; ++part) {
        const auto it = index_[part].constFind(key);
        if (it == index_[part].constEnd())
            continue;
        for (qint64 offset : *it) {
            const Synset s = synsetAt(part, offset);
            if (s.definition.isEmpty())
                continue;
            bool inTopic = false;
            for (const auto& [symbol, target] : s.pointers)
                inTopic = inTopic || (symbol == ";c" && technical_.contains(target));
            const int score = inTopic                                             ? 3
                              : (part == 0 && technicalNouns.contains(s.lexFile)) ? 2
                                                                                  : 1;
            if (score > bestScore) {
                best = s.definition;
                bestScore = score;
            }
        }
    }
    // A word known only in everyday senses is left to the written definitions.
    return bestScore >= 2 ? best : QString();
}

std::vector<std::pair<QString, QString>> WordNet::topicEntries(const QStringList& topics) const {
    const QSet<qint64> wanted = topicOffsets(topics);
    std::vector<std::pair<QString, QString>> out;
    for (int part = 0; part < 4; ++part) {
        for (const QByteArray& line : data_[part].split('\n')) {
            if (line.isEmpty() || line.startsWith(' ') || !line.contains(";c "))
                continue;
            const Synset s = parseLine(line);
            bool inTopic = false;
            for (const auto& [symbol, target] : s.pointers)
                inTopic = inTopic || (symbol == ";c" && wanted.contains(target));
            if (!inTopic || s.definition.isEmpty())
                continue;
            for (const QString& w : s.words)
                out.emplace_back(w, s.definition);
        }
    }
    return out;
}

}  // namespace lex
