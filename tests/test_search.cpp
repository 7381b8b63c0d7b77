// The search lists against the plain look at every entry, on the delivered dictionary's own
// text and on odd needles; the prepared lists stored beside the table; the packed lists.
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>
#include <functional>

#include "TestSupport.h"
#include "data/BitSet.h"
#include "data/Database.h"
#include "data/DictionaryFile.h"
#include "data/DictionaryIndex.h"
#include "data/DictionaryStore.h"
#include "data/FoldedText.h"
#include "data/LikePattern.h"
#include "data/PostingList.h"
#include "data/Schema.h"
#include "data/SqlStatement.h"

using namespace lex;

namespace {

using Path = DictionaryIndex::SearchPath;

const QString kSources = QStringLiteral(LEXIVORE_SOURCE_DIR "/resources/dictionary");

// Every entry of the delivered sources, and entries that stress the edges: characters outside
// ASCII and Thai, one- and two-character texts, repeated runs, marks without a letter.
std::vector<DictionaryEntry> corpus() {
    std::vector<DictionaryEntry> entries;
    QStringList files{QDir(kSources).filePath(QStringLiteral("starter.tsv"))};
    const QDir dir(QDir(kSources).filePath(QStringLiteral("sources")));
    for (const QString& name : dir.entryList({QStringLiteral("*.tsv")}, QDir::Files, QDir::Name))
        files << dir.filePath(name);
    for (const QString& path : files) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            qFatal("cannot read %s", qPrintable(path));
        DictionaryParseResult r = parseDictionary(f.readAll());
        if (!r.ok())
            qFatal("%s line %d does not parse", qPrintable(path), r.errorLine);
        entries.insert(entries.end(), r.entries.begin(), r.entries.end());
    }
    const char16_t* odd[][2] = {
        {u"café", u"ร้านกาแฟ"},
        {u"Ωmega", u"โอเมกา ω Ω"},
        {u"Straße", u"ถนน ß SS"},
        {u"x", u"a"},
        {u"ab", u"ba"},
        {u"aaaa", u"aaaaaaa"},
        {u"µm", u"ไมโครเมตร µ"},
        {u"🙂 face", u"หน้า 🙂🙂"},
        {u"\u0E48", u"ไม้เอก\u0E48"},
        {u"KELVIN \u212A", u"k"},
        {u"50%", u"ร้อยละ 50 _x_"},
        {u"a\"b'c\\d", u"quote"},
    };
    for (const auto& e : odd)
        entries.push_back({QString::fromUtf16(e[0]), QString::fromUtf16(e[1]), 1, 0});
    entries.push_back({QStringLiteral("no meaning"), QString(), 1, 0});
    return entries;
}

// A needle as people type them, and as they do not: a piece of an entry, its letters' case
// changed, wildcards put in, an odd character added.
QString randomPattern(QRandomGenerator& rng, const std::vector<DictionaryEntry>& entries) {
    const DictionaryEntry& e = entries[rng.bounded(static_cast<quint32>(entries.size()))];
    const QString& source = rng.bounded(2) ? e.headword : e.meaning;
    QString needle;
    if (!source.isEmpty()) {
        const int length = 1 + static_cast<int>(rng.bounded(9));
        const int from = static_cast<int>(rng.bounded(static_cast<quint32>(source.size())));
        needle = source.mid(from, length);
    }
    static const QStringList oddCharacters{
        QStringLiteral("é"),  QStringLiteral("Ω"), QStringLiteral("ß"),      QStringLiteral("🙂"),
        QStringLiteral("\""), QStringLiteral("'"), QStringLiteral("\\"),     QStringLiteral(" "),
        QStringLiteral("0"),  QStringLiteral("ก่"), QStringLiteral("\u0E48"), QStringLiteral("K")};
    for (int k = static_cast<int>(rng.bounded(4)); k > 0 && !needle.isEmpty(); --k) {
        const int at = static_cast<int>(rng.bounded(static_cast<quint32>(needle.size())));
        switch (rng.bounded(6)) {
            case 0:
                needle[at] = u'_';
                break;
            case 1:
                needle.insert(at, u'%');
                break;
            case 2:
                needle[at] = needle[at].isUpper() ? needle[at].toLower() : needle[at].toUpper();
                break;
            case 3:
                needle.insert(
                    at, oddCharacters[rng.bounded(static_cast<quint32>(oddCharacters.size()))]);
                break;
            default:
                needle = needle.toUpper();
                break;
        }
    }
    // Mostly the search box's own form; sometimes anchored at one end or both.
    switch (rng.bounded(8)) {
        case 0:
            return needle + u'%';
        case 1:
            return u'%' + needle;
        case 2:
            return needle;
        default:
            return u'%' + needle + u'%';
    }
}

