#include "cli/WordNet.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QStringView>

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

// The lower-case words of a gloss.
QStringList glossWords(const QString& gloss) {
    QStringList words;
    QString word;
    for (QChar c : gloss + u' ') {
        if (c.isLetter()) {
            word += c.toLower();
        } else if (!word.isEmpty()) {
            words << word;
            word.clear();
        }
    }
    return words;
}

// Whether one of `words` is one of `list`; an entry ending in '*' stands for every word that
// starts with it.
bool anyWordIn(const QStringList& words, const QStringList& list) {
    for (const QString& w : words)
        for (const QString& entry : list)
            if (entry.endsWith(u'*') ? w.startsWith(QStringView(entry).chopped(1)) : w == entry)
                return true;
    return false;
}

// A gloss of an everyday thing (WordNet's first sense of "pipe" is for smoking tobacco, one of
// "valve" belongs to a trumpet).
bool glossIsEveryday(const QString& gloss) {
    static const QStringList everyday{
        QStringLiteral("tobacco"),    QStringLiteral("smok*"),      QStringLiteral("music*"),
        QStringLiteral("brass"),      QStringLiteral("organ"),      QStringLiteral("garment*"),
        QStringLiteral("clothing"),   QStringLiteral("meat"),       QStringLiteral("cook*"),
        QStringLiteral("food*"),      QStringLiteral("game*"),      QStringLiteral("sport*"),
        QStringLiteral("gymnast*"),   QStringLiteral("toy*"),       QStringLiteral("church*"),
        QStringLiteral("relig*"),     QStringLiteral("slang"),      QStringLiteral("informal"),
        QStringLiteral("person"),     QStringLiteral("someone"),    QStringLiteral("animal*"),
        QStringLiteral("mollus*"),    QStringLiteral("snail*"),     QStringLiteral("anatomy"),
        QStringLiteral("heart"),      QStringLiteral("baseball"),   QStringLiteral("football"),
        QStringLiteral("golf*"),      QStringLiteral("tennis"),     QStringLiteral("poker"),
        QStringLiteral("chess"),      QStringLiteral("drink*"),     QStringLiteral("alcohol*"),
        QStringLiteral("intoxicat*"), QStringLiteral("jewel*"),     QStringLiteral("hair*"),
        QStringLiteral("danc*"),      QStringLiteral("theater*"),   QStringLiteral("theatre*"),
        QStringLiteral("film*"),      QStringLiteral("movie*"),     QStringLiteral("poem*"),
        QStringLiteral("poet*"),      QStringLiteral("myth*"),      QStringLiteral("bible"),
        QStringLiteral("biblical"),   QStringLiteral("horse*"),     QStringLiteral("bird*"),
        QStringLiteral("insect*"),    QStringLiteral("dog*"),       QStringLiteral("cattle"),
        QStringLiteral("gambl*"),     QStringLiteral("wager*"),     QStringLiteral("perfume*"),
        QStringLiteral("cosmetic*"),  QStringLiteral("wine*"),      QStringLiteral("beer"),
        QStringLiteral("coffee"),     QStringLiteral("cake*"),      QStringLiteral("bread"),
        QStringLiteral("fruit*"),     QStringLiteral("flower*"),    QStringLiteral("disease*"),
        QStringLiteral("surgery"),    QStringLiteral("surgical"),   QStringLiteral("patient*"),
        QStringLiteral("nautical"),   QStringLiteral("heraldry"),   QStringLiteral("soccer"),
        QStringLiteral("cricket"),    QStringLiteral("basketball"), QStringLiteral("hockey"),
        QStringLiteral("boxing"),     QStringLiteral("wrestl*"),    QStringLiteral("quark*"),
    };
    return anyWordIn(glossWords(gloss), everyday);
}

