#include "cli/DefaultDictionary.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <map>

#include "cli/WordNet.h"
#include "data/DataError.h"

namespace lex {

namespace {

constexpr int kMaxText = 255;

bool isThai(QChar c) {
    return c.unicode() >= 0x0E01 && c.unicode() <= 0x0E5B;
}

bool hasThai(QStringView text) {
    return std::any_of(text.begin(), text.end(), isThai);
}

QString keyOf(const QString& headword) {
    return hasThai(headword) ? headword : headword.toLower();
}

// `text` split at each `separator` that stands outside parentheses.
QStringList splitOutsideParentheses(const QString& text, QStringView separator) {
    QStringList parts;
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'(')
            ++depth;
        else if (text[i] == u')' && depth > 0)
            --depth;
        else if (depth == 0 && QStringView(text).mid(i).startsWith(separator)) {
            parts << text.mid(start, i - start);
            start = i + separator.size();
            i = start - 1;
        }
    }
    parts << text.mid(start);
    return parts;
}

// An item without a trailing remark in parentheses, for comparing items.
QString itemKey(const QString& item) {
    QString key = item.trimmed();
    if (key.endsWith(u')')) {
        const qsizetype open = key.lastIndexOf(u'(');
        if (open > 0)
            key = key.left(open).trimmed();
    }
    return key.toLower();
}

// The part of a meaning after a leading "(label) " that names one of `labels`.
QString withoutLabel(const QString& part, const QSet<QString>& labels) {
    const QString trimmed = part.trimmed();
    if (trimmed.startsWith(u'(')) {
        const qsizetype close = trimmed.indexOf(QStringLiteral(") "));
        if (close > 0 && labels.contains(trimmed.mid(1, close - 1)))
            return trimmed.mid(close + 2);
    }
    return trimmed;
}

// Explanation words: a "; " part holding one is not a synonym.
bool readsAsExplanation(QString text) {
    // Words that hold the letters of an explanation word without being one.
    for (const char* word : {"พื้นที่", "ของไหล", "ของแข็ง", "ของเหลว", "ของเสีย"})
        text.remove(QString::fromUtf8(word));
    static const QStringList inside{
        QStringLiteral("ที่"),      QStringLiteral("ซึ่ง"),    QStringLiteral("ของ"),
        QStringLiteral("หรือ"),    QStringLiteral("และ"),   QStringLiteral("โดย"),
        QStringLiteral("เพื่อ"),    QStringLiteral("สำหรับ"), QStringLiteral("เมื่อ"),
        QStringLiteral("ด้วย"),    QStringLiteral("จาก"),   QStringLiteral("กับ"),
        QStringLiteral("ระหว่าง"), QStringLiteral("คือ"),    QStringLiteral("เช่น"),
        QStringLiteral("ในภาษา"), QStringLiteral("เรียก"),
    };
    static const QStringList opening{
        QStringLiteral("ใช้"), QStringLiteral("เป็น"),  QStringLiteral("มี"),
        QStringLiteral("ทำ"), QStringLiteral("ให้"),   QStringLiteral("เกิด"),
        QStringLiteral("ไม่"), QStringLiteral("หน่วย"), QStringLiteral("แบบ"),
    };
    for (const QString& w : inside)
        if (text.contains(w))
            return true;
    for (const QString& w : opening)
        if (text.startsWith(w))
            return true;
    return false;
}

// Whether the second "; " part of an older-style meaning is a short synonym.
bool isShortSynonym(QString part) {
    part = part.trimmed();
    if (part.endsWith(u')')) {  // "การต่อแบบวาย (Y)": an abbreviation may follow
        const qsizetype open = part.lastIndexOf(u'(');
        if (open > 0 && !hasThai(QStringView(part).mid(open)))
            part = part.left(open).trimmed();
    }
    constexpr int kLongestSynonym = 16;
    return hasThai(part) && part.size() <= kLongestSynonym && !part.contains(u' ') &&
           !part.contains(u'(') && !part.contains(u',') && !readsAsExplanation(part);
}

