// The prepared-page store: the byte stream that moves from memory to a temporary file, the page
// records and their walks, the saved-report file, and files that are not saved reports.
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <QtTest>
#include <atomic>
#include <bit>
#include <cstring>
#include <memory>

#include "report/PageList.h"
#include "report/PageStream.h"
#include "report/ReportError.h"

using namespace lex;

namespace {

// A picture with a valid EMF header record (type 1, 88 bytes, nBytes = size) and a payload that
// differs from page to page, so a picture read from the wrong place shows.
QByteArray fakeEmf(int size, int seed) {
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 31 + seed * 7) & 0xff);
    std::memset(b.data(), 0, 88);
    qToLittleEndian<quint32>(1, b.data());
    qToLittleEndian<quint32>(88, b.data() + 4);
    qToLittleEndian<quint32>(quint32(size), b.data() + 48);
    return b;
}

qint32 int32At(const QByteArray& bytes, qint64 offset) {
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

void setInt32(QByteArray& bytes, qint64 offset, qint32 value) {
    qToLittleEndian<qint32>(value, bytes.data() + offset);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Overwrites four bytes of a file in place, as another program could while it is open.
void patchFile(const QString& path, qint64 offset, qint32 value) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(offset));
    char b[4];
    qToLittleEndian<qint32>(value, b);
    QCOMPARE(f.write(b, 4), 4);
}

// The offsets of the records for pictures of the given sizes, as the file layout puts them.
QList<qint64> recordStarts(const QList<int>& sizes) {
    QList<qint64> starts;
    qint64 pos = 128;
    for (int s : sizes) {
        starts << pos;
        pos += 12 + s;
    }
    starts << pos;  // the end of the file
    return starts;
}

// A finished report with pages of the given sizes, saved to `path`.
void saveReport(const QList<int>& sizes, const QString& path) {
    TPageList list;
    for (int i = 0; i < sizes.size(); ++i)
        list.addPage(fakeEmf(sizes[i], i + 1));
    list.finish();
    list.saveToFile(path);
}

}  // namespace