const QStringList& modes() {
    static const QStringList m{QStringLiteral("Data LIKE :p OR Meaning LIKE :p"),
                               QStringLiteral("Data LIKE :p"), QStringLiteral("Meaning LIKE :p"),
                               QStringLiteral("Data LIKE :p AND Meaning LIKE :p")};
    return m;
}

SqlStatement statementFor(const QString& where) {
    return SqlStatement::parse(
        {QStringLiteral("Select * From Main_data Where (%1) Order by Data").arg(where)});
}

// The same rows, or a message saying where the two differ.
QString difference(const std::vector<uint32_t>& got, const std::vector<uint32_t>& expected) {
    if (got == expected)
        return QString();
    return QStringLiteral("%1 rows instead of %2").arg(got.size()).arg(expected.size());
}

// A wildcard match written the plain way, on whole characters, to check the fast walk against.
bool referenceMatch(const std::u32string& p, size_t i, const std::u32string& t, size_t j) {
    if (i == p.size())
        return j == t.size();
    if (p[i] == U'%')
        return referenceMatch(p, i + 1, t, j) || (j < t.size() && referenceMatch(p, i, t, j + 1));
    if (j == t.size())
        return false;
    return (p[i] == U'_' || p[i] == t[j]) && referenceMatch(p, i + 1, t, j + 1);
}

std::u32string foldedCodePoints(const QString& s) {
    std::u32string out;
    for (char32_t c : s.toUcs4())
        out.push_back(QChar::toCaseFolded(c));
    return out;
}

}  // namespace

class TestSearch : public QObject {
    Q_OBJECT

  private slots:
    void postingListsComeBackAsStored() {
        QRandomGenerator rng(7);
        for (uint32_t entries : {1u, 63u, 64u, 1000u, 100000u}) {
            LargeVector<uint8_t> buffer;
            std::vector<std::vector<uint32_t>> lists;
            std::vector<postings::ListRef> refs;
            // Densities from a single rank to every rank, runs of neighbours, wide gaps.
            for (uint32_t every : {entries, 1000000u, 997u, 64u, 9u, 2u, 1u}) {
                std::vector<uint32_t> ranks;
                for (uint32_t r = rng.bounded(std::min(every, entries)); r < entries;
                     r += 1 + rng.bounded(2 * every))
                    ranks.push_back(r);
                if (ranks.empty())
                    ranks.push_back(entries - 1);
                refs.push_back(postings::append(buffer, ranks.data(), ranks.size(), entries));
                lists.push_back(std::move(ranks));
            }
            // Gaps of one and five in turn need three bits a rank, at one rank in three: more
            // than a bitmap's one bit an entry.
            std::vector<uint32_t> alternating;
            for (uint32_t r = 0; r < entries; r += alternating.size() % 2 ? 1 : 5)
                alternating.push_back(r);
            refs.push_back(
                postings::append(buffer, alternating.data(), alternating.size(), entries));
            lists.push_back(alternating);
            std::vector<uint32_t> run(std::min(entries, 300u));
            for (uint32_t i = 0; i < run.size(); ++i)
                run[i] = entries - static_cast<uint32_t>(run.size()) + i;  // no gaps at all
            refs.push_back(postings::append(buffer, run.data(), run.size(), entries));
            lists.push_back(run);
            buffer.resize(buffer.size() + postings::kPadding, 0);

            for (size_t i = 0; i < lists.size(); ++i) {
                BitSet out(entries);
                postings::addTo(buffer.data(), buffer.size() - postings::kPadding, refs[i], out);
                QCOMPARE(out.indices(), lists[i]);
                QCOMPARE(refs[i].count, static_cast<uint32_t>(lists[i].size()));
            }
            if (entries == 100000u) {
                QVERIFY(refs[7].bitmap);
                QVERIFY(!refs[1].bitmap && !refs[8].bitmap);  // sparse; a run needs no bits
                QVERIFY(refs[8].bytes < 16);
            }
        }
    }