// The Thai terms of one item of TERMS: the item without its parentheses, and every Thai text in
// parentheses after it. A group in parentheses before the item's text is a label ("(ไฟฟ้า) สายดิน")
// and names no term.
void addTermsOfItem(const QString& item, QStringList* terms) {
    QString base;
    QStringList inParentheses;
    int depth = 0;
    QString group;
    for (QChar c : item) {
        if (c == u'(') {
            if (depth++ > 0)
                group += c;
        } else if (c == u')' && depth > 0) {
            if (--depth == 0) {
                if (!base.trimmed().isEmpty())
                    inParentheses << group;
                group.clear();
            } else {
                group += c;
            }
        } else if (depth > 0) {
            group += c;
        } else {
            base += c;
        }
    }
    base = base.simplified();
    if (hasThai(base))
        *terms << base;
    for (const QString& g : inParentheses)
        for (const QString& piece : splitOutsideParentheses(g, u", "))
            if (hasThai(piece) && !piece.trimmed().isEmpty())
                *terms << piece.simplified();
}

// `part` without a leading label in parentheses ("(ชลศาสตร์) ทางน้ำ"), or empty when it has none.
QString afterLabel(const QString& part) {
    const QString trimmed = part.trimmed();
    if (!trimmed.startsWith(u'('))
        return {};
    const qsizetype close = trimmed.indexOf(QStringLiteral(") "));
    if (close < 0 || trimmed.lastIndexOf(u'(', close) != 0)
        return {};
    return trimmed.mid(close + 2).trimmed();
}

// English names of the fields, for labelling English definitions; a field missing here keeps
// its Thai name.
QString englishFieldName(const QString& field) {
    static const QHash<QString, QString> names{
        {QStringLiteral("วิศวกรรมโยธา"), QStringLiteral("civil engineering")},
        {QStringLiteral("วิศวกรรมโครงสร้าง"), QStringLiteral("structural engineering")},
        {QStringLiteral("วิศวกรรมปฐพี"), QStringLiteral("geotechnical engineering")},
        {QStringLiteral("วิศวกรรมขนส่ง"), QStringLiteral("transportation engineering")},
        {QStringLiteral("วิศวกรรมแหล่งน้ำ"), QStringLiteral("water resources engineering")},
        {QStringLiteral("วิศวกรรมสิ่งแวดล้อม"), QStringLiteral("environmental engineering")},
        {QStringLiteral("การสำรวจ"), QStringLiteral("surveying")},
        {QStringLiteral("การบริหารงานก่อสร้าง"), QStringLiteral("construction management")},
        {QStringLiteral("วิศวกรรมไฟฟ้า"), QStringLiteral("electrical engineering")},
        {QStringLiteral("วิศวกรรมไฟฟ้ากำลัง"), QStringLiteral("electrical power engineering")},
        {QStringLiteral("วิศวกรรมอิเล็กทรอนิกส์"), QStringLiteral("electronic engineering")},
        {QStringLiteral("วิศวกรรมโทรคมนาคม"), QStringLiteral("telecommunication engineering")},
        {QStringLiteral("วิศวกรรมคอมพิวเตอร์"), QStringLiteral("computer engineering")},
        {QStringLiteral("วิศวกรรมเครื่องกล"), QStringLiteral("mechanical engineering")},
        {QStringLiteral("วิศวกรรมอุตสาหการ"), QStringLiteral("industrial engineering")},
        {QStringLiteral("วิศวกรรมเคมี"), QStringLiteral("chemical engineering")},
        {QStringLiteral("วิศวกรรมวัสดุ"), QStringLiteral("materials engineering")},
        {QStringLiteral("วิศวกรรมโลหการ"), QStringLiteral("metallurgical engineering")},
        {QStringLiteral("คณิตศาสตร์"), QStringLiteral("mathematics")},
        {QStringLiteral("หน่วยวัด"), QStringLiteral("units")},
        {QStringLiteral("ศัพท์วิศวกรรมพื้นฐาน"), QStringLiteral("general engineering")},
    };
    return names.value(field, field);
}

// One sense of a headword, as written in a file of a field.
struct Sense {
    QString field;
    QString text;
    bool listItem = false;  // one term of a list ("beam, girder"), joined with ", "
};

// Entries of one direction, one per headword (English compared without letter case).
class Direction {
  public:
    explicit Direction(int type) : type_(type), termList_(type == 1 || type == 2) {}

    bool contains(const QString& headword) const { return positions_.contains(keyOf(headword)); }