class TestPageStore : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(dir_.isValid());
    }

    void emfSizeReadsTheHeaderRecord() {
        QCOMPARE(emfSize(fakeEmf(300, 1)), 300);
        QCOMPARE(emfSize(fakeEmf(300, 1).left(52)), 300);  // the header's start is enough
        QCOMPARE(emfSize(fakeEmf(300, 1).left(51)), -1);
        QByteArray notHeader = fakeEmf(300, 1);
        qToLittleEndian<quint32>(2, notHeader.data());
        QCOMPARE(emfSize(notHeader), -1);
        QByteArray tooSmall = fakeEmf(300, 1);
        qToLittleEndian<quint32>(40, tooSmall.data() + 48);
        QCOMPARE(emfSize(tooSmall), -1);

        TPageList list;
        QVERIFY_THROWS_EXCEPTION(ReportError, list.addPage(QByteArray("not a picture")));
        // A picture whose header disagrees with its length would make an unreadable record.
        QVERIFY_THROWS_EXCEPTION(ReportError, list.addPage(fakeEmf(300, 1).left(200)));
        QCOMPARE(list.pageCount(), 0);
        QCOMPARE(list.stream().size(), 0);
    }

    void onePageReportLayout() {
        const QByteArray picture = fakeEmf(200, 1);
        TPageList list;
        list.addPage(picture);
        list.finish();
        const QString file = path("one.prp");
        list.saveToFile(file);
        const QByteArray bytes = readFile(file);

        QCOMPARE(bytes.size(), 128 + 4 + 4 + 200 + 4);
        QCOMPARE(qFromLittleEndian<quint16>(bytes.constData()), 3);
        QCOMPARE(qFromLittleEndian<quint16>(bytes.constData() + 2), 305);
        QCOMPARE(int32At(bytes, 8), 1);
        QCOMPARE(int(bytes[25]), 0);
        const double written =
            std::bit_cast<double>(qFromLittleEndian<quint64>(bytes.constData() + 16));
        const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0));
        const double now = epoch.msecsTo(QDateTime::currentDateTime()) / 86400000.0;
        QVERIFY2(qAbs(written - now) < 0.1, qPrintable(QString::number(written, 'f', 6)));

        QCOMPARE(int32At(bytes, 128), 1);                 // page number
        QCOMPARE(int32At(bytes, 132), bytes.size());      // the next record: the end of the file
        QCOMPARE(bytes.mid(136, 200), picture);           // the picture as it was given
        QCOMPARE(int32At(bytes, bytes.size() - 4), 128);  // the record's own start
    }

    void finishWritesTheFinalCount() {
        TPageList list;
        for (int i = 1; i <= 3; ++i)
            list.addPage(fakeEmf(100 + i, i));
        QCOMPARE(list.pageCount(), 3);
        const QString unfinished = path("unfinished.prp");
        list.saveToFile(unfinished);
        QCOMPARE(int32At(readFile(unfinished), 8), 1);  // written with the first page only
        list.finish();
        const QString finished = path("finished.prp");
        list.saveToFile(finished);
        QCOMPARE(int32At(readFile(finished), 8), 3);
        // Finishing leaves the records alone and reading goes on as before.
        QCOMPARE(readFile(finished).mid(128), readFile(unfinished).mid(128));
        QCOMPARE(list.readPage(2), fakeEmf(102, 2));
    }

    void streamMovesToATemporaryFileOnceOverTheLimit() {
        QString tempPath;
        {
            TPageStream stream;
            const QByteArray first(100000, 'a');
            stream.write(first);
            QVERIFY(!stream.isOnFile());  // at the limit, not over it
            QVERIFY(stream.temporaryPath().isEmpty());
            stream.seek(10);
            stream.write("b", 1);  // rewriting inside does not grow it
            QVERIFY(!stream.isOnFile());
            stream.seek(100000);
            stream.write("c", 1);
            QVERIFY(stream.isOnFile());
            tempPath = stream.temporaryPath();
            const QFileInfo info(tempPath);
            QVERIFY(info.fileName().startsWith(QLatin1String("PRP")));
            QCOMPARE(info.absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
            QCOMPARE(info.size(), 100001);
            QCOMPARE(stream.size(), 100001);
            QCOMPARE(stream.position(), 100001);

            // What was held in memory came along, and reads and writes now go to the file.
            stream.seek(5);
            stream.write("XYZ", 3);
            stream.seek(0);
            QByteArray expected = first + 'c';
            expected[10] = 'b';
            expected.replace(5, 3, "XYZ");
            QCOMPARE(stream.read(200000), expected);
            QCOMPARE(readFile(tempPath), expected);
            stream.seek(100001);
            QVERIFY(stream.read(10).isEmpty());
        }
        QVERIFY(!QFile::exists(tempPath));
    }

    void readOnlyStream() {
        QVERIFY_THROWS_EXCEPTION(ReportError, TPageStream(path("missing.prp")));
        const QString file = path("plain.bin");
        writeFile(file, "0123456789");
        TPageStream stream(file);
        QVERIFY(stream.isReadOnly());
        QCOMPARE(stream.size(), 10);
        stream.seek(4);
        QCOMPARE(stream.read(3), QByteArray("456"));
        QCOMPARE(stream.position(), 7);
        QVERIFY_THROWS_EXCEPTION(ReportError, stream.write("x", 1));
        QCOMPARE(readFile(file), QByteArray("0123456789"));
    }

    void largeReportMovesToFileAndReadsBackUnchanged() {
        const QList<int> sizes{30000, 30000, 30000, 30000, 25000};
        auto list = std::make_unique<TPageList>();
        for (int i = 0; i < 3; ++i)
            list->addPage(fakeEmf(sizes[i], i + 1));
        QVERIFY(!list->stream().isOnFile());  // 90,164 bytes so far
        list->addPage(fakeEmf(sizes[3], 4));
        QVERIFY(list->stream().isOnFile());
        const QString tempPath = list->stream().temporaryPath();
        QVERIFY(QFileInfo(tempPath).fileName().startsWith(QLatin1String("PRP")));
        QVERIFY(QFile::exists(tempPath));
        list->addPage(fakeEmf(sizes[4], 5));
        list->finish();

        for (int n : {1, 2, 3, 4, 5, 3, 1, 5, 2})
            QCOMPARE(list->readPage(n), fakeEmf(sizes[n - 1], n));
        list->validate();
        QCOMPARE(QFileInfo(tempPath).size(), recordStarts(sizes).last());

        list.reset();  // the preview closes
        QVERIFY(!QFile::exists(tempPath));
    }

    void pagesAreFoundWalkingForwardAndBackward() {
        const QList<int> sizes{150, 260, 90 + 88, 333, 120, 410};
        const QList<qint64> starts = recordStarts(sizes);
        TPageList list;
        for (int i = 0; i < sizes.size(); ++i)
            list.addPage(fakeEmf(sizes[i], i + 1));

        QVERIFY(list.readPage(0).isEmpty());
        QVERIFY(list.readPage(-3).isEmpty());
        QVERIFY(list.readPage(7).isEmpty());

        // In order, each read leaves the stream at the next record, so the next read is one step.
        for (int n = 1; n <= 3; ++n) {
            QCOMPARE(list.readPage(n), fakeEmf(sizes[n - 1], n));
            QCOMPARE(list.stream().position(), starts[n]);
        }
        QCOMPARE(list.readPage(5), fakeEmf(sizes[4], 5));
        QCOMPARE(list.readPage(2), fakeEmf(sizes[1], 2));  // back from page 6's record
        QCOMPARE(list.readPage(4), fakeEmf(sizes[3], 4));  // forward from page 3's record
        QCOMPARE(list.readPage(6), fakeEmf(sizes[5], 6));
        QCOMPARE(list.stream().position(), starts.last());
        QCOMPARE(list.readPage(3), fakeEmf(sizes[2], 3));  // from the end: back from the last
        QCOMPARE(list.readPage(3), fakeEmf(sizes[2], 3));  // the same page twice

        // Pages added between reads: an add leaves the stream at its end.
        list.addPage(fakeEmf(500, 7));
        QCOMPARE(list.stream().position(), list.stream().size());
        QCOMPARE(list.readPage(4), fakeEmf(sizes[3], 4));
        list.addPage(fakeEmf(510, 8));
        QCOMPARE(list.readPage(7), fakeEmf(500, 7));
        QCOMPARE(list.readPage(8), fakeEmf(510, 8));
    }

    void readingWhileAnotherThreadAdds() {
        TPageList list;
        constexpr int pages = 120;  // about 180,000 bytes: the move to a file happens meanwhile
        std::atomic<bool> failed = false;
        std::unique_ptr<QThread> writer(QThread::create([&] {
            try {
                for (int i = 1; i <= pages; ++i)
                    list.addPage(fakeEmf(1000 + 10 * i, i));
            } catch (...) {
                failed = true;
            }
        }));
        writer->start();
        const auto joinWriter = qScopeGuard([&] { writer->wait(); });
        int checked = 0;
        QElapsedTimer timer;
        timer.start();
        while (!writer->isFinished() || checked < pages) {
            const int count = list.pageCount();
            if (count == 0)
                continue;
            const int n = 1 + (checked * 37) % count;
            QCOMPARE(list.readPage(n), fakeEmf(1000 + 10 * n, n));
            ++checked;
            QVERIFY(timer.elapsed() < 20000);
        }
        QVERIFY(writer->wait(20000));
        QVERIFY(!failed);
        QCOMPARE(list.pageCount(), pages);
        QVERIFY(list.stream().isOnFile());
        list.validate();
    }

    void savedReportLoadsAgain_data() {
        QTest::addColumn<QList<int>>("sizes");
        QTest::newRow("one small page") << QList<int>{100};
        QTest::newRow("several blocks, in memory") << QList<int>{4000, 9000, 7000, 12000};
        QTest::newRow("on a temporary file") << QList<int>{60000, 50000, 3000, 70000};
    }
    void savedReportLoadsAgain() {
        QFETCH(QList<int>, sizes);
        const QString file = path("saved.prp");
        writeFile(file, QByteArray(400000, 'z'));  // an older, longer file is replaced
        TPageList list;
        for (int i = 0; i < sizes.size(); ++i)
            list.addPage(fakeEmf(sizes[i], i + 1));
        list.finish();
        list.readPage(2 <= sizes.size() ? 2 : 1);
        list.saveToFile(file);
        QCOMPARE(QFileInfo(file).size(), list.stream().size());
        QCOMPARE(readFile(file).size(), recordStarts(sizes).last());
        // Saving does not disturb the walk: the next read in order still finds its page.
        QCOMPARE(list.readPage(sizes.size()), fakeEmf(sizes.last(), int(sizes.size())));

        TPageList loaded;
        loaded.addPage(fakeEmf(500, 99));
        loaded.loadFromFile(file);
        QCOMPARE(loaded.pageCount(), sizes.size());
        QVERIFY(loaded.stream().isReadOnly());
        for (int n = sizes.size(); n >= 1; --n)
            QCOMPARE(loaded.readPage(n), fakeEmf(sizes[n - 1], n));
        for (int n = 1; n <= sizes.size(); ++n)
            QCOMPARE(loaded.readPage(n), fakeEmf(sizes[n - 1], n));

        // A loaded report is read in place and never written.
        const QByteArray before = readFile(file);
        loaded.finish();
        QVERIFY_THROWS_EXCEPTION(ReportError, loaded.addPage(fakeEmf(100, 1)));
        QCOMPARE(readFile(file), before);

        // It saves byte for byte to another file.
        const QString copy = path("copy.prp");
        loaded.saveToFile(copy);
        QCOMPARE(readFile(copy), before);
    }

    void saveFailureLeavesNoFile() {
        TPageList list;
        list.addPage(fakeEmf(100, 1));
        list.finish();
        const QString target = path("no-such-folder/report.prp");
        QVERIFY_THROWS_EXCEPTION(ReportError, list.saveToFile(target));
        QVERIFY(!QFile::exists(target));
        QCOMPARE(list.readPage(1), fakeEmf(100, 1));
    }

    void filesThatAreNotSavedReports_data() {
        QTest::addColumn<QByteArray>("content");
        const QList<int> sizes{200, 300, 250};
        const QList<qint64> s = recordStarts(sizes);
        const QString goodPath = dir_.filePath("good.prp");
        saveReport(sizes, goodPath);
        const QByteArray good = readFile(goodPath);
        QCOMPARE(good.size(), s.last());
        const auto changed = [&](qint64 offset, qint32 value) {
            QByteArray b = good;
            setInt32(b, offset, value);
            return b;
        };

        QTest::newRow("empty") << QByteArray();
        QTest::newRow("shorter than the header") << good.left(100);
        QTest::newRow("header only, no pages") << changed(8, 0).left(128);
        QTest::newRow("header only, one page") << changed(8, 1).left(128);
        QTest::newRow("negative count") << changed(8, -5);
        QTest::newRow("absurd count") << changed(8, 2000000000);
        QTest::newRow("one page more than held") << changed(8, 4);
        QTest::newRow("one page fewer than held") << changed(8, 2);
        QTest::newRow("next offset outside the file") << changed(s[0] + 4, 10000000);
        QTest::newRow("next offset negative") << changed(s[0] + 4, -128);
        QTest::newRow("next offset inside the header") << changed(s[1] + 4, 20);
        QTest::newRow("records in a cycle") << changed(s[1] + 4, qint32(s[0]));
        QTest::newRow("record pointing at itself") << changed(s[1] + 4, qint32(s[1]));
        QTest::newRow("own offset wrong") << changed(s[2] - 4, qint32(s[0]));
        QTest::newRow("last four bytes wrong") << changed(s[3] - 4, 0);
        QTest::newRow("page numbered wrongly") << changed(s[1], 7);
        QTest::newRow("EMF size absurd") << changed(s[1] + 8 + 48, qint32(0xfffffff0u));
        QTest::newRow("EMF size below its header") << changed(s[1] + 8 + 48, 40);
        QTest::newRow("EMF larger than its record") << changed(s[0] + 8 + 48, 201);
        QTest::newRow("EMF smaller than its record") << changed(s[0] + 8 + 48, 199);
        QTest::newRow("not an EMF header") << changed(s[2] + 8, 14);
        QTest::newRow("cut inside the last page") << good.left(good.size() - 10);
        QTest::newRow("bytes after the last page") << good + QByteArray(200, '\0');
        QTest::newRow("not a report at all") << QByteArray(5000, 'x');
    }
    void filesThatAreNotSavedReports() {
        QFETCH(QByteArray, content);
        const QString file = path("bad.prp");
        writeFile(file, content);
        TPageList list;
        list.addPage(fakeEmf(120, 1));
        list.addPage(fakeEmf(130, 2));
        QElapsedTimer timer;
        timer.start();
        try {
            list.loadFromFile(file);
            QFAIL("the file was loaded");
        } catch (const ReportError& e) {
            QVERIFY2(e.message().startsWith(QLatin1String("The file ")), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QLatin1String("is not a saved report: ")),
                     qPrintable(e.message()));
        }
        QVERIFY(timer.elapsed() < 2000);
        // The report shown before stays as it was.
        QCOMPARE(list.pageCount(), 2);
        QVERIFY(!list.stream().isReadOnly());
        QCOMPARE(list.readPage(1), fakeEmf(120, 1));
        QCOMPARE(list.readPage(2), fakeEmf(130, 2));
        list.addPage(fakeEmf(140, 3));
        QCOMPARE(list.readPage(3), fakeEmf(140, 3));
    }

    // A file changed by another program after it was loaded: the walks stop with an error
    // instead of going round for ever.
    void fileDamagedAfterLoading() {
        // Records larger than a file's read buffer, so each step reads from the disk.
        const QList<int> sizes{40000, 40000, 40000, 40000, 40000};
        const QList<qint64> s = recordStarts(sizes);
        const QString file = path("changed.prp");
        saveReport(sizes, file);
        TPageList list;
        list.loadFromFile(file);

        QCOMPARE(list.readPage(1), fakeEmf(40000, 1));
        patchFile(file, s[2] + 4, qint32(s[1]));  // page 3 leads forward to page 2
        QVERIFY_THROWS_EXCEPTION(ReportError, list.readPage(4));
        patchFile(file, s[2] + 4, qint32(s[3]));
        QCOMPARE(list.readPage(5), fakeEmf(40000, 5));

        patchFile(file, s[3] - 4, qint32(s[4]));  // page 3's own offset leads back to page 5
        QVERIFY_THROWS_EXCEPTION(ReportError, list.readPage(3));
        patchFile(file, s[3] - 4, qint32(s[2]));
        QCOMPARE(list.readPage(3), fakeEmf(40000, 3));

        patchFile(file, s[3], 9);  // page 4 numbered 9, reached going forward
        QVERIFY_THROWS_EXCEPTION(ReportError, list.readPage(4));
    }
};

QTEST_GUILESS_MAIN(TestPageStore)
#include "test_pagestore.moc"
