// The delivered dictionary: how the default build reads the source files, derives Thai to English,
// joins repeated headwords and takes WordNet's definitions (on small made-up files), and the
// checks of the real source files and of the dictionary built from them.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <map>

#include "cli/DefaultDictionary.h"
#include "cli/WordNet.h"
#include "data/DataError.h"
#include "data/DictionaryFile.h"

using namespace lex;

namespace {

const QString kSources = QStringLiteral(LEXIVORE_SOURCE_DIR "/resources/dictionary");
const QString kWordNet = QStringLiteral("/usr/share/wordnet");

QStringList sourceFiles() {
    QStringList files{QDir(kSources).filePath(QStringLiteral("starter.tsv"))};
    const QDir dir(QDir(kSources).filePath(QStringLiteral("sources")));
    for (const QString& f : dir.entryList({QStringLiteral("*.tsv")}, QDir::Files, QDir::Name))
        files << dir.filePath(f);
    return files;
}

bool isThai(QChar c) {
    return c.unicode() >= 0x0E01 && c.unicode() <= 0x0E5B;
}
bool hasThai(const QString& text) {
    return std::any_of(text.begin(), text.end(), isThai);
}
bool isConsonant(QChar c) {
    return c.unicode() >= 0x0E01 && c.unicode() <= 0x0E2E;
}
bool isAboveBelowVowel(QChar c) {  // ั ิ ี ึ ื ุ ู ฺ
    return c.unicode() == 0x0E31 || (c.unicode() >= 0x0E34 && c.unicode() <= 0x0E3A);
}
bool isToneMark(QChar c) {  // ่ ้ ๊ ๋
    return c.unicode() >= 0x0E48 && c.unicode() <= 0x0E4B;
}

// What is wrong with a text of the dictionary: its Unicode form, a character decoded in the wrong
// character set, or Thai written out of order (a mark without its base, two tone marks, a tone
// mark before the vowel mark, a leading vowel without its consonant). Empty when it is clean.
QString textProblem(const QString& text) {
    if (text != text.normalized(QString::NormalizationForm_C))
        return QStringLiteral("not in NFC");
    static const QString latin1Signs = QStringLiteral("°µ²³¹×±·÷½¼¾");
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i], next = i + 1 < text.size() ? text[i + 1] : QChar();
        const QChar previous = i > 0 ? text[i - 1] : QChar();
        const char16_t u = c.unicode();
        if (c == QChar::ReplacementCharacter)
            return QStringLiteral("replacement character U+FFFD");
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("control character");
        if (u >= 0x80 && u <= 0xBF && !latin1Signs.contains(c))
            return QStringLiteral("stray Latin-1 character %1").arg(c);
        if (u >= 0xC0 && u <= 0xFF && next.unicode() >= 0x80 && next.unicode() <= 0xBF)
            return QStringLiteral("UTF-8 read as Latin-1 (%1%2)").arg(c, next);
        const QString at = QStringLiteral(" at %1").arg(i);
        if ((isAboveBelowVowel(c) || u == 0x0E47 || u == 0x0E4D) && !isConsonant(previous))
            return (isToneMark(previous) ? QStringLiteral("tone mark before the vowel mark")
                                         : QStringLiteral("Thai vowel mark without a base")) +
                   at;
        if (isToneMark(c) && !isConsonant(previous) && !isAboveBelowVowel(previous))
            return (isToneMark(previous) ? QStringLiteral("two tone marks")
                                         : QStringLiteral("Thai tone mark without a base")) +
                   at;
        if (u == 0x0E4C && !isConsonant(previous) && previous.unicode() != 0x0E34 &&
            previous.unicode() != 0x0E38)
            return QStringLiteral("thanthakhat without a base") + at;
        if (u == 0x0E33 && !isConsonant(previous) && !isToneMark(previous))
            return QStringLiteral("sara am without a base") + at;
        if (u >= 0x0E40 && u <= 0x0E44 && !isConsonant(next))
            return QStringLiteral("leading vowel without its consonant") + at;
    }
    return {};
}