    // The fields of the senses the headword's meaning holds.
    QSet<QString> fieldsOf(const QString& headword) const {
        QSet<QString> fields;
        const auto it = positions_.constFind(keyOf(headword));
        if (it != positions_.constEnd())
            for (const Sense& s : entries_[static_cast<size_t>(*it)].senses)
                fields.insert(s.field);
        return fields;
    }

    // Joins `sense` to the headword's meaning: without the items it already has, and only
    // while the meaning fits.
    void add(const QString& headword, const Sense& sense, int qty = 0) {
        const QString key = keyOf(headword);
        const auto it = positions_.constFind(key);
        if (it == positions_.constEnd()) {
            positions_.insert(key, static_cast<int>(entries_.size()));
            entries_.push_back({headword, qty, {sense}, render({sense})});
            return;
        }
        Entry& kept = entries_[static_cast<size_t>(*it)];
        ++merged_;
        const Sense fresh = withoutRepeats(kept, sense);
        if (fresh.text.isEmpty())
            return;
        std::vector<Sense> senses = kept.senses;
        senses.push_back(fresh);
        const QString meaning = render(senses);
        if (meaning.size() > kMaxText) {
            notJoined_ << headword;
            return;
        }
        kept.senses = std::move(senses);
        kept.meaning = meaning;
    }

    std::vector<DictionaryEntry> entries() const {
        std::vector<DictionaryEntry> out;
        out.reserve(entries_.size());
        for (const Entry& e : entries_)
            out.push_back({e.headword, e.meaning, type_, e.qty});
        return out;
    }
    int size() const { return static_cast<int>(entries_.size()); }
    int merged() const { return merged_; }
    const QStringList& notJoined() const { return notJoined_; }

  private:
    struct Entry {
        QString headword;
        int qty = 0;
        std::vector<Sense> senses;
        QString meaning;
    };

    // `sense` without the items (of a term list) or the whole text (of a definition) that the
    // entry's meaning already holds.
    Sense withoutRepeats(const Entry& entry, Sense sense) const {
        if (!termList_) {
            auto same = [](QString a, QString b) {
                for (QString* t : {&a, &b}) {
                    *t = t->trimmed().toLower();
                    if (t->endsWith(u'.'))
                        t->chop(1);
                }
                return a == b;
            };
            for (const Sense& s : entry.senses)
                if (same(s.text, sense.text))
                    return {};
            return sense;
        }
        QSet<QString> have;
        for (const Sense& s : entry.senses)
            for (const QString& part : splitOutsideParentheses(s.text, u"; "))
                for (const QString& item : splitOutsideParentheses(part, u", "))
                    have.insert(itemKey(item));
        QStringList parts;
        for (const QString& part : splitOutsideParentheses(sense.text, u"; ")) {
            QStringList items;
            for (const QString& item : splitOutsideParentheses(part, u", ")) {
                const QString key = itemKey(item);
                if (!key.isEmpty() && !have.contains(key)) {
                    have.insert(key);
                    items << item.trimmed();
                }
            }
            if (!items.isEmpty())
                parts << items.join(QStringLiteral(", "));
        }
        sense.text = parts.join(QStringLiteral("; "));
        return sense;
    }

    // The meaning of the senses: grouped by field (a sense of no field joins the first group,
    // which takes the first field that comes), each group labelled when there are several.
    QString render(const std::vector<Sense>& senses) const {
        std::vector<std::pair<QString, std::vector<const Sense*>>> groups;
        for (const Sense& s : senses) {
            auto group = std::find_if(groups.begin(), groups.end(),
                                      [&](const auto& g) { return g.first == s.field; });
            if (group == groups.end() && !groups.empty() &&
                (s.field.isEmpty() || groups.front().first.isEmpty())) {
                group = groups.begin();
                if (group->first.isEmpty())
                    group->first = s.field;
            }
            if (group == groups.end()) {
                groups.push_back({s.field, {}});
                group = groups.end() - 1;
            }
            group->second.push_back(&s);
        }
        // Terms of a list are parted by ", ", senses by "; " (by a space after a sentence).
        auto separator = [this](const QString& before, bool list) {
            return list                                  ? QStringLiteral(", ")
                   : !termList_ && before.endsWith(u'.') ? QStringLiteral(" ")
                                                         : QStringLiteral("; ");
        };
        QString meaning;
        for (const auto& [field, members] : groups) {
            QString text;
            const Sense* previous = nullptr;
            for (const Sense* s : members) {
                if (previous)
                    text += separator(text, previous->listItem && s->listItem);
                text += s->text;
                previous = s;
            }
            if (groups.size() > 1 && !field.isEmpty())
                text = QStringLiteral("(%1) %2").arg(type_ == 3 ? englishFieldName(field) : field,
                                                     text);
            meaning += (meaning.isEmpty() ? QString() : separator(meaning, false)) + text;
        }
        return meaning;
    }

