// The data tool: every command, its help, and its failures with their exit codes.
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include "cli/DictTool.h"
#include "data/AliasResolver.h"
#include "data/DictionaryStore.h"

using namespace lex;

namespace {

struct Run {
    int code;
    QString out;
    QString err;
};

Run tool(const QStringList& args, bool showProgress = false) {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int code = runDictTool(args, o, e, showProgress);
    o.flush();
    e.flush();
    return {code, out, err};
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return path;
}

}  // namespace

class TestCli : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void initImportExportRoundTrip() {
        QTemporaryDir tmp;
        const QString data = tmp.filePath(QStringLiteral("data"));
        QCOMPARE(tool({"init", data}).code, 0);
        for (const char* f : {"Main_Data.DB", "Choose_Data.db", "Lastest_Search.db", "Setting.db"})
            QVERIFY(QFile::exists(QDir(data).filePath(QString::fromLatin1(f))));
        // A second init would overwrite the user's tables: refused.
        const Run again = tool({"init", data});
        QCOMPARE(again.code, 1);
        QVERIFY(again.err.contains(QStringLiteral("already exists")));

        const QByteArray source =
            "# starter\nbeam\t\xE0\xB8\x84\xE0\xB8\xB2\xE0\xB8\x99\t1\t0\n"
            "\xE0\xB8\x84\xE0\xB8\xB2\xE0\xB8\x99\tbeam\t2\t4\n";
        const Run imported = tool({"import", data, writeFile(tmp, "a.tsv", source)});
        QCOMPARE(imported.code, 0);
        QVERIFY(imported.out.contains(QStringLiteral("Imported 2 entries")));
        const QString exported = tmp.filePath(QStringLiteral("out.tsv"));
        QCOMPARE(tool({"export", data, exported}).code, 0);
        QFile f(exported);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), source.mid(source.indexOf('\n') + 1));
        const Run stats = tool({"stats", data});
        QCOMPARE(stats.code, 0);
        QVERIFY(stats.out.contains(QStringLiteral("code 1 (English to Thai): 1")));
        QVERIFY(stats.out.contains(QStringLiteral("total: 2")));
    }

    void malformedFileImportsNothing() {
        QTemporaryDir tmp;
        const QString data = tmp.filePath(QStringLiteral("data"));
        tool({"init", data});
        const Run r =
            tool({"import", data, writeFile(tmp, "bad.tsv", "good\tline\t1\n#c\nbad line\t1\n")});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("line 3")), qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("Nothing of")));
        QCOMPARE(store::exportEntries(data).size(), size_t(0));
    }

    void failuresAreClearAndNonZero() {
        QTemporaryDir tmp;
        const Run noDir = tool(
            {"import", tmp.filePath(QStringLiteral("none")), writeFile(tmp, "a.tsv", "a\tb\t1\n")});
        QCOMPARE(noDir.code, 1);
        QVERIFY(noDir.err.contains(QStringLiteral("init")));
        QCOMPARE(tool({"import", tmp.path(), tmp.filePath(QStringLiteral("missing.tsv"))}).code, 1);
        QCOMPARE(tool({"export", tmp.path(), tmp.filePath(QStringLiteral("x.tsv"))}).code, 1);
        QCOMPARE(tool({"alias", tmp.filePath(QStringLiteral("none"))}).code, 1);
        QCOMPARE(tool({"init"}).code, 2);
        QCOMPARE(tool({"frobnicate"}).code, 2);
        QCOMPARE(tool({}).code, 2);
    }

    void everyCommandHasHelp() {
        for (const char* c : {"init", "import", "export", "alias", "stats", "show-alias"}) {
            const Run r = tool({QString::fromLatin1(c), "--help"});
            QCOMPARE(r.code, 0);
            QVERIFY(r.out.startsWith(QStringLiteral("Usage: lexivore-dict ") + QLatin1String(c)));
        }
        QCOMPARE(tool({"--help"}).code, 0);
    }

    void versionIsTheProjects() {
        const Run r = tool({"--version"});
        QCOMPARE(r.code, 0);
        QVERIFY2(QRegularExpression(QStringLiteral("^lexivore-dict \\d+(\\.\\d+)+\n$"))
                     .match(r.out)
                     .hasMatch(),
                 qPrintable(r.out));
        QVERIFY(r.err.isEmpty());
    }

    // A long file tells how far it is, when asked (standard error is a terminal); it is read in
    // parts then, which must give exactly what reading it whole gives.
    void longImportShowsItsProgress() {
        QTemporaryDir tmp;
        QByteArray source = "\xEF\xBB\xBF# a long file\n";
        for (int i = 2; i <= 6000; ++i) {
            source += "word" + QByteArray::number(i) + "\tmeaning\t1\t" +
                      QByteArray::number(i % 7) + (i % 2 ? "\r\n" : "\n");
        }
        const QString file = writeFile(tmp, "long.tsv", source);
        const QString shown = tmp.filePath(QStringLiteral("shown")),
                      quiet = tmp.filePath(QStringLiteral("quiet"));
        tool({"init", shown});
        tool({"init", quiet});
        const Run withProgress = tool({"import", shown, file}, true);
        QCOMPARE(withProgress.code, 0);
        QVERIFY2(withProgress.err.contains(QStringLiteral("read 6000 of 6000 lines")),
                 qPrintable(withProgress.err));
        QVERIFY(withProgress.err.contains(QStringLiteral("stored 5999 of 5999 entries")));
        QVERIFY(withProgress.err.endsWith(QStringLiteral("\r\x1b[K")));  // the line is cleared
        QVERIFY(withProgress.out.contains(QStringLiteral("Imported 5999 entries")));
        const Run without = tool({"import", quiet, file});
        QCOMPARE(without.code, 0);
        QCOMPARE(without.err, QString());
        const std::vector<DictionaryEntry> a = store::exportEntries(shown),
                                           b = store::exportEntries(quiet);
        QCOMPARE(a.size(), size_t(5999));
        QCOMPARE(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i)
            QVERIFY(a[i].headword == b[i].headword && a[i].qty == b[i].qty);

        // A malformed line far down is reported with its own number, and nothing is imported.
        QByteArray bad = source;
        bad += "no tabs here\n";
        const Run failed = tool({"import", shown, writeFile(tmp, "bad.tsv", bad)}, true);
        QCOMPARE(failed.code, 1);
        QVERIFY2(failed.err.contains(QStringLiteral("line 6001: expected 3 or 4 fields")),
                 qPrintable(failed.err));
        QCOMPARE(store::exportEntries(shown).size(), size_t(5999));

        // A short file is done before anyone looks: no progress.
        const Run shortFile = tool({"import", quiet, writeFile(tmp, "s.tsv", "a\tb\t1\n")}, true);
        QCOMPARE(shortFile.code, 0);
        QCOMPARE(shortFile.err, QString());
    }

    void longBuildDefaultShowsItsProgress() {
        QTemporaryDir tmp;
        QByteArray source;
        for (int i = 1; i <= 6000; ++i)
            source += "term" + QByteArray::number(i) + "\t\xE0\xB8\x84\xE0\xB8\xB2\xE0\xB8\x99" +
                      QByteArray::number(i) + "\t1\n";
        writeFile(tmp, "starter.tsv", source);
        const QString data = tmp.filePath(QStringLiteral("data"));
        tool({"init", data});
        const QStringList args{"build-default", data,
                               "--sources",     tmp.path(),
                               "--wordnet",     tmp.filePath(QStringLiteral("no-wordnet"))};
        const Run shown = tool(args, true);
        QCOMPARE(shown.code, 0);
        QVERIFY2(shown.err.contains(QStringLiteral("reading 1 dictionary files (6000 lines)")),
                 qPrintable(shown.err));
        const QRegularExpressionMatch stored =
            QRegularExpression(QStringLiteral("stored (\\d+) of \\1 entries")).match(shown.err);
        QVERIFY2(stored.hasMatch() && stored.captured(1).toInt() >= 6000, qPrintable(shown.err));
        QVERIFY(shown.err.endsWith(QStringLiteral("\r\x1b[K")));

        // Not on a terminal, or a short source: nothing but the result.
        const QString other = tmp.filePath(QStringLiteral("other"));
        tool({"init", other});
        QStringList quietArgs = args;
        quietArgs[1] = other;
        const Run quiet = tool(quietArgs);
        QCOMPARE(quiet.code, 0);
        QCOMPARE(quiet.err, QString());
        QTemporaryDir small;
        writeFile(small, "starter.tsv", "beam\t\xE0\xB8\x84\xE0\xB8\xB2\xE0\xB8\x99\t1\n");
        const QString third = tmp.filePath(QStringLiteral("third"));
        tool({"init", third});
        const Run shortSource = tool({"build-default", third, "--sources", small.path(),
                                      "--wordnet", tmp.filePath(QStringLiteral("no-wordnet"))},
                                     true);
        QCOMPARE(shortSource.code, 0);
        QCOMPARE(shortSource.err, QString());
    }

    // Without an alias the user learns where it was looked for and how to define it.
    void undefinedAliasSaysWhereItIsLookedFor() {
        QFile::remove(alias::userAliasFile());
        const Run missing = tool({"show-alias"});
        QCOMPARE(missing.code, 1);
        QVERIFY2(missing.err.contains(alias::userAliasFile() + QStringLiteral(" (the user's, no "
                                                                              "such file)")),
                 qPrintable(missing.err));
        for (const QString& file : alias::aliasFiles())
            QVERIFY2(missing.err.contains(file), qPrintable(file));
        QVERIFY(missing.err.contains(QStringLiteral("lexivore-dict alias DIR")));
        QVERIFY(!missing.err.contains(QStringLiteral("it is defined in")));

        QDir().mkpath(QFileInfo(alias::userAliasFile()).absolutePath());
        QFile f(alias::userAliasFile());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Other]\nPath=/tmp\n");
        f.close();
        const Run other = tool({"show-alias"});
        QCOMPARE(other.code, 1);
        QVERIFY2(
            other.err.contains(QStringLiteral("(the user's, no [Ruv Idez] section with a Path)")),
            qPrintable(other.err));
        QFile::remove(alias::userAliasFile());
    }

    void aliasIsWrittenAndShown() {
        QFile::remove(alias::userAliasFile());
        QCOMPARE(tool({"show-alias"}).code, 1);
        QTemporaryDir tmp;
        QCOMPARE(tool({"alias", tmp.path()}).code, 0);
        const Run shown = tool({"show-alias"});
        QCOMPARE(shown.code, 0);
        QCOMPARE(shown.out.trimmed(), QDir(tmp.path()).absolutePath());
        QFile::remove(alias::userAliasFile());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