// "N problems: first, second, ..." for a failing check.
QByteArray summary(const QStringList& problems) {
    constexpr int kShown = 15;
    QString text = QStringLiteral("%1 problems: ").arg(problems.size()) +
                   problems.mid(0, kShown).join(QStringLiteral(" | "));
    if (problems.size() > kShown)
        text += QStringLiteral(" | ...");
    return text.toUtf8();
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

// A made-up WordNet: synsets in the order of their senses, the index made from them.
struct FakeSynset {
    QByteArray key;
    char part;  // n, v, a, r
    int lexFile;
    QList<QByteArray> words;
    QList<std::pair<QByteArray, QByteArray>> pointers;  // symbol, key of the target
    QByteArray gloss;
};

void writeWordNet(const QString& dir, const QList<FakeSynset>& synsets) {
    QDir().mkpath(dir);
    const std::map<char, QByteArray> files{
        {'n', "noun"}, {'v', "verb"}, {'a', "adj"}, {'r', "adv"}};
    const QByteArray licence = "  1 This is a made-up WordNet for the tests.\n";
    auto lineOf = [&](const FakeSynset& s, const QHash<QByteArray, qint64>& offsets) {
        QByteArray line = QByteArray::number(offsets.value(s.key)).rightJustified(8, '0') + ' ' +
                          QByteArray::number(s.lexFile).rightJustified(2, '0') + ' ' + s.part +
                          ' ' + QByteArray::number(s.words.size(), 16).rightJustified(2, '0');
        for (const QByteArray& w : s.words)
            line += ' ' + w + " 0";
        line += ' ' + QByteArray::number(s.pointers.size()).rightJustified(3, '0');
        for (const auto& [symbol, target] : s.pointers) {
            char targetPart = 'n';
            for (const FakeSynset& t : synsets)
                if (t.key == target)
                    targetPart = t.part;
            line += ' ' + symbol + ' ' +
                    QByteArray::number(offsets.value(target)).rightJustified(8, '0') + ' ' +
                    targetPart + " 0000";
        }
        return line + " | " + s.gloss + "  \n";
    };
    // Offsets are written with eight digits, so a line is as long whatever they are.
    QHash<QByteArray, qint64> offsets;
    std::map<char, qint64> size;
    for (const auto& [part, name] : files)
        size[part] = licence.size();
    for (const FakeSynset& s : synsets) {
        offsets.insert(s.key, size[s.part]);
        size[s.part] += lineOf(s, {}).size();
    }
    for (const auto& [part, name] : files) {
        QByteArray data = licence, index = licence;
        std::map<QByteArray, QList<qint64>> lemmas;
        for (const FakeSynset& s : synsets) {
            if (s.part != part)
                continue;
            data += lineOf(s, offsets);
            for (const QByteArray& w : s.words)
                lemmas[w.toLower()] << offsets.value(s.key);
        }
        for (const auto& [lemma, senses] : lemmas) {
            index += lemma + ' ' + part + ' ' + QByteArray::number(senses.size()) + " 0 " +
                     QByteArray::number(senses.size()) + " 0";
            for (qint64 o : senses)
                index += ' ' + QByteArray::number(o).rightJustified(8, '0');
            index += " \n";
        }
        writeFile(dir + QStringLiteral("/data.") + QString::fromLatin1(name), data);
        writeFile(dir + QStringLiteral("/index.") + QString::fromLatin1(name), index);
    }
}

QList<FakeSynset> fakeSynsets() {
    return {
        {"physics", 'n', 9, {"physics"}, {}, "the science of matter and energy"},
        {"music", 'n', 9, {"music"}, {}, "an artistic form of auditory communication"},
        // valve: an everyday sense first, the technical one second.
        {"valve-brass",
         'n',
         6,
         {"valve"},
         {},
         "device in a brass wind instrument for varying the length of the air column"},
        {"valve",
         'n',
         6,
         {"valve"},
         {},
         "control consisting of a mechanical device for controlling the flow of a fluid"},
        {"pipe-tobacco",
         'n',
         6,
         {"pipe"},
         {},
         "a tube with a small bowl; used for smoking tobacco"},
        // load: a technical noun, and a verb of a technical topic that must not win over it.
        {"load", 'n', 6, {"load"}, {}, "weight to be borne or conveyed"},
        {"load-v", 'v', 30, {"load"}, {{";c", "physics"}}, "transfer data into the memory"},
        // newton: a quantity (noun.quantity is lexicographer file 23).
        {"newton",
         'n',
         23,
         {"newton", "N"},
         {},
         "a unit of force equal to one kilogram metre per "
         "second squared; \"an example\""},
        // series: a relation (file 24), not a technical kind of noun.
        {"series",
         'n',
         24,
         {"series"},
         {},
         "connection of components so that current flows "
         "first through one and then the other"},
        // shell: two technical senses as likely as each other.
        {"shell-1", 'n', 6, {"shell"}, {}, "a thin curved structure of concrete"},
        {"shell-2", 'n', 6, {"shell"}, {}, "the metal casing of a boiler"},
        // score: technical words, but filed under music.
        {"score",
         'n',
         6,
         {"score"},
         {{";c", "music"}},
         "a written form of a composition for "
         "instruments with their pressure marks"},
        {"long", 'n', 6, {"longword"}, {}, "metal " + QByteArray(300, 'x')},
        // Topic words: joule and its symbol, power (whose first sense is everyday), a
        // physicist (a person), an adjective, a gloss with a leading "(physics)".
        {"joule", 'n', 23, {"joule", "J"}, {{";c", "physics"}}, "a unit of energy"},
        {"power-1", 'n', 26, {"power"}, {}, "possession of controlling influence"},
        {"power-2", 'n', 19, {"power"}, {{";c", "physics"}}, "(physics) the rate of doing work"},
        {"physicist", 'n', 18, {"physicist"}, {{";c", "physics"}}, "a scientist in physics"},
        {"isotropic", 'a', 0, {"isotropic"}, {{";c", "physics"}}, "having the same properties"},
        {"jerk",
         'n',
         28,
         {"jerk"},
         {{";c", "physics"}},
         "(mechanics) the rate of change of "
         "acceleration"},
    };
}

QMap<QString, QString> meaningsOf(const std::vector<DictionaryEntry>& entries, int type) {
    QMap<QString, QString> out;
    for (const DictionaryEntry& e : entries)
        if (e.type == type)
            out.insert(e.headword, e.meaning);
    return out;
}

}  // namespace