    int type_;
    bool termList_;
    std::vector<Entry> entries_;
    QHash<QString, int> positions_;
    int merged_ = 0;
    QStringList notJoined_;
};

// The WordNet topics whose nouns the English-to-English part takes even where no file has the
// word: engineering and the sciences it rests on.
const QStringList& engineeringTopics() {
    static const QStringList topics{
        QStringLiteral("engineering"),
        QStringLiteral("electrical engineering"),
        QStringLiteral("electronics"),
        QStringLiteral("electricity"),
        QStringLiteral("mechanics"),
        QStringLiteral("thermodynamics"),
        QStringLiteral("metallurgy"),
        QStringLiteral("telecommunication"),
        QStringLiteral("acoustics"),
        QStringLiteral("optics"),
        QStringLiteral("physics"),
        QStringLiteral("chemistry"),
        QStringLiteral("physical chemistry"),
        QStringLiteral("construction"),
    };
    return topics;
}

// "code 1: 3 senses were not joined ... : a, b, c".
QString notJoinedNote(int type, const QStringList& headwords) {
    constexpr int kNamed = 12;
    QString names = headwords.mid(0, kNamed).join(QStringLiteral(", "));
    if (headwords.size() > kNamed)
        names += QStringLiteral(" and %1 more").arg(headwords.size() - kNamed);
    return QStringLiteral(
               "code %1: %2 senses were left out because the joined meaning would pass %3 "
               "characters (the first senses are kept): %4")
        .arg(type)
        .arg(headwords.size())
        .arg(kMaxText)
        .arg(names);
}

}  // namespace

std::vector<SourceEntry> readSourceFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DataError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray content = file.readAll();
    const DictionaryParseResult parsed = parseDictionary(content);
    if (!parsed.ok())
        throw DataError(QStringLiteral("%1: %2").arg(path, parsed.error));
    // The parser skips blank lines and comments; the entries follow the other lines in order.
    std::vector<SourceEntry> out;
    out.reserve(parsed.entries.size());
    QString field;
    int lineNumber = 0;
    qsizetype pos = content.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    size_t next = 0;
    while (pos < content.size() && next < parsed.entries.size()) {
        qsizetype end = content.indexOf('\n', pos);
        if (end < 0)
            end = content.size();
        const QByteArray raw = content.mid(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (raw.startsWith('#')) {
            const QString comment = QString::fromUtf8(raw.mid(1)).trimmed();
            if (comment.startsWith(QLatin1String("field:")))
                field = comment.mid(6).trimmed().normalized(QString::NormalizationForm_C);
            continue;
        }
        if (raw.trimmed().isEmpty())
            continue;
        out.push_back({parsed.entries[next++], field, lineNumber});
    }
    return out;
}

QStringList thaiTermsOf(const QString& meaning) {
    const QStringList parts = splitOutsideParentheses(meaning, u"; ");
    QStringList terms;
    for (const QString& item : splitOutsideParentheses(parts.first(), u", "))
        addTermsOfItem(item, &terms);
    if (!terms.isEmpty() && parts.size() > 1) {
        if (!afterLabel(parts.first()).isEmpty()) {
            // Senses labelled in the line, "(ชลศาสตร์) ทางน้ำ, คลอง; (โยธา) เหล็กรางน้ำ": the
            // terms of every labelled part, but no explanation.
            for (const QString& part : parts.mid(1))
                for (const QString& item : splitOutsideParentheses(afterLabel(part), u", "))
                    if (!item.trimmed().contains(u' ') && !readsAsExplanation(item))
                        addTermsOfItem(item, &terms);
        } else if (isShortSynonym(parts[1])) {
            addTermsOfItem(parts[1], &terms);
        }
    }
    terms.removeDuplicates();
    return terms;
}