    void damagedListsStayInsideTheirBounds() {
        QRandomGenerator rng(11);
        const uint32_t entries = 5000;
        for (int round = 0; round < 2000; ++round) {
            LargeVector<uint8_t> buffer(1 + rng.bounded(600));
            for (uint8_t& b : buffer)
                b = static_cast<uint8_t>(rng.bounded(256));
            postings::ListRef ref;
            ref.count = rng.bounded(2 * entries);
            ref.offset = rng.bounded(static_cast<quint32>(buffer.size()) + 8);
            ref.bytes = rng.bounded(static_cast<quint32>(buffer.size()) + 8);
            ref.bitmap = rng.bounded(4) == 0;
            const size_t usable = buffer.size();
            buffer.resize(buffer.size() + postings::kPadding, 0);
            BitSet out(entries);
            postings::addTo(buffer.data(), usable, ref, out);
            QVERIFY(out.count() <= entries);
            if (!postings::fits(ref, usable, entries))
                QCOMPARE(out.count(), size_t(0));
        }
    }

    void wildcardWalkAgreesWithThePlainDefinition() {
        // Few letters, so that parts repeat and the walk must step back often.
        const QStringList letters{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("é"),
                                  QStringLiteral("ก"), QStringLiteral("\u0E48")};
        const QStringList patternParts =
            letters + QStringList{QStringLiteral("%"), QStringLiteral("_"), QStringLiteral("A"),
                                  QStringLiteral("É")};
        QRandomGenerator rng(3);
        auto word = [&](const QStringList& from, int maxLength) {
            QString s;
            for (int n = static_cast<int>(rng.bounded(maxLength + 1)); n > 0; --n)
                s += from[rng.bounded(static_cast<quint32>(from.size()))];
            return s;
        };
        for (int round = 0; round < 20000; ++round) {
            const QString text = word(letters, 8);
            const QString pattern = word(patternParts, 6);
            const bool expected = !text.isEmpty() && referenceMatch(foldedCodePoints(pattern), 0,
                                                                    foldedCodePoints(text), 0);
            QVERIFY2(LikePattern(pattern).matches(folded::encode(text)) == expected,
                     qPrintable(QStringLiteral("'%1' LIKE '%2'").arg(text, pattern)));
        }
    }

    // Thousands of needles through the lists and through the look at every entry: the same
    // rows in the same order, in every search mode; and the lists prepared at import give the
    // same rows as lists built when the dictionary is opened.
    void listsAgreeWithTheScanOnRandomNeedles() {
        const std::vector<DictionaryEntry> entries = corpus();
        QVERIFY2(entries.size() > 30000, qPrintable(QString::number(entries.size())));
        test::TempDataDir dir(entries);
        Database db(dir.path());
        DictionaryIndex prepared;
        prepared.load(db);
        QVERIFY(prepared.preparedIndexUsed());
        QCOMPARE(prepared.size(), entries.size());

        test::TempDataDir copy(entries);
        QVERIFY(test::sqliteExec(copy.file(QStringLiteral("Main_Data.DB")),
                                 "DELETE FROM Main_Data_Search"));
        Database copyDb(copy.path());
        DictionaryIndex built;
        built.load(copyDb);
        QVERIFY(!built.preparedIndexUsed());

        // A fixed seed, so that a failure can be repeated; LEXIVORE_TEST_SEED tries others.
        bool seeded = false;
        quint32 seed = qEnvironmentVariableIntValue("LEXIVORE_TEST_SEED", &seeded);
        if (!seeded)
            seed = 20261208;
        QRandomGenerator rng(seed);
        std::vector<SqlStatement> statements;
        for (const QString& where : modes())
            statements.push_back(statementFor(where));
        int nonEmpty = 0;
        for (int round = 0; round < 1500; ++round) {
            const QString pattern = randomPattern(rng, entries);
            const QVariantMap bound{{QStringLiteral(":p"), pattern}};
            for (size_t m = 0; m < statements.size(); ++m) {
                const std::vector<uint32_t> expected =
                    prepared.select(statements[m], bound, Path::Scan);
                const std::vector<uint32_t> got = prepared.select(statements[m], bound);
                const QString where = QStringLiteral("seed %1, needle '%2', %3: ")
                                          .arg(seed)
                                          .arg(pattern, modes()[static_cast<qsizetype>(m)]);
                QVERIFY2(got == expected, qPrintable(where + difference(got, expected)));
                if (round % 5 == 0) {
                    const std::vector<uint32_t> again = built.select(statements[m], bound);
                    QVERIFY2(again == expected,
                             qPrintable(where + QStringLiteral("built on opening: ") +
                                        difference(again, expected)));
                }
                nonEmpty += !expected.empty();
            }
        }
        QVERIFY(nonEmpty > 2000);  // the needles mostly find something
    }