class TestDictionary : public QObject {
    Q_OBJECT

    // The real source files and the dictionary built from them (with WordNet where installed).
    std::vector<std::pair<QString, SourceEntry>> sources_;  // file name, entry
    std::vector<DictionaryEntry> built_;
    QStringList buildNotes_;
    QSet<QString> fields_;
    std::vector<HouseSpelling> houseSpellings_;

  private slots:
    void initTestCase() {
        try {
            for (const QString& path : sourceFiles())
                for (SourceEntry& s : readSourceFile(path)) {
                    fields_.insert(s.field);
                    sources_.emplace_back(QFileInfo(path).fileName(), std::move(s));
                }
            houseSpellings_ =
                readHouseSpellings(QDir(kSources).filePath(QStringLiteral("house-spellings.tsv")));
            built_ = buildDefaultDictionary(
                {sourceFiles(), QDir(kWordNet).exists() ? kWordNet : QString()}, &buildNotes_);
        } catch (const DataError& e) {
            QFAIL(qPrintable(e.message()));
        }
        QVERIFY(sources_.size() > 300);
        QVERIFY(houseSpellings_.size() >= 12);
    }

    // --- How the build works, on small made-up files ---

    void sourceFilesCarryTheirFields() {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(QStringLiteral("a.tsv"));
        writeFile(path,
                  "# a title\nbeam\tคาน\t1\t0\n\n# field: วิศวกรรมโยธา\n"
                  "column\tเสา\t1\t0\n#field:  วิศวกรรมเครื่องกล \nshaft\tเพลา\t1\t0\n");
        const std::vector<SourceEntry> read = readSourceFile(path);
        QCOMPARE(read.size(), size_t(3));
        QCOMPARE(read[0].field, QString());
        QCOMPARE(read[1].field, QStringLiteral("วิศวกรรมโยธา"));
        QCOMPARE(read[1].line, 5);
        QCOMPARE(read[2].field, QStringLiteral("วิศวกรรมเครื่องกล"));
        QCOMPARE(read[2].entry.headword, QStringLiteral("shaft"));
        writeFile(path, "beam\tคาน\tone\n");
        QVERIFY_THROWS_EXCEPTION(DataError, readSourceFile(path));
    }

    void thaiTermsOfAMeaning_data() {
        QTest::addColumn<QString>("meaning");
        QTest::addColumn<QStringList>("terms");
        auto row = [](const char* name, const char* meaning, QStringList terms) {
            QTest::newRow(name) << QString::fromUtf8(meaning) << terms;
        };
        row("one term", "คาน", {QStringLiteral("คาน")});
        row("synonyms", "คาน, คานรับน้ำหนัก; ชิ้นส่วนที่รับแรงดัด",
            {QStringLiteral("คาน"), QStringLiteral("คานรับน้ำหนัก")});
        row("variant spelling", "แก๊สธรรมชาติ (ก๊าซธรรมชาติ), แก๊สหุงต้ม",
            {QStringLiteral("แก๊สธรรมชาติ"), QStringLiteral("ก๊าซธรรมชาติ"),
             QStringLiteral("แก๊สหุงต้ม")});
        row("abbreviation", "การควบคุมคุณภาพเชิงสถิติ (SPC)", {QStringLiteral("การควบคุมคุณภาพเชิงสถิติ")});
        row("older short synonym", "การต่อแบบสตาร์; การต่อแบบวาย (Y)",
            {QStringLiteral("การต่อแบบสตาร์"), QStringLiteral("การต่อแบบวาย")});
        row("older transliteration", "สารหล่อเย็น; น้ำหล่อเย็น",
            {QStringLiteral("สารหล่อเย็น"), QStringLiteral("น้ำหล่อเย็น")});
        row("explanation without spaces", "เซนทรอยด์; จุดศูนย์กลางเรขาคณิตของพื้นที่หรือรูปทรง",
            {QStringLiteral("เซนทรอยด์")});
        row("short explanation", "ยูเอสบี; ใช้ต่ออุปกรณ์", {QStringLiteral("ยูเอสบี")});
        row("explanation with spaces", "งาน; หน่วยพื้นที่ 400 ตารางเมตร", {QStringLiteral("งาน")});
        row("remark in parentheses", "เมตร; (ตัวสะกดแบบอังกฤษของ meter)", {QStringLiteral("เมตร")});
        row("only a third part", "ท่อ; ท่อที่ใช้ส่งน้ำ; ท่อส่ง", {QStringLiteral("ท่อ")});
        row("senses labelled in the line", "(ชลศาสตร์) ทางน้ำ, ร่องน้ำ; (โยธา) เหล็กรางน้ำ",
            {QStringLiteral("ทางน้ำ"), QStringLiteral("ร่องน้ำ"), QStringLiteral("เหล็กรางน้ำ")});
        row("labelled explanation", "(ชลศาสตร์) ตลิ่ง; (ไฟฟ้า) ชุด เช่น ชุดตัวเก็บประจุ, บัส สายร่วม",
            {QStringLiteral("ตลิ่ง")});
        row("the unit named", "กำลังไฟฟ้ารีแอกทีฟ; หน่วยวาร์", {QStringLiteral("กำลังไฟฟ้ารีแอกทีฟ")});
        row("remark before an explanation", "ท่อ; (ประปา) ท่อส่งน้ำ", {QStringLiteral("ท่อ")});
        row("no Thai", "ohm", {});
        row("no Thai first", "5G; ท่อส่ง", {});
    }
    void thaiTermsOfAMeaning() {
        QFETCH(QString, meaning);
        QFETCH(QStringList, terms);
        QCOMPARE(thaiTermsOf(meaning), terms);
    }