QString repeatedItem(const QString& meaning, const QSet<QString>& labels) {
    QSet<QString> seen;
    for (const QString& part : splitOutsideParentheses(meaning, u"; ")) {
        for (const QString& item : splitOutsideParentheses(withoutLabel(part, labels), u", ")) {
            const QString key = itemKey(item);
            if (key.isEmpty())
                continue;
            if (seen.contains(key))
                return item.trimmed();
            seen.insert(key);
        }
    }
    return {};
}

std::vector<HouseSpelling> readHouseSpellings(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DataError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    std::vector<HouseSpelling> list;
    const QString marker = QStringLiteral("not a variant in:");
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'#') || line.trimmed().isEmpty())
            continue;
        const QStringList fields = line.trimmed().split(u'\t');
        if (fields.size() < 2 || fields[0].trimmed().isEmpty() || fields[1].trimmed().isEmpty())
            throw DataError(QStringLiteral("%1: \"%2\" is not \"house<TAB>variant[<TAB>note]\"")
                                .arg(path, line));
        HouseSpelling h{fields[0].trimmed().normalized(QString::NormalizationForm_C),
                        fields[1].trimmed().normalized(QString::NormalizationForm_C),
                        fields.value(2).trimmed(),
                        {}};
        const qsizetype at = h.note.indexOf(marker);
        if (at >= 0)
            for (const QString& w : h.note.mid(at + marker.size()).split(u','))
                if (!w.trimmed().isEmpty())
                    h.notVariantIn << w.trimmed().normalized(QString::NormalizationForm_C);
        list.push_back(std::move(h));
    }
    return list;
}

QStringList houseSpellingProblems(const QString& text, const std::vector<HouseSpelling>& list) {
    // Whether `word` stands in `text` over the position `at` with its letters of `part` there.
    auto standsOver = [&](const QString& word, const QString& part, qsizetype at) {
        for (qsizetype k = word.indexOf(part); k >= 0; k = word.indexOf(part, k + 1))
            if (at - k >= 0 && QStringView(text).mid(at - k).startsWith(word))
                return true;
        return false;
    };
    QStringList problems;
    for (const HouseSpelling& h : list) {
        for (qsizetype at = text.indexOf(h.variant); at >= 0;
             at = text.indexOf(h.variant, at + 1)) {
            if (standsOver(h.house, h.variant, at))
                continue;
            if (std::any_of(h.notVariantIn.begin(), h.notVariantIn.end(),
                            [&](const QString& w) { return standsOver(w, h.variant, at); }))
                continue;
            // In parentheses right after the same term written with the house spelling?
            const qsizetype open = text.lastIndexOf(u'(', at);
            const qsizetype close = text.indexOf(u')', at);
            bool allowed = false;
            if (open >= 0 && close > at && text.lastIndexOf(u')', at) < open) {
                const QString inside = text.mid(open + 1, close - open - 1);
                const QString before = text.left(open).trimmed();
                for (const QString& item : splitOutsideParentheses(inside, u", ")) {
                    QString asHouse = item.trimmed();
                    asHouse.replace(h.variant, h.house);
                    allowed = allowed || (item.contains(h.variant) && before.endsWith(asHouse));
                }
            }
            const QString problem = QStringLiteral("%1 (write %2)").arg(h.variant, h.house);
            if (!allowed && !problems.contains(problem))
                problems << problem;
        }
    }
    return problems;
}

const QStringList& technicalTopics() {
    static const QStringList topics = [] {
        QStringList t = engineeringTopics();
        t << QStringLiteral("computer science") << QStringLiteral("computing")
          << QStringLiteral("computer") << QStringLiteral("mathematics")
          << QStringLiteral("geometry") << QStringLiteral("statistics") << QStringLiteral("mining")
          << QStringLiteral("aeronautics") << QStringLiteral("hydraulics");
        return t;
    }();
    return topics;
}

