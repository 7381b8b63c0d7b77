// The delivered dictionary: its source files parse and are clean, and the default build merges
// them with WordNet into one headword per direction.
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "cli/DefaultDictionary.h"
#include "cli/WordNet.h"
#include "data/DictionaryFile.h"

using namespace lex;

namespace {

const QString kSources = QStringLiteral(LEXIVORE_SOURCE_DIR "/resources/dictionary");

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

// Technical signs that may stand in a text; anything else between U+0080 and U+00FF is taken
// for text decoded in the wrong character set.
bool allowedLatin1(QChar c) {
    return QStringLiteral("°µ²³×±·").contains(c);
}

QString problemIn(const QString& text) {
    if (text != text.normalized(QString::NormalizationForm_C))
        return QStringLiteral("not in NFC");
    for (QChar c : text) {
        if (c == QChar::ReplacementCharacter)
            return QStringLiteral("replacement character");
        if (c.unicode() >= 0x80 && c.unicode() <= 0xFF && !allowedLatin1(c))
            return QStringLiteral("stray Latin-1 character %1").arg(c);
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("control character");
    }
    // A Thai mark may not open a text or follow something that is not Thai.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool mark = c.category() == QChar::Mark_NonSpacing;
        if (mark && isThai(c) && (i == 0 || !isThai(text[i - 1])))
            return QStringLiteral("Thai mark without a base at %1").arg(i);
    }
    return {};
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

}  // namespace