    void repeatedItemsAreFound() {
        QCOMPARE(repeatedItem(QStringLiteral("คาน, คานรับน้ำหนัก; ชิ้นส่วนรับแรงดัด")), QString());
        QCOMPARE(repeatedItem(QStringLiteral("คาน, คานรับน้ำหนัก; คาน")), QStringLiteral("คาน"));
        QCOMPARE(repeatedItem(QStringLiteral("beam, Beam")), QStringLiteral("Beam"));
        QCOMPARE(repeatedItem(QStringLiteral("แก๊ส (ก๊าซ), แก๊ส")), QStringLiteral("แก๊ส"));
        // A comma inside parentheses does not part items; field labels are not items.
        QCOMPARE(repeatedItem(QStringLiteral("ดัชนี (Cp, Cpk), Cp")), QString());
        const QSet<QString> labels{QStringLiteral("โยธา"), QStringLiteral("เครื่องกล")};
        QCOMPARE(repeatedItem(QStringLiteral("(โยธา) ไหล่ทาง; (เครื่องกล) บ่าเพลา"), labels),
                 QString());
        QCOMPARE(repeatedItem(QStringLiteral("(โยธา) ไหล่ทาง; (เครื่องกล) ไหล่ทาง"), labels),
                 QStringLiteral("ไหล่ทาง"));
    }