std::vector<DictionaryEntry> buildDefaultDictionary(const DefaultDictionarySources& sources,
                                                    QStringList* notes) {
    std::map<int, Direction> directions;
    auto direction = [&](int type) -> Direction& {
        return directions.try_emplace(type, type).first->second;
    };
    std::vector<SourceEntry> englishThai;  // the code-1 entries as written, for code 2
    std::vector<SourceEntry> definitions;  // code 3, joined once code 1 is known
    for (const QString& path : sources.files) {
        for (SourceEntry& s : readSourceFile(path)) {
            if (s.entry.type == 3) {
                definitions.push_back(std::move(s));
                continue;
            }
            direction(s.entry.type).add(s.entry.headword, {s.field, s.entry.meaning}, s.entry.qty);
            if (s.entry.type == 1)
                englishThai.push_back(std::move(s));
        }
    }

    // English to English as written. A definition from a further field joins only where the
    // English-to-Thai entry kept a sense of that field: where that field's Thai terms all
    // repeated the first field's, the two fields define the same sense.
    Direction& englishEnglish = direction(3);
    int sameSense = 0;
    for (const SourceEntry& s : definitions) {
        const QString& headword = s.entry.headword;
        if (englishEnglish.contains(headword) && direction(1).contains(headword) &&
            !englishEnglish.fieldsOf(headword).contains(s.field) &&
            !direction(1).fieldsOf(headword).contains(s.field)) {
            ++sameSense;
            continue;
        }
        englishEnglish.add(headword, {s.field, s.entry.meaning}, s.entry.qty);
    }
    if (notes && sameSense > 0)
        *notes << QStringLiteral(
                      "code 3: %1 definitions of a further field were left out: the "
                      "English-to-Thai entry gives that field no other sense.")
                      .arg(sameSense);

    // Thai to English: every Thai term of every written English-to-Thai entry.
    Direction& thaiEnglish = direction(2);
    for (const SourceEntry& s : englishThai) {
        // A British or American spelling of another headword is no sense of a field of its own:
        // it joins the Thai term's list unlabelled ("เมตร: meter, metre").
        const bool spelling = s.entry.meaning.contains(QStringLiteral("(ตัวสะกดแบบ"));
        for (const QString& term : thaiTermsOf(s.entry.meaning))
            thaiEnglish.add(term, {spelling ? QString() : s.field, s.entry.headword, true});
    }

    // English to English: WordNet only where no file defines a code-1 headword.
    WordNet wordnet(sources.wordnetDirectory);
    wordnet.setTechnicalTopics(technicalTopics());
    if (!sources.wordnetDirectory.isEmpty() && wordnet.isAvailable()) {
        int fromWordNet = 0, undefined = 0, topicWords = 0;
        for (const DictionaryEntry& e : direction(1).entries()) {
            if (englishEnglish.contains(e.headword))
                continue;
            const QString definition = wordnet.definition(e.headword, kMaxText);
            if (definition.isEmpty()) {
                ++undefined;
                continue;
            }
            englishEnglish.add(e.headword, {{}, definition});
            ++fromWordNet;
        }
        for (const auto& [word, definition] : wordnet.topicEntries(engineeringTopics(), kMaxText)) {
            if (!englishEnglish.contains(word)) {
                englishEnglish.add(word, {{}, definition});
                ++topicWords;
            }
        }
        if (notes)
            *notes << QStringLiteral(
                          "English to English: %1 definitions from WordNet for English-to-Thai "
                          "headwords that no file defines, %2 more WordNet words of engineering "
                          "topics; %3 English-to-Thai headwords have no English definition.")
                          .arg(fromWordNet)
                          .arg(topicWords)
                          .arg(undefined);
    } else if (notes) {
        *notes << QStringLiteral(
                      "WordNet was not found in %1; the English-to-English part holds "
                      "only the written entries.")
                      .arg(sources.wordnetDirectory);
    }

    std::vector<DictionaryEntry> all;
    for (const auto& [type, d] : directions) {
        const std::vector<DictionaryEntry> entries = d.entries();
        all.insert(all.end(), entries.begin(), entries.end());
        if (!notes)
            continue;
        if (d.merged() > 0)
            *notes << QStringLiteral("code %1: %2 repeated headwords merged")
                          .arg(type)
                          .arg(d.merged());
        if (!d.notJoined().isEmpty())
            *notes << notJoinedNote(type, d.notJoined());
    }
    return all;
}

}  // namespace lex
