// The data layer: alias files, the table files and their failures, tables, the statement dialect,
// matching and dictionary order.
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QtTest>

#include "data/AliasResolver.h"
#include "data/BitSet.h"
#include "data/DataError.h"
#include "data/Database.h"
#include "data/DictionaryFile.h"
#include "data/DictionaryIndex.h"
#include "data/DictionaryOrder.h"
#include "data/DictionaryStore.h"
#include "data/FoldedText.h"
#include "data/IniFile.h"
#include "data/LikePattern.h"
#include "data/ResultQuery.h"
#include "data/Schema.h"
#include "data/SqlStatement.h"
#include "data/Table.h"
#include "tests/TestSupport.h"

using namespace lex;

namespace {

bool likeMatches(const QString& pattern, const QString& text) {
    return LikePattern(pattern).matches(folded::encode(text));
}

QStringList headwords(ResultQuery& q) {
    QStringList out;
    for (int r = 0; r < q.recordCount(); ++r)
        out << q.rowAt(r).data;
    return out;
}

}  // namespace

class TestData : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void iniKeepsSectionNamesAndOtherLines() {
        IniFile ini = IniFile::fromText(
            QStringLiteral("; aliases\n[Other]\nPath=/x\n\n[Ruv Idez]\n  Path = /data/dir  \n"));
        QCOMPARE(ini.value(QStringLiteral("Ruv Idez"), QStringLiteral("Path")),
                 QStringLiteral("/data/dir"));
        QCOMPARE(ini.value(QStringLiteral("Other"), QStringLiteral("Path")), QStringLiteral("/x"));
        QVERIFY(!ini.contains(QStringLiteral("Ruv"), QStringLiteral("Path")));
        ini.setValue(QStringLiteral("Ruv Idez"), QStringLiteral("Path"), QStringLiteral("/new"));
        ini.setValue(QStringLiteral("Third"), QStringLiteral("Key"), QStringLiteral("v"));
        const QString text = ini.toText();
        QVERIFY(text.contains(QStringLiteral("; aliases\n[Other]\nPath=/x\n")));
        QVERIFY(text.contains(QStringLiteral("[Ruv Idez]\nPath=/new\n")));
        QVERIFY(text.contains(QStringLiteral("[Third]\nKey=v\n")));
    }

    void aliasIsDefinedAndResolved() {
        QFile::remove(alias::userAliasFile());
        QVERIFY(alias::resolve().isEmpty());
        QVERIFY_THROWS_EXCEPTION(DataError, Database::aliasDirectory());
        QTemporaryDir dir;
        QString error;
        QVERIFY(alias::define(QStringLiteral("Ruv Idez"), dir.path(), &error));
        QCOMPARE(alias::resolve(), QDir(dir.path()).absolutePath());
        QFile::remove(alias::userAliasFile());
    }

    void openingFailsForEveryDamagedDirectory_data() {
        QTest::addColumn<QString>("damage");
        QTest::newRow("directory missing") << "nodir";
        QTest::newRow("dictionary file missing") << "rm Main_Data.DB";
        QTest::newRow("history file missing") << "rm Lastest_Search.db";
        QTest::newRow("not a database") << "garbage Setting.db";
        QTest::newRow("table missing") << "drop Choose_Data.db";
        QTest::newRow("field missing") << "field Lastest_Search.db";
    }
    void openingFailsForEveryDamagedDirectory() {
        QFETCH(QString, damage);
        test::TempDataDir dir(test::sampleEntries());
        QString path = dir.path();
        const QString file = dir.file(damage.section(u' ', 1));
        if (damage == QLatin1String("nodir")) {
            path += QStringLiteral("/missing");
        } else if (damage.startsWith(QLatin1String("rm"))) {
            QVERIFY(QFile::remove(file));
        } else if (damage.startsWith(QLatin1String("garbage"))) {
            QFile::remove(file);
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        } else if (damage.startsWith(QLatin1String("drop"))) {
            QVERIFY(test::sqliteExec(file, "DROP TABLE Choose_Data"));
        } else if (damage.startsWith(QLatin1String("field"))) {
            QVERIFY(test::sqliteExec(
                file, "DROP TABLE Lastest_Search; CREATE TABLE Lastest_Search (ID INTEGER)"));
        }
        QVERIFY_THROWS_EXCEPTION(DataError, Database db(path));
        // Nothing was created in its place.
        if (damage.startsWith(QLatin1String("rm")))
            QVERIFY(!QFile::exists(file));
    }

    void lockedTableFailsToOpen() {
        test::TempDataDir dir(test::sampleEntries());
        sqlite3* holder = nullptr;
        QCOMPARE(sqlite3_open(dir.file(QStringLiteral("Setting.db")).toUtf8().constData(), &holder),
                 SQLITE_OK);
        QCOMPARE(sqlite3_exec(holder,
                              "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; "
                              "INSERT INTO Setting (MaxShow) VALUES (1);",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        QVERIFY_THROWS_EXCEPTION(DataError, Database db(dir.path(), 100));
        sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(holder);
        Database reopened(dir.path(), 100);
    }

    void dictionaryIsReadOnlyAndUserTablesWritable() {
        test::TempDataDir dir(test::sampleEntries());
        Database db(dir.path());
        Table main(db, schema::mainData());
        main.open();
        QVERIFY_THROWS_EXCEPTION(DataError, main.append());
        QSqlQuery q(db.connection());
        QVERIFY(!q.exec(QStringLiteral("DELETE FROM Main_Data")));
        QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM Main_Data")) && q.next());
        QCOMPARE(q.value(0).toInt(), int(test::sampleEntries().size()));
    }

    void twoCopiesOnOneDirectoryKeepEachOthersRows() {
        test::TempDataDir dir(test::sampleEntries());
        Database first(dir.path()), second(dir.path());
        Table a(first, schema::lastestSearch()), b(second, schema::lastestSearch());
        a.open();
        b.open();
        for (int i = 0; i < 20; ++i) {
            Table& t = i % 2 ? b : a;
            t.append();
            t.setField(QStringLiteral("Text"), QStringLiteral("text %1").arg(i));
            t.post();
        }
        QCOMPARE(a.recordCount(), 20);
        QCOMPARE(b.recordCount(), 20);
        QStringList expected;
        for (int i = 19; i >= 0; --i)
            expected << QStringLiteral("text %1").arg(i);
        QStringList seen;
        for (const QVariant& v : a.columnValues(QStringLiteral("Text"), true))
            seen << v.toString();
        QCOMPARE(seen, expected);
    }

    void historyRowsRequireTextAndAreCutTo255() {
        test::TempDataDir dir;
        Database db(dir.path());
        Table history(db, schema::lastestSearch());
        history.open();
        QVERIFY(history.isEmpty());
        history.append();
        try {
            history.post();
            QFAIL("an empty Text was posted");
        } catch (const DataError& e) {
            QCOMPARE(e.message(), QStringLiteral("Field 'Text' must have a value"));
        }
        QCOMPARE(history.state(), Table::State::Insert);
        history.setField(QStringLiteral("Text"), QString(300, u'ก'));
        history.post();
        QCOMPARE(history.fieldText(QStringLiteral("Text")), QString(255, u'ก'));
        QCOMPARE(history.recordCount(), 1);
    }

    void chosenRowsResolveTheirLookupFields() {
        test::TempDataDir dir(test::sampleEntries());
        Database db(dir.path());
        Table chosen(db, schema::chooseData());
        chosen.open();
        chosen.append();
        try {
            chosen.post();
            QFAIL("an empty Data_ID was posted");
        } catch (const DataError& e) {
            QCOMPARE(e.message(), QStringLiteral("Field 'Data_ID' must have a value"));
        }
        chosen.setField(QStringLiteral("Data_ID"), 3.0);
        chosen.post();
        chosen.append();
        chosen.setField(QStringLiteral("Data_ID"), 3.0);
        chosen.post();
        chosen.append();
        chosen.setField(QStringLiteral("Data_ID"), 9999.0);  // no such entry
        chosen.post();
        QCOMPARE(chosen.recordCount(), 3);
        chosen.first();
        QCOMPARE(chosen.fieldText(QStringLiteral("Data")), QStringLiteral("column"));
        QCOMPARE(chosen.fieldText(QStringLiteral("Meaning")), QStringLiteral("เสา"));
        chosen.next();
        QCOMPARE(chosen.fieldText(QStringLiteral("Data")), QStringLiteral("column"));
        chosen.last();
        QCOMPARE(chosen.fieldText(QStringLiteral("Data")), QString());
        // Deleting the last row makes the new last row current; keys are never reused.
        chosen.deleteRow();
        QCOMPARE(chosen.fieldInt(QStringLiteral("ID")), 2);
        chosen.append();
        chosen.setField(QStringLiteral("Data_ID"), 1.0);
        chosen.post();
        QCOMPARE(chosen.fieldInt(QStringLiteral("ID")), 4);
        QVERIFY(chosen.locate(QStringLiteral("Data_ID"), 1.0));
        QCOMPARE(chosen.fieldText(QStringLiteral("Data")), QStringLiteral("beam"));
        QVERIFY(!chosen.locate(QStringLiteral("Data_ID"), 77.0));
        chosen.first();
        chosen.prior();
        QVERIFY(chosen.bof());
        QCOMPARE(chosen.fieldInt(QStringLiteral("ID")), 1);
    }

    void statementsParseInTheDialect() {
        const SqlStatement st = SqlStatement::parse(
            {QStringLiteral("Select * From Main_data"),
             QStringLiteral("Where (Data LIKE \"%be\"\"am%\"  "),
             QStringLiteral("OR Meaning LIKE :pattern  "), QStringLiteral(")Order by Data")});
        QCOMPARE(st.table, QStringLiteral("Main_data"));
        QVERIFY(st.hasWhere);
        QCOMPARE(st.where.kind, SqlCondition::Kind::Or);
        QCOMPARE(st.where.children.size(), size_t(2));
        QCOMPARE(st.where.children[0].literal.toString(), QStringLiteral("%be\"am%"));
        QCOMPARE(st.where.children[1].parameter, QStringLiteral(":pattern"));
        QCOMPARE(st.orderBy, QStringLiteral("Data"));
        const SqlStatement top = SqlStatement::parse(
            {QStringLiteral("Select * From Main_Data Where Qty > 0  Order by Qty DESC")});
        QCOMPARE(top.where.op, SqlCondition::Op::Greater);
        QVERIFY(top.descending);
        for (const char* bad : {"Select * From", "Select Data From Main_Data",
                                "Select * From Main_Data Where (Data LIKE \"x\"",
                                "Select * From Main_Data Where Data LIKE \"x\"; DROP TABLE x"})
            QVERIFY_THROWS_EXCEPTION(DataError, SqlStatement::parse({QString::fromUtf8(bad)}));
    }

    void likeMatchingFoldsEnglishAndKeepsThaiExact() {
        QVERIFY(likeMatches(QStringLiteral("%BEAM%"), QStringLiteral("Steel beam")));
        QVERIFY(likeMatches(QStringLiteral("b_am"), QStringLiteral("BEAM")));
        QVERIFY(!likeMatches(QStringLiteral("b_am"), QStringLiteral("bream")));
        QVERIFY(likeMatches(QStringLiteral("%st%l%"), QStringLiteral("stainless steel")));
        QVERIFY(!likeMatches(QStringLiteral("st%l"), QStringLiteral("steel beam")));
        QVERIFY(likeMatches(QStringLiteral("%É%"), QStringLiteral("café")));
        QVERIFY(likeMatches(QStringLiteral("caf_"), QStringLiteral("café")));
        QVERIFY(likeMatches(QStringLiteral("_าน"), QStringLiteral("คาน")));
        // A tone mark is part of the text: ค่า is not คา.
        QVERIFY(!likeMatches(QStringLiteral("%คา%"), QStringLiteral("ค่า")));
        QVERIFY(likeMatches(QStringLiteral("%ค่า%"), QStringLiteral("ค่าคงที่")));
        // NFC: sara am typed as nikhahit + sara aa matches the composed form.
        QVERIFY(likeMatches(QStringLiteral("%น\u0E4D\u0E32%"), QStringLiteral("น้ำ")) ==
                likeMatches(QStringLiteral("%น\u0E33%"), QStringLiteral("น้ำ")));
        // Quotes and brackets are ordinary characters.
        QVERIFY(likeMatches(QStringLiteral("%\"); drop%"), QStringLiteral("a \"); DROP b")));
        // An empty text holds no value and matches nothing, not even "%".
        QVERIFY(!likeMatches(QStringLiteral("%%"), QString()));
        QVERIFY(likeMatches(QStringLiteral("%%"), QStringLiteral("x")));
    }

    void scanFindsEachMatchingEntryOnce() {
        std::string buffer;
        std::vector<uint32_t> starts{0};
        for (const char* t : {"beam", "", "beam beam", "ก", "\xC3\xA9t\xC3\xA9", "steel"}) {
            folded::appendUtf8(buffer, t);
            buffer.push_back('\0');
            starts.push_back(uint32_t(buffer.size()));
        }
        BitSet hits(starts.size() - 1);
        LikePattern(QStringLiteral("%beam%")).scan(buffer, starts, hits);
        QCOMPARE(hits.indices(), (std::vector<uint32_t>{0, 2}));
        BitSet all(starts.size() - 1);
        LikePattern(QStringLiteral("%%")).scan(buffer, starts, all);
        QCOMPARE(all.indices(), (std::vector<uint32_t>{0, 2, 3, 4, 5}));
        BitSet accented(starts.size() - 1);
        LikePattern(QStringLiteral("_T_")).scan(buffer, starts, accented);
        QCOMPARE(accented.indices(), (std::vector<uint32_t>{4}));
    }

    void dictionaryOrderPlacesThaiByConsonantAndIgnoresCase() {
        const QStringList words{QStringLiteral("ไข"),     QStringLiteral("ขา"),
                                QStringLiteral("เก"),     QStringLiteral("กา"),
                                QStringLiteral("cherry"), QStringLiteral("Banana"),
                                QStringLiteral("apple")};
        std::vector<Headword> input;
        for (int i = 0; i < words.size(); ++i)
            input.push_back({i + 1, words[i]});
        QStringList sorted;
        for (int32_t id : dictionaryOrder(input))
            sorted << words[id - 1];
        QCOMPARE(sorted,
                 (QStringList{QStringLiteral("apple"), QStringLiteral("Banana"),
                              QStringLiteral("cherry"), QStringLiteral("กา"), QStringLiteral("เก"),
                              QStringLiteral("ขา"), QStringLiteral("ไข")}));
        // Equal headwords keep the order of their IDs.
        QCOMPARE(dictionaryOrder({{7, QStringLiteral("beam")}, {3, QStringLiteral("BEAM")}}),
                 (std::vector<int32_t>{3, 7}));
    }

    void queriesRunInDictionaryOrder() {
        test::TempDataDir dir(test::sampleEntries());
        Database db(dir.path());
        DictionaryIndex index;
        index.load(db);
        QVERIFY(index.preparedOrderUsed());
        ResultQuery q(db, index);
        q.setSql({QStringLiteral("Select * From Main_data"),
                  QStringLiteral("Where (Data LIKE :p  "), QStringLiteral(")Order by Data")});
        q.bindValue(QStringLiteral(":p"), QStringLiteral("%e%"));
        q.open();
        QCOMPARE(headwords(q), (QStringList{QStringLiteral("another odd"), QStringLiteral("beam"),
                                            QStringLiteral("girder"), QStringLiteral("odd entry"),
                                            QStringLiteral("Steel"), QStringLiteral("steel beam"),
                                            QStringLiteral("stress")}));
        QCOMPARE(q.currentRow(), 0);
        q.close();
        QVERIFY(!q.isOpen());
        QCOMPARE(q.recordCount(), 0);

        q.setSql({QStringLiteral("Select * From Main_Data Where Qty > 0  Order by Qty DESC")});
        q.open();
        QCOMPARE(headwords(q), QStringList{QStringLiteral("stress")});
        q.close();
        q.setSql({QStringLiteral("select * from MAIN_DATA where type = 4")});
        q.open();
        QCOMPARE(headwords(q), (QStringList{QStringLiteral("เสาเข็ม"), QStringLiteral("ไข")}));
        q.close();
        q.setSql({QStringLiteral("Select * From Choose_Data")});
        QVERIFY_THROWS_EXCEPTION(DataError, q.open());
        QVERIFY(!q.isOpen());
    }

    void staleOrderIsComputedAgain() {
        test::TempDataDir dir(test::sampleEntries());
        QVERIFY(test::sqliteExec(
            dir.file(QStringLiteral("Main_Data.DB")),
            "DELETE FROM Main_Data_Order WHERE Rank < 3; "
            "INSERT INTO Main_Data (Data, Meaning, Type, Qty) VALUES ('aardvark', 'x', 1, 0)"));
        Database db(dir.path());
        DictionaryIndex index;
        index.load(db);
        QVERIFY(!index.preparedOrderUsed());
        ResultQuery q(db, index);
        q.setSql({QStringLiteral("Select * From Main_data Where Type = 1 Order by Data")});
        q.open();
        QCOMPARE(headwords(q).first(), QStringLiteral("aardvark"));
        QCOMPARE(q.recordCount(), 6);
    }

    void dictionaryFilesParseOrReportTheirLine() {
        const DictionaryParseResult ok = parseDictionary(
            "# comment\n\nbeam\t\xE0\xB8\x84\xE0\xB8\xB2\xE0\xB8\x99\t1\r\ncolumn\tpost\t3\t7\n");
        QVERIFY(ok.ok());
        QCOMPARE(ok.entries.size(), size_t(2));
        QCOMPARE(ok.entries[0].meaning, QStringLiteral("คาน"));
        QCOMPARE(ok.entries[0].qty, 0);
        QCOMPARE(ok.entries[1].qty, 7);
        const struct {
            QByteArray text;
            int line;
        } bad[] = {{"a\tb\t1\nno tabs here\n", 2},
                   {"a\tb\tx\n", 1},
                   {"a\tb\t1\t2\t3\n", 1},
                   {"#\n\tb\t1\n", 2},
                   {"a\t\xFF\xFE\t1\n", 1},
                   {"a\tb\t1\t-4\n", 1},
                   {"a\t" + QByteArray(256, 'm') + "\t1\n", 1}};
        for (const auto& b : bad) {
            const DictionaryParseResult r = parseDictionary(b.text);
            QVERIFY2(!r.ok(), b.text.constData());
            QCOMPARE(r.errorLine, b.line);
            QVERIFY(r.entries.empty());
        }
        QString error;
        QVERIFY(formatDictionaryLine({QStringLiteral("a\tb"), QString(), 1, 0}, &error).isEmpty());
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestData)
#include "test_data.moc"