    void repeatedHeadwordsAreJoinedByField() {
        QTemporaryDir tmp;
        const QString a = tmp.filePath(QStringLiteral("a.tsv")),
                      b = tmp.filePath(QStringLiteral("b.tsv")),
                      c = tmp.filePath(QStringLiteral("c.tsv"));
        const QByteArray longA = "ก" + QString(QStringLiteral("ข")).repeated(139).toUtf8(),
                         longB = "ค" + QString(QStringLiteral("ง")).repeated(139).toUtf8();
        writeFile(a,
                  "# field: วิศวกรรมโยธา\n"
                  "shoulder\tไหล่ทาง\t1\n"
                  "beam\tคาน, คานรับน้ำหนัก\t1\n"
                  "girder\tคาน\t1\n"
                  "ngan\tงาน; หน่วยพื้นที่ 400 ตารางเมตร\t1\n"
                  "gas\tแก๊ส (ก๊าซ)\t1\n"
                  "column\tเสา\t1\n"
                  "meter\tเมตร\t1\n"
                  "long\t" +
                      longA +
                      "\t1\n"
                      "shoulder\tThe strip beside the traffic lanes of a road.\t3\n"
                      "beam\tA member that carries loads mainly by bending.\t3\n"
                      "strut\tA member in compression.\t3\n");
        writeFile(b,
                  "# field: วิศวกรรมเครื่องกล\n"
                  "shoulder\tบ่าเพลา, ไหล่ทาง\t1\n"
                  "beam\tคาน\t1\n"
                  "work\tงาน; ผลคูณของแรงกับระยะทาง\t1\n"
                  "lever\tคาน; คานงัด\t1\n"
                  "metre\tเมตร; (ตัวสะกดแบบอังกฤษของ meter)\t1\n"
                  "long\t" +
                      longB +
                      "\t1\n"
                      "shoulder\tA step where the diameter of a shaft changes.\t3\n"
                      "shoulder\tA step where the diameter of a shaft changes\t3\n"
                      "beam\tA long bar that bends under load.\t3\n"
                      "strut\tA bar that holds two parts apart.\t3\n");
        writeFile(c, "beam\tคาน\t1\nเสา\tcolumn; post\t2\nshaft\tเพลา\t1\n");
        QStringList notes;
        const std::vector<DictionaryEntry> built = buildDefaultDictionary({{a, c, b}, {}}, &notes);
        const QMap<QString, QString> englishThai = meaningsOf(built, 1),
                                     thaiEnglish = meaningsOf(built, 2),
                                     englishEnglish = meaningsOf(built, 3);
        // English to Thai: senses of two fields labelled, a repeated item left out.
        QCOMPARE(englishThai.value(QStringLiteral("shoulder")),
                 QStringLiteral("(วิศวกรรมโยธา) ไหล่ทาง; (วิศวกรรมเครื่องกล) บ่าเพลา"));
        QCOMPARE(englishThai.value(QStringLiteral("beam")), QStringLiteral("คาน, คานรับน้ำหนัก"));
        QCOMPARE(englishThai.value(QStringLiteral("long")), QString::fromUtf8(longA));
        QVERIFY(notes.join(u'\n').contains(QStringLiteral("code 1: 1 senses were left out")));
        QVERIFY(notes.join(u'\n').contains(QStringLiteral(": long")));
        // English to English: the fields in English; the same definition once.
        QCOMPARE(englishEnglish.value(QStringLiteral("shoulder")),
                 QStringLiteral("(civil engineering) The strip beside the traffic lanes of a "
                                "road. (mechanical engineering) A step where the diameter of a "
                                "shaft changes."));
        // Where the Thai terms of a further field repeat the first's, so does the definition.
        QCOMPARE(englishEnglish.value(QStringLiteral("beam")),
                 QStringLiteral("A member that carries loads mainly by bending."));
        QVERIFY(notes.join(u'\n').contains(QStringLiteral("code 3: 1 definitions of a further")));
        QCOMPARE(englishEnglish.value(QStringLiteral("strut")),
                 QStringLiteral("(civil engineering) A member in compression. (mechanical "
                                "engineering) A bar that holds two parts apart."));
        // Thai to English from every Thai term; homographs of two fields labelled, synonyms of
        // one field listed.
        QCOMPARE(thaiEnglish.value(QStringLiteral("คาน")),
                 QStringLiteral("(วิศวกรรมโยธา) beam, girder; (วิศวกรรมเครื่องกล) lever"));
        QCOMPARE(thaiEnglish.value(QStringLiteral("งาน")),
                 QStringLiteral("(วิศวกรรมโยธา) ngan; (วิศวกรรมเครื่องกล) work"));
        QCOMPARE(thaiEnglish.value(QStringLiteral("ไหล่ทาง")), QStringLiteral("shoulder"));
        QCOMPARE(thaiEnglish.value(QStringLiteral("บ่าเพลา")), QStringLiteral("shoulder"));
        QCOMPARE(thaiEnglish.value(QStringLiteral("คานรับน้ำหนัก")), QStringLiteral("beam"));
        QCOMPARE(thaiEnglish.value(QStringLiteral("คานงัด")), QStringLiteral("lever"));
        QCOMPARE(thaiEnglish.value(QStringLiteral("แก๊ส")), QStringLiteral("gas"));
        QCOMPARE(thaiEnglish.value(QStringLiteral("ก๊าซ")), QStringLiteral("gas"));
        QCOMPARE(thaiEnglish.value(QStringLiteral("เพลา")), QStringLiteral("shaft"));
        // A spelling of another headword is listed with it, not labelled as another sense.
        QCOMPARE(thaiEnglish.value(QStringLiteral("เมตร")), QStringLiteral("meter, metre"));
        // A written Thai-to-English entry keeps its own items first.
        QCOMPARE(thaiEnglish.value(QStringLiteral("เสา")), QStringLiteral("column; post"));
        QVERIFY(!thaiEnglish.contains(QStringLiteral("หน่วยพื้นที่ 400 ตารางเมตร")));
        QVERIFY(!thaiEnglish.contains(QStringLiteral("ผลคูณของแรงกับระยะทาง")));
        for (const DictionaryEntry& e : built)
            QVERIFY2(repeatedItem(e.meaning,
                                  {QStringLiteral("วิศวกรรมโยธา"), QStringLiteral("วิศวกรรมเครื่องกล")})
                         .isEmpty(),
                     qPrintable(e.headword));
    }