// A gloss that speaks of technical things.
bool glossIsTechnical(const QString& gloss) {
    static const QStringList technical{
        QStringLiteral("metal*"),      QStringLiteral("steel"),
        QStringLiteral("iron"),        QStringLiteral("concrete"),
        QStringLiteral("machin*"),     QStringLiteral("mechani*"),
        QStringLiteral("device*"),     QStringLiteral("engine*"),
        QStringLiteral("motor*"),      QStringLiteral("electr*"),
        QStringLiteral("circuit*"),    QStringLiteral("current"),
        QStringLiteral("voltage"),     QStringLiteral("signal*"),
        QStringLiteral("fluid*"),      QStringLiteral("flow*"),
        QStringLiteral("pressure"),    QStringLiteral("force*"),
        QStringLiteral("energy"),      QStringLiteral("power"),
        QStringLiteral("heat*"),       QStringLiteral("thermal"),
        QStringLiteral("temperature"), QStringLiteral("structur*"),
        QStringLiteral("construct*"),  QStringLiteral("building*"),
        QStringLiteral("load*"),       QStringLiteral("weight"),
        QStringLiteral("stress"),      QStringLiteral("strain"),
        QStringLiteral("tube*"),       QStringLiteral("pipe*"),
        QStringLiteral("shaft*"),      QStringLiteral("gear*"),
        QStringLiteral("wheel*"),      QStringLiteral("valve*"),
        QStringLiteral("pump*"),       QStringLiteral("wire*"),
        QStringLiteral("conduct*"),    QStringLiteral("material*"),
        QStringLiteral("chemi*"),      QStringLiteral("compound*"),
        QStringLiteral("substance*"),  QStringLiteral("reaction*"),
        QStringLiteral("measur*"),     QStringLiteral("unit*"),
        QStringLiteral("quantit*"),    QStringLiteral("rate"),
        QStringLiteral("ratio"),       QStringLiteral("frequenc*"),
        QStringLiteral("wave*"),       QStringLiteral("radiat*"),
        QStringLiteral("surface*"),    QStringLiteral("beam*"),
        QStringLiteral("joint*"),      QStringLiteral("tool*"),
        QStringLiteral("component*"),  QStringLiteral("apparatus"),
        QStringLiteral("instrument*"), QStringLiteral("water"),
        QStringLiteral("oil"),         QStringLiteral("gas*"),
        QStringLiteral("liquid*"),     QStringLiteral("solid*"),
        QStringLiteral("crystal*"),    QStringLiteral("alloy*"),
        QStringLiteral("soil*"),       QStringLiteral("rock*"),
        QStringLiteral("road*"),       QStringLiteral("bridge*"),
        QStringLiteral("dam*"),        QStringLiteral("vehicle*"),
        QStringLiteral("computer*"),   QStringLiteral("data"),
        QStringLiteral("program*"),    QStringLiteral("mathemat*"),
        QStringLiteral("equation*"),   QStringLiteral("angle*"),
        QStringLiteral("cylind*"),     QStringLiteral("piston*"),
        QStringLiteral("bolt*"),       QStringLiteral("screw*"),
        QStringLiteral("spring*"),     QStringLiteral("bearing*"),
        QStringLiteral("lever*"),      QStringLiteral("wall*"),
        QStringLiteral("roof*"),       QStringLiteral("foundation*"),
        QStringLiteral("column*"),     QStringLiteral("mass"),
        QStringLiteral("velocity"),    QStringLiteral("acceleration"),
        QStringLiteral("magnet*"),     QStringLiteral("semiconductor*"),
        QStringLiteral("transistor*"), QStringLiteral("resist*"),
        QStringLiteral("capacit*"),    QStringLiteral("induct*"),
        QStringLiteral("transmi*"),    QStringLiteral("control*"),
        QStringLiteral("steam"),       QStringLiteral("fuel*"),
        QStringLiteral("combust*"),    QStringLiteral("plastic*"),
        QStringLiteral("polymer*"),    QStringLiteral("cement*"),
        QStringLiteral("brick*"),      QStringLiteral("timber"),
        QStringLiteral("tension"),     QStringLiteral("torque"),
        QStringLiteral("friction"),    QStringLiteral("vibrat*"),
        QStringLiteral("electrode*"),  QStringLiteral("cable*"),
        QStringLiteral("sensor*"),     QStringLiteral("optical"),
        QStringLiteral("laser*"),      QStringLiteral("radio"),
        QStringLiteral("antenna*"),    QStringLiteral("digital"),
        QStringLiteral("binary"),      QStringLiteral("storage"),
        QStringLiteral("processor*"),  QStringLiteral("network*"),
        QStringLiteral("ore"),         QStringLiteral("drill*"),
        QStringLiteral("weld*"),       QStringLiteral("solder*"),
        QStringLiteral("rivet*"),      QStringLiteral("nozzle*"),
        QStringLiteral("turbine*"),    QStringLiteral("boiler*"),
        QStringLiteral("compressor*"), QStringLiteral("reactor*"),
        QStringLiteral("furnace*"),    QStringLiteral("kiln*"),
        QStringLiteral("channel*"),    QStringLiteral("conduit*"),
        QStringLiteral("drain*"),      QStringLiteral("sewer*"),
        QStringLiteral("hydraul*"),    QStringLiteral("pneumat*"),
        QStringLiteral("physic*"),     QStringLiteral("volume"),
    };
    return anyWordIn(glossWords(gloss), technical);
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

QString WordNet::cleanGloss(const QString& gloss, int maxLength) {
    QString text = gloss.trimmed();
    // "(physics) the rate of ..." : the domain is said by the dictionary's own field labels.
    while (text.startsWith(u'(')) {
        const qsizetype close = text.indexOf(u')');
        if (close < 0)
            break;
        text = text.mid(close + 1).trimmed();
    }
    while (text.endsWith(u';') || text.endsWith(u',') || text.endsWith(u':'))
        text.chop(1);
    text = text.trimmed();
    if (text.isEmpty())
        return {};
    text[0] = text[0].toUpper();
    if (!text.endsWith(u'.') && !text.endsWith(u'?') && !text.endsWith(u'!'))
        text += u'.';
    return text.size() <= maxLength ? text : QString();
}

int WordNet::technicalScore(int part, const Synset& s) const {
    if (s.definition.isEmpty())
        return 0;
    bool technicalTopic = false, otherDomain = false;
    for (const auto& [symbol, target] : s.pointers) {
        if (symbol == ";c")
            (technical_.contains(target) ? technicalTopic : otherDomain) = true;
        else if (symbol == ";u" || symbol == ";r")  // slang, colloquialism, a region's usage
            otherDomain = true;
    }
    if ((otherDomain && !technicalTopic) || glossIsEveryday(s.definition))
        return 0;
    if (part == 0) {
        if (technicalTopic)
            return 4;
        // Lexicographer files of nouns that name technical things: artifact, attribute, object,
        // phenomenon, process, quantity, shape, substance.
        static const QSet<int> technicalNouns{6, 7, 17, 19, 22, 23, 25, 27};
        return technicalNouns.contains(s.lexFile) && glossIsTechnical(s.definition) ? 3 : 0;
    }
    return technicalTopic && part <= 2 ? 2 : 0;  // a verb or an adjective of a technical topic
}

QString WordNet::definition(const QString& word, int maxLength) const {
    const QString key = word.toLower();
    QString best;
    int bestScore = 0;
    bool tied = false;
    for (int part = 0; part < 4; ++part) {
        const auto it = index_[part].constFind(key);
        if (it == index_[part].constEnd())
            continue;
        for (qint64 offset : *it) {
            const Synset s = synsetAt(part, offset);
            const int score = technicalScore(part, s);
            if (score == 0 || score < bestScore)
                continue;
            const QString text = cleanGloss(s.definition, maxLength);
            if (text.isEmpty())
                continue;
            tied = score == bestScore;
            if (!tied) {
                best = text;
                bestScore = score;
            }
        }
    }
    // Two technical senses as likely as each other: which one the dictionary's entry means
    // cannot be told, so neither is taken.
    return tied ? QString() : best;
}

std::vector<std::pair<QString, QString>> WordNet::topicEntries(const QStringList& topics,
                                                               int maxLength) const {
    // Kinds of nouns kept: act, artifact, attribute, event, phenomenon, process, quantity,
    // relation, shape, state, substance and time (a time constant, a sampling rate). Left out:
    // tops, cognition (theories; laws stay), group, person, plant, animal, food, body, feeling,
    // motive, possession, communication, location and object (natural objects).
    static const QSet<int> kept{4, 6, 7, 11, 19, 22, 23, 24, 25, 26, 27, 28};
    constexpr int kCognition = 9;
    // Words whose most frequent sense WordNet files under a topic but that an engineer reads
    // otherwise.
    static const QSet<QString> misleading{
        QStringLiteral("randomness"), QStringLiteral("monad"),       QStringLiteral("acceptor"),
        QStringLiteral("metric"),     QStringLiteral("pulsing"),     QStringLiteral("pulsation"),
        QStringLiteral("soaking up"), QStringLiteral("color force"),
    };
    const QSet<qint64> wanted = topicOffsets(topics);
    std::vector<std::pair<QString, QString>> out;
    const QByteArray& data = data_[0];
    qsizetype pos = 0;
    while (pos < data.size()) {
        qsizetype end = data.indexOf('\n', pos);
        if (end < 0)
            end = data.size();
        const QByteArray line = data.mid(pos, end - pos);
        const qint64 offset = pos;
        pos = end + 1;
        if (line.isEmpty() || line.startsWith(' ') || !line.contains(";c "))
            continue;
        const Synset s = parseLine(line);
        bool inTopic = false;
        for (const auto& [symbol, target] : s.pointers)
            inTopic = inTopic || (symbol == ";c" && wanted.contains(target));
        if (!inTopic || glossIsEveryday(s.definition))
            continue;
        const QString definition = cleanGloss(s.definition, maxLength);
        if (definition.isEmpty())
            continue;
        for (const QString& w : s.words) {
            const bool law = s.lexFile == kCognition && w.contains(QStringLiteral("law"));
            const QList<qint64> senses = index_[0].value(w.toLower());
            if ((kept.contains(s.lexFile) || law) && w.size() > 1 && !senses.isEmpty() &&
                senses.first() == offset && !misleading.contains(w.toLower()))
                out.emplace_back(w, definition);
        }
    }
    return out;
}

}  // namespace lex