    void preparedListsFollowTheTable() {
        test::TempDataDir dir(test::sampleEntries());
        const QString file = dir.file(QStringLiteral("Main_Data.DB"));
        struct Found {
            size_t indexed = 0;
            bool sameAsScan = false;
            bool prepared = false;
        };
        auto find = [&](const QString& pattern) {
            Database db(dir.path());
            DictionaryIndex index;
            index.load(db);
            const SqlStatement st = statementFor(QStringLiteral("Data LIKE :p"));
            const QVariantMap bound{{QStringLiteral(":p"), pattern}};
            const std::vector<uint32_t> ranks = index.select(st, bound);
            return Found{ranks.size(), ranks == index.select(st, bound, Path::Scan),
                         index.preparedIndexUsed()};
        };
        Found f = find(QStringLiteral("%stee%"));
        QCOMPARE(f.indexed, size_t(2));
        QVERIFY(f.sameAsScan && f.prepared);

        // Another program changes an entry: the stored lists are dropped, not trusted.
        QVERIFY(test::sqliteExec(file, "UPDATE Main_Data SET Data = 'steep' WHERE Data = 'beam'"));
        f = find(QStringLiteral("%stee%"));
        QCOMPARE(f.indexed, size_t(3));
        QVERIFY(f.sameAsScan && !f.prepared);

        // An import prepares them again.
        store::importEntries(dir.path(), {{QStringLiteral("steer"), QStringLiteral("x"), 1, 0}});
        f = find(QStringLiteral("%stee%"));
        QCOMPARE(f.indexed, size_t(4));
        QVERIFY(f.sameAsScan && f.prepared);

        // Any other change through the engine drops them too.
        for (const char* change : {"INSERT INTO Main_Data (Data, Meaning, Type, Qty) VALUES "
                                   "('steel wire', 'x', 1, 0)",
                                   "DELETE FROM Main_Data WHERE Data = 'steel wire'"}) {
            store::importEntries(dir.path(), {});
            QVERIFY(test::sqliteExec(file, change));
            f = find(QStringLiteral("%stee%"));
            QVERIFY2(f.sameAsScan && !f.prepared, change);
        }

        // Damaged pieces are not used, nor is an index whose table was replaced: the lists are
        // built from the table instead.
        const QByteArray recreate =
            "DROP TABLE Main_Data; " + schema::mainData().createStatement().toUtf8() +
            "; INSERT INTO Main_Data (Data, Meaning, Type, Qty) VALUES ('beam', 'x', 1, 0), "
            "('steel', 'x', 1, 0), ('steep', 'x', 1, 0), ('steer', 'x', 1, 0), "
            "('steel beam', 'x', 1, 0)";
        for (const char* damage :
             {recreate.constData(),
              "UPDATE Main_Data_Search SET Bytes = substr(Bytes, 1, 12) || zeroblob(4) || "
              "substr(Bytes, 17) WHERE Name = 'header'",
              "UPDATE Main_Data_Search SET Bytes = substr(Bytes, 1, 19) || CASE WHEN "
              "substr(Bytes, 20, 1) = x'FF' THEN x'00' ELSE x'FF' END || substr(Bytes, 21) "
              "WHERE Name = 'Data.lists'",
              "UPDATE Main_Data_Search SET Bytes = substr(Bytes, 1, length(Bytes) / 2) "
              "WHERE Name = 'Data.lists'",
              "UPDATE Main_Data_Search SET Bytes = zeroblob(length(Bytes)) WHERE Name = "
              "'Meaning.starts'",
              "UPDATE Main_Data_Search SET Bytes = randomblob(length(Bytes)) WHERE Name = "
              "'Data.keys'",
              "DELETE FROM Main_Data_Search WHERE Name = 'ids'"}) {
            store::importEntries(dir.path(), {});
            QVERIFY(test::sqliteExec(file, damage));
            f = find(QStringLiteral("%stee%"));
            QCOMPARE(f.indexed, size_t(4));
            QVERIFY2(f.sameAsScan && !f.prepared, damage);
        }
    }

    void anEmptyDictionaryIsSearchedToo() {
        test::TempDataDir dir;
        for (int round = 0; round < 2; ++round) {
            if (round == 1)
                store::importEntries(dir.path(), {});  // prepares the lists of no entry
            Database db(dir.path());
            DictionaryIndex index;
            index.load(db);
            QCOMPARE(index.preparedIndexUsed(), round == 1);
            QCOMPARE(index.size(), size_t(0));
            for (const QString& where : modes())
                QVERIFY(index
                            .select(statementFor(where),
                                    {{QStringLiteral(":p"), QStringLiteral("%a%")}})
                            .empty());
            QVERIFY(index
                        .select(SqlStatement::parse(
                                    {QStringLiteral("Select * From Main_data Where Type = 1")}),
                                {})
                        .empty());
        }
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "test_search.moc"