    void houseSpellingsAreChecked() {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(QStringLiteral("h.tsv"));
        writeFile(path,
                  "# comment\nแก๊ส\tก๊าซ\tgas\nพอลิ\tโพลิ\tpoly-; not a variant in: โพลิช, "
                  "โพลิโอ\nพาสคัล\tปาสกาล\n");
        const std::vector<HouseSpelling> list = readHouseSpellings(path);
        QCOMPARE(list.size(), size_t(3));
        QCOMPARE(list[1].notVariantIn,
                 QStringList({QStringLiteral("โพลิช"), QStringLiteral("โพลิโอ")}));
        auto problems = [&](const char* text) {
            return houseSpellingProblems(QString::fromUtf8(text), list);
        };
        QCOMPARE(problems("แก๊ส (ก๊าซ)"), QStringList());
        QCOMPARE(problems("แก๊สธรรมชาติ (ก๊าซธรรมชาติ), แก๊สชีวภาพ"), QStringList());
        QCOMPARE(problems("ท่อแก๊สธรรมชาติ (ก๊าซธรรมชาติ)"), QStringList());
        QCOMPARE(problems("กิโลพาสคัล (กิโลปาสกาล)"), QStringList());
        QCOMPARE(problems("ก๊าซ"), QStringList({QStringLiteral("ก๊าซ (write แก๊ส)")}));
        QCOMPARE(problems("ท่อ (ก๊าซ)"), QStringList({QStringLiteral("ก๊าซ (write แก๊ส)")}));
        QCOMPARE(problems("แก๊ส; ก๊าซที่ไหลในท่อ"), QStringList({QStringLiteral("ก๊าซ (write แก๊ส)")}));
        QCOMPARE(problems("(ก๊าซ) แก๊ส"), QStringList({QStringLiteral("ก๊าซ (write แก๊ส)")}));
        QCOMPARE(problems("สายเคเบิลฉนวนครอสลิงก์โพลิเอทิลีน"),
                 QStringList({QStringLiteral("โพลิ (write พอลิ)")}));
        QCOMPARE(problems("การโพลิชผิว, โรคโพลิโอ, พอลิเอทิลีน"), QStringList());
        QCOMPARE(problems("ก๊าซ, กิโลปาสกาล").size(), 2);
        writeFile(path, "แก๊ส\n");
        QVERIFY_THROWS_EXCEPTION(DataError, readHouseSpellings(path));
    }

    void theTextCheckFindsBadThai() {
        QCOMPARE(textProblem(QStringLiteral("น้ำ กั้น ที่ ศักดิ์ ปุ่ม เก็บ 20 °C ± 2 µm Ångström")),
                 QString());
        for (const char* bad : {"ก\u0E48\u0E49", "\u0E34ก", "ก\u0E48\u0E35", "\u0E40\u0E40ก",
                                "a\u0E48", "ก\uFFFD", "\u00E0\u00B8\u0081", "ก\u00B8", "e\u0301"})
            QVERIFY2(!textProblem(QString::fromUtf8(bad)).isEmpty(), bad);
    }

    void wordNetGivesOnlyTechnicalSenses() {
        QTemporaryDir tmp;
        const QString wn = tmp.filePath(QStringLiteral("wn"));
        writeWordNet(wn, fakeSynsets());
        WordNet wordnet(wn);
        QVERIFY(wordnet.isAvailable());
        wordnet.setTechnicalTopics({QStringLiteral("physics")});
        QCOMPARE(wordnet.definition(QStringLiteral("Valve")),
                 QStringLiteral("Control consisting of a mechanical device for controlling the "
                                "flow of a fluid."));
        QCOMPARE(wordnet.definition(QStringLiteral("pipe")), QString());  // tobacco only
        QCOMPARE(wordnet.definition(QStringLiteral("load")),
                 QStringLiteral("Weight to be borne or conveyed."));
        QCOMPARE(wordnet.definition(QStringLiteral("newton")),
                 QStringLiteral("A unit of force equal to one kilogram metre per second squared."));
        QCOMPARE(wordnet.definition(QStringLiteral("series")), QString());
        QCOMPARE(wordnet.definition(QStringLiteral("shell")), QString());     // which one?
        QCOMPARE(wordnet.definition(QStringLiteral("score")), QString());     // music
        QCOMPARE(wordnet.definition(QStringLiteral("longword")), QString());  // never cut
        QVERIFY(wordnet.definition(QStringLiteral("longword"), 400).endsWith(u'.'));
        QCOMPARE(wordnet.definition(QStringLiteral("power")),
                 QStringLiteral("The rate of doing work."));
        QCOMPARE(wordnet.definition(QStringLiteral("unknown")), QString());

        QStringList words;
        for (const auto& [word, definition] : wordnet.topicEntries({QStringLiteral("physics")})) {
            words << word;
            QVERIFY(definition.endsWith(u'.') && !definition.startsWith(u'('));
        }
        // Not the symbol J, not power (an everyday word first), not a person, not an adjective.
        QCOMPARE(words, QStringList({QStringLiteral("joule"), QStringLiteral("jerk")}));
        QVERIFY(!WordNet(tmp.filePath(QStringLiteral("none"))).isAvailable());
    }