class TestDictionary : public QObject {
    Q_OBJECT
  private slots:
    void sourceFilesAreClean() {
        const QStringList files = sourceFiles();
        QVERIFY(files.size() >= 2);
        int entries = 0;
        for (const QString& path : files) {
            QFile f(path);
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
            const DictionaryParseResult parsed = parseDictionary(f.readAll());
            QVERIFY2(parsed.ok(), qPrintable(path + QStringLiteral(": ") + parsed.error));
            QSet<QString> seen[6];
            for (const DictionaryEntry& e : parsed.entries) {
                const QString where =
                    QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), e.headword);
                QVERIFY2(e.type >= 1 && e.type <= 4, qPrintable(where));
                QVERIFY2(e.headword.size() <= 255 && e.meaning.size() <= 255, qPrintable(where));
                QVERIFY2(!e.meaning.trimmed().isEmpty(), qPrintable(where));
                for (const QString* t : {&e.headword, &e.meaning}) {
                    const QString problem = problemIn(*t);
                    QVERIFY2(problem.isEmpty(), qPrintable(where + QStringLiteral(": ") + problem));
                }
                const bool thaiHead = std::any_of(e.headword.begin(), e.headword.end(), isThai);
                QVERIFY2(thaiHead == (e.type == 2 || e.type == 4), qPrintable(where));
                const QString key = thaiHead ? e.headword : e.headword.toLower();
                QVERIFY2(!seen[e.type].contains(key), qPrintable(where + QStringLiteral(" twice")));
                seen[e.type].insert(key);
                ++entries;
            }
        }
        QVERIFY(entries > 300);
    }

    void defaultBuildHasOneHeadwordPerDirection() {
        QStringList notes;
        const std::vector<DictionaryEntry> all =
            buildDefaultDictionary({sourceFiles(), {}}, &notes);
        QSet<QString> seen[6];
        int perType[6] = {};
        for (const DictionaryEntry& e : all) {
            const QString key = std::any_of(e.headword.begin(), e.headword.end(), isThai)
                                    ? e.headword
                                    : e.headword.toLower();
            QVERIFY2(!seen[e.type].contains(key), qPrintable(e.headword));
            seen[e.type].insert(key);
            QVERIFY(e.meaning.size() <= 255);
            ++perType[e.type];
        }
        QVERIFY(perType[1] >= 3000);
        QVERIFY(perType[4] >= 1000);
        // Every Thai term of the English-to-Thai set is a Thai-to-English headword.
        for (const DictionaryEntry& e : all)
            if (e.type == 1 && !thaiTermOf(e.meaning).isEmpty())
                QVERIFY2(seen[2].contains(thaiTermOf(e.meaning)), qPrintable(e.headword));
    }

    void thaiTermsAndWordNetFeedTheDerivedDirections() {
        QCOMPARE(thaiTermOf(QStringLiteral("ความเหนียว (ทัฟเนส); ความสามารถในการดูดซับพลังงาน")),
                 QStringLiteral("ความเหนียว"));
        QCOMPARE(thaiTermOf(QStringLiteral("ohm")), QString());

        QTemporaryDir tmp;
        const QString wn = tmp.filePath(QStringLiteral("wn"));
        QDir().mkpath(wn);
        // Two synsets: the topic "physics" and a word in that topic; offsets are byte offsets.
        const QByteArray line1 = "00000000 05 n 01 physics 0 000 | the science of matter\n";
        const QByteArray line2 =
            "00000055 05 n 02 joule 0 J 0 001 ;c 00000000 n 0000 | a unit "
            "of energy; \"an example\"\n";
        writeFile(wn + QStringLiteral("/data.noun"), "  licence line\n" + line1 + line2);
        writeFile(wn + QStringLiteral("/index.noun"),
                  "  licence\nphysics n 1 0 1 0 00000015\njoule n 1 1 ;c 1 0 00000070\n");
        for (const char* part : {"verb", "adj", "adv"}) {
            writeFile(wn + QStringLiteral("/data.") + QLatin1String(part), "");
            writeFile(wn + QStringLiteral("/index.") + QLatin1String(part), "");
        }
        // The offsets written above must be the real positions of the lines.
        QFile data(wn + QStringLiteral("/data.noun"));
        QVERIFY(data.open(QIODevice::ReadOnly));
        const QByteArray all = data.readAll();
        const qsizetype physicsAt = all.indexOf("00000000 05"), jouleAt = all.indexOf("00000055");
        QByteArray fixed = all;
        fixed.replace("00000000 05", QByteArray::number(physicsAt).rightJustified(8, '0') + " 05");
        fixed.replace(";c 00000000", ";c " + QByteArray::number(physicsAt).rightJustified(8, '0'));
        fixed.replace("00000055 05", QByteArray::number(jouleAt).rightJustified(8, '0') + " 05");
        data.close();
        writeFile(wn + QStringLiteral("/data.noun"), fixed);
        writeFile(wn + QStringLiteral("/index.noun"),
                  "  licence\nphysics n 1 0 1 0 " +
                      QByteArray::number(physicsAt).rightJustified(8, '0') + "\njoule n 1 0 1 0 " +
                      QByteArray::number(jouleAt).rightJustified(8, '0') + "\n");

        WordNet wordnet(wn);
        QVERIFY(wordnet.isAvailable());
        // Known only in an everyday sense until its topic counts as technical.
        QCOMPARE(wordnet.definition(QStringLiteral("Joule")), QString());
        wordnet.setTechnicalTopics({QStringLiteral("physics")});
        QCOMPARE(wordnet.definition(QStringLiteral("Joule")), QStringLiteral("a unit of energy"));
        const auto topic = wordnet.topicEntries({QStringLiteral("physics")});
        QCOMPARE(topic.size(), size_t(2));
        QCOMPARE(topic[1].first, QStringLiteral("J"));

        const QString source = tmp.filePath(QStringLiteral("s.tsv"));
        writeFile(source,
                  "joule\tจูล; หน่วยของพลังงาน\t1\n"
                  "J\tจูล\t1\n"
                  "beam\tคาน\t1\n"
                  "คาน\tgirder\t2\n");
        const std::vector<DictionaryEntry> built = buildDefaultDictionary({{source}, wn}, nullptr);
        QMap<QString, QString> thaiEnglish, englishEnglish;
        for (const DictionaryEntry& e : built) {
            if (e.type == 2)
                thaiEnglish.insert(e.headword, e.meaning);
            if (e.type == 3)
                englishEnglish.insert(e.headword, e.meaning);
        }
        QCOMPARE(thaiEnglish.value(QStringLiteral("จูล")), QStringLiteral("joule, J"));
        QCOMPARE(thaiEnglish.value(QStringLiteral("คาน")), QStringLiteral("girder; beam"));
        QCOMPARE(englishEnglish.value(QStringLiteral("joule")), QStringLiteral("a unit of energy"));
        QVERIFY(!englishEnglish.contains(QStringLiteral("beam")));  // WordNet does not know it here
    }
};

QTEST_GUILESS_MAIN(TestDictionary)
#include "test_dictionary.moc"