    void wordNetFillsOnlyWhatNoFileDefines() {
        QTemporaryDir tmp;
        const QString wn = tmp.filePath(QStringLiteral("wn"));
        QList<FakeSynset> synsets = fakeSynsets();
        synsets << FakeSynset{"engineering", 'n', 9, {"engineering"}, {}, "applied science"};
        writeWordNet(wn, synsets);
        const QString source = tmp.filePath(QStringLiteral("s.tsv"));
        writeFile(source,
                  "valve\tวาล์ว\t1\n"
                  "newton\tนิวตัน\t1\n"
                  "pipe\tท่อ\t1\n"
                  "load\tน้ำหนักบรรทุก\t1\n"
                  "load\tA force that a structure must carry.\t3\n");
        QStringList notes;
        const std::vector<DictionaryEntry> built = buildDefaultDictionary({{source}, wn}, &notes);
        const QMap<QString, QString> englishEnglish = meaningsOf(built, 3);
        QCOMPARE(englishEnglish.value(QStringLiteral("load")),
                 QStringLiteral("A force that a structure must carry."));
        QCOMPARE(englishEnglish.value(QStringLiteral("valve")),
                 QStringLiteral("Control consisting of a mechanical device for controlling the "
                                "flow of a fluid."));
        QVERIFY(
            englishEnglish.value(QStringLiteral("newton")).startsWith(QStringLiteral("A unit")));
        QVERIFY(!englishEnglish.contains(QStringLiteral("pipe")));
        QCOMPARE(englishEnglish.value(QStringLiteral("joule")),
                 QStringLiteral("A unit of energy."));
        QVERIFY(!englishEnglish.contains(QStringLiteral("physicist")));
        QVERIFY(
            !englishEnglish.contains(QStringLiteral("score")));  // music is no engineering topic
        QVERIFY(notes.join(u'\n').contains(QStringLiteral("2 definitions from WordNet")));
        QVERIFY(notes.join(u'\n').contains(QStringLiteral("1 English-to-Thai headwords have no")));

        const std::vector<DictionaryEntry> without = buildDefaultDictionary({{source}, {}}, &notes);
        QCOMPARE(meaningsOf(without, 3).size(), 1);
        QVERIFY(notes.join(u'\n').contains(QStringLiteral("WordNet was not found")));
    }

    // --- The real source files and the dictionary built from them ---

    void sourceFilesAreClean() {
        QStringList problems;
        QSet<QString> seen;  // file, code and headword
        for (const auto& [file, s] : sources_) {
            const DictionaryEntry& e = s.entry;
            const QString where = QStringLiteral("%1:%2 %3").arg(file).arg(s.line).arg(e.headword);
            if (e.type < 1 || e.type > 4)
                problems << where + QStringLiteral(": direction code %1").arg(e.type);
            if (hasThai(e.headword) != (e.type == 2 || e.type == 4))
                problems << where + QStringLiteral(": the headword's language is not its code's");
            if (e.meaning.trimmed().isEmpty())
                problems << where + QStringLiteral(": no meaning");
            if (e.meaning != e.meaning.trimmed() || e.headword != e.headword.trimmed())
                problems << where + QStringLiteral(": spaces at an end");
            const QString key = QStringLiteral("%1\t%2\t%3")
                                    .arg(file)
                                    .arg(e.type)
                                    .arg(hasThai(e.headword) ? e.headword : e.headword.toLower());
            if (seen.contains(key))
                problems << where + QStringLiteral(": twice in the file");
            seen.insert(key);
        }
        QVERIFY2(problems.isEmpty(), summary(problems).constData());
    }

    void textsFitAndAreNeverCutShort() {
        QStringList problems;
        auto check = [&](const QString& where, const DictionaryEntry& e) {
            if (e.headword.size() > 255 || e.meaning.size() > 255)
                problems << where + QStringLiteral(": longer than 255 characters");
            if (e.meaning.contains(QStringLiteral("...")) || e.meaning.contains(u'…'))
                problems << where + QStringLiteral(": \"...\" in the meaning");
        };
        for (const auto& [file, s] : sources_)
            check(QStringLiteral("%1:%2").arg(file).arg(s.line), s.entry);
        for (const DictionaryEntry& e : built_)
            check(QStringLiteral("built code %1 %2").arg(e.type).arg(e.headword), e);
        QVERIFY2(problems.isEmpty(), summary(problems).constData());
    }

    void thaiIsWrittenInOrder() {
        QStringList problems;
        for (const auto& [file, s] : sources_)
            for (const QString* t : {&s.entry.headword, &s.entry.meaning})
                if (const QString p = textProblem(*t); !p.isEmpty())
                    problems << QStringLiteral("%1:%2 %3: %4").arg(file).arg(s.line).arg(*t, p);
        for (const DictionaryEntry& e : built_)
            for (const QString* t : {&e.headword, &e.meaning})
                if (const QString p = textProblem(*t); !p.isEmpty())
                    problems << QStringLiteral("built %1: %2").arg(*t, p);
        QVERIFY2(problems.isEmpty(), summary(problems).constData());
    }

    void noMeaningRepeatsItsOwnItems() {
        QStringList problems;
        for (const auto& [file, s] : sources_)
            if (s.entry.type == 1 || s.entry.type == 2)
                if (const QString item = repeatedItem(s.entry.meaning); !item.isEmpty())
                    problems << QStringLiteral("%1:%2 %3 repeats %4")
                                    .arg(file)
                                    .arg(s.line)
                                    .arg(s.entry.headword, item);
        for (const DictionaryEntry& e : built_)
            if (e.type == 1 || e.type == 2)
                if (const QString item = repeatedItem(e.meaning, fields_); !item.isEmpty())
                    problems << QStringLiteral("built %1 repeats %2").arg(e.headword, item);
        QVERIFY2(problems.isEmpty(), summary(problems).constData());
    }

    void houseSpellingsAreObeyed() {
        QStringList problems;
        // Variants written in parentheses after a term are Thai-to-English headwords of their
        // own, so that a search for them finds the term.
        QSet<QString> variantHeadwords;
        static const QRegularExpression parentheses(QStringLiteral("\\(([^()]*)\\)"));
        for (const auto& [file, s] : sources_) {
            for (const QString* t : {&s.entry.headword, &s.entry.meaning})
                for (const QString& p : houseSpellingProblems(*t, houseSpellings_))
                    problems << QStringLiteral("%1:%2 %3: %4")
                                    .arg(file)
                                    .arg(s.line)
                                    .arg(s.entry.headword, p);
            if (s.entry.type == 1)
                for (auto m = parentheses.globalMatch(s.entry.meaning); m.hasNext();)
                    for (const QString& v : m.next().captured(1).split(QStringLiteral(", ")))
                        variantHeadwords.insert(v.trimmed());
        }
        for (const DictionaryEntry& e : built_) {
            const bool variant = e.type == 2 && variantHeadwords.contains(e.headword);
            for (const QString& p : houseSpellingProblems(
                     variant ? e.meaning : e.headword + u'\t' + e.meaning, houseSpellings_))
                problems << QStringLiteral("built %1: %2").arg(e.headword, p);
        }
        QVERIFY2(problems.isEmpty(), summary(problems).constData());
    }

    void builtDictionaryHasOneHeadwordPerDirection() {
        std::map<int, QSet<QString>> seen;
        for (const DictionaryEntry& e : built_) {
            const QString key = hasThai(e.headword) ? e.headword : e.headword.toLower();
            QVERIFY2(!seen[e.type].contains(key), qPrintable(e.headword));
            seen[e.type].insert(key);
            QVERIFY(e.type >= 1 && e.type <= 4);
        }
    }

    void everyThaiTermIsAThaiEnglishHeadword() {
        QSet<QString> thaiEnglish;
        for (const DictionaryEntry& e : built_)
            if (e.type == 2)
                thaiEnglish.insert(e.headword);
        QStringList problems;
        for (const auto& [file, s] : sources_)
            if (s.entry.type == 1)
                for (const QString& term : thaiTermsOf(s.entry.meaning))
                    if (!thaiEnglish.contains(term))
                        problems << QStringLiteral("%1:%2 %3").arg(file).arg(s.line).arg(term);
        QVERIFY2(problems.isEmpty(), summary(problems).constData());
    }

    void everyEnglishThaiHeadwordHasAWrittenDefinition() {
        QSet<QString> defined;
        for (const auto& [file, s] : sources_)
            if (s.entry.type == 3)
                defined.insert(s.entry.headword.toLower());
        QStringList problems;
        QSet<QString> reported;
        for (const auto& [file, s] : sources_) {
            const QString key = s.entry.headword.toLower();
            if (s.entry.type == 1 && !defined.contains(key) && !reported.contains(key)) {
                reported.insert(key);
                problems << QStringLiteral("%1:%2 %3").arg(file).arg(s.line).arg(s.entry.headword);
            }
        }
        QVERIFY2(problems.isEmpty(), summary(problems).constData());
    }

    void builtDictionaryIsLargeEnough() {
        std::map<int, int> count;
        for (const DictionaryEntry& e : built_)
            ++count[e.type];
        const QByteArray counts = QStringLiteral("code 1: %1, code 2: %2, code 3: %3, code 4: %4")
                                      .arg(count[1])
                                      .arg(count[2])
                                      .arg(count[3])
                                      .arg(count[4])
                                      .toUtf8();
        QVERIFY2(count[1] >= 15000, counts.constData());
        QVERIFY2(count[4] >= 5000, counts.constData());
    }
};

QTEST_GUILESS_MAIN(TestDictionary)
#include "test_dictionary.moc"
