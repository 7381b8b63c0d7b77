// The printed word list and its preview: pagination, line breaking, the preview's zoom, keys,
// print commands, saving and loading, and printing to a PDF.
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "app/Application.h"
#include "app/Main.h"
#include "data/Table.h"
#include "report/PageList.h"
#include "report/ReportPreview.h"
#include "tests/TestSupport.h"
#include "wordlist/LineBreaking.h"
#include "wordlist/Ureport.h"

using namespace lex;

namespace {

std::vector<ReportEntry> entries(int n) {
    std::vector<ReportEntry> out;
    for (int i = 1; i <= n; ++i)
        out.push_back({QStringLiteral("headword%1").arg(i),
                       QStringLiteral("คานเหล็กรับแรงดัด meaning %1").arg(i)});
    return out;
}

TReportPreview* preparedPreview(int n) {
    auto* preview = new TReportPreview;
    preview->resize(652, 579);
    preview->show();
    const std::vector<ReportEntry> list = entries(n);
    preview->prepareWith([list](TPageList& pages, const std::function<void(int, int)>& ready) {
        WordListReport::prepare(list, pages, ready);
    });
    return preview;
}

QToolButton* tool(QWidget* w, const char* name) {
    return w->findChild<QToolButton*>(QString::fromLatin1(name));
}

// Each character one unit wide: line breaking without fonts.
double unitWidth(const QString& s) {
    return s.size();
}

}  // namespace

class TestReport : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void ninePerFirstPageTenAfter() {
        const auto pages = [](int n) { return WordListReport::entriesPerPage(n); };
        QCOMPARE(pages(0), (std::vector<int>{0}));  // an empty list still prints the title
        QCOMPARE(pages(1), (std::vector<int>{1}));
        QCOMPARE(pages(9), (std::vector<int>{9}));
        QCOMPARE(pages(10), (std::vector<int>{9, 1}));
        QCOMPARE(pages(19), (std::vector<int>{9, 10}));
        QCOMPARE(pages(20), (std::vector<int>{9, 10, 1}));
        QCOMPARE(pages(1000).size(), size_t(101));
        QCOMPARE(WordListReport::pageSizePixels(), QSize(794, 1123));
    }

    void cordiaStandInKeepsTheLineHeight() {
        // 14 points take 7.14 mm a line, 18 points 9.18 mm.
        QVERIFY(qAbs(QFontMetricsF(WordListReport::cordia(14)).height() -
                     WordListReport::mm(7.14)) < 1.0);
        QVERIFY(qAbs(QFontMetricsF(WordListReport::cordia(18)).height() -
                     WordListReport::mm(9.18)) < 1.5);
    }

    void linesBreakAfterSpacesHyphensAndThaiWords() {
        QCOMPARE(linePieces(QStringLiteral("steel beam-column")),
                 (QStringList{"steel ", "beam-", "column"}));
        // Thai has no spaces: libthai finds the word boundaries.
        const QStringList thai = linePieces(QStringLiteral("คานเหล็กรับแรงดัด"));
        QVERIFY2(thai.size() >= 3, qPrintable(thai.join(u'|')));
        QCOMPARE(thai.join(QString()), QStringLiteral("คานเหล็กรับแรงดัด"));
        QCOMPARE(breakLines(QStringLiteral("aaa bbb ccc"), 8, unitWidth),
                 (QStringList{"aaa bbb ", "ccc"}));
        // A word too long for a line loses what does not fit, on its own line.
        QCOMPARE(breakLines(QStringLiteral("abcdefghijkl"), 5, unitWidth),
                 (QStringList{"abcd", ""}));
        QCOMPARE(breakLines(QStringLiteral("ab abcdefghijkl"), 5, unitWidth),
                 (QStringList{"ab ", "abcde", ""}));
        // Line feeds are dropped; carriage returns start a part; an empty part is an empty line.
        QCOMPARE(breakLines(QStringLiteral("ab\ncd\r\rx"), 10, unitWidth),
                 (QStringList{"abcd", "", "x"}));
        // Thai wraps at its word boundaries instead of being cut after the first line.
        const QStringList lines =
            breakLines(QStringLiteral("คานเหล็กรับแรงดัดและแรงเฉือนในอาคารสูง"), 12, unitWidth);
        QVERIFY2(lines.size() >= 3, qPrintable(lines.join(u'|')));
        QCOMPARE(lines.join(QString()), QStringLiteral("คานเหล็กรับแรงดัดและแรงเฉือนในอาคารสูง"));
    }

    void zoomFormulas() {
        const QSize a4(794, 1123);
        QCOMPARE(zoomToWidth(QSize(700, 500), a4), 79);  // 79.3
        QCOMPARE(zoomToFit(QSize(700, 500), a4), 42);    // 500 / 1123 × 95 = 42.3
        QCOMPARE(roundHalfEven(2.5), 2);
        QCOMPARE(roundHalfEven(3.5), 4);
    }

    void previewMovesBetweenPagesByKeysAndButtons() {
        TReportPreview* preview = preparedPreview(19);
        QCOMPARE(preview->pageCount(), 2);
        QCOMPARE(preview->currentPage(), 1);
        QCOMPARE(preview->statusText(1), QStringLiteral("Page 1 of 2"));
        QCOMPARE(preview->zoomMode(), ZoomMode::Width);
        QCOMPARE(preview->zoom(), zoomToWidth(preview->previewBox()->size(), QSize(794, 1123)));
        QVERIFY(tool(preview, "Print")->isEnabled() && tool(preview, "PrintSetup")->isEnabled());
        QWidget* box = preview->previewBox();
        QTest::keyClick(box, Qt::Key_PageDown);
        QCOMPARE(preview->currentPage(), 2);
        QTest::keyClick(box, Qt::Key_PageDown);  // beyond the end: ignored
        QCOMPARE(preview->currentPage(), 2);
        QTest::keyClick(box, Qt::Key_Home);
        QCOMPARE(preview->currentPage(), 1);
        QTest::keyClick(box, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(preview->statusText(1), QStringLiteral("Page 2 of 2"));
        QTest::keyClick(box, Qt::Key_PageUp, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(preview->currentPage(), 1);  // not exactly Ctrl: just the previous page
        tool(preview, "LastPage")->click();
        QCOMPARE(preview->currentPage(), 2);
        tool(preview, "Zoom100")->click();
        QCOMPARE(preview->zoom(), 100);
        preview->resize(900, 700);
        QCOMPARE(preview->zoom(), 100);  // fixed zoom stays on resizing
        tool(preview, "ZoomToWidth")->click();
        const int before = preview->zoom();
        preview->resize(1100, 700);
        QVERIFY(preview->zoom() > before);  // wider window, larger page
        QTest::keyClick(box, Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::topLevelWidgets().contains(preview));
    }

    void savedReportLoadsBackAndBadFilesAreRefused() {
        QTemporaryDir tmp;
        TReportPreview* preview = preparedPreview(12);
        test::ScriptedDialogs dialogs;
        const QString saved = tmp.filePath(QStringLiteral("list.PRP"));
        dialogs.fileAnswers = {saved};
        tool(preview, "SaveReport")->click();
        QVERIFY(QFile::exists(saved));
        QCOMPARE(dialogs.boxes.back().caption, QStringLiteral("Save report"));

        TReportPreview* other = preparedPreview(1);
        const QString garbage = tmp.filePath(QStringLiteral("bad.PRP"));
        QFile bad(garbage);
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(QByteArray(300, 'x'));
        bad.close();
        dialogs.fileAnswers = {garbage, tmp.filePath(QStringLiteral("none.PRP")), saved};
        tool(other, "LoadReport")->click();
        QCOMPARE(dialogs.boxes.back().icon, BoxIcon::Stop);
        QCOMPARE(other->pageCount(), 1);  // the shown report stays
        tool(other, "LoadReport")->click();
        QCOMPARE(dialogs.boxes.back().text, QStringLiteral("File does not exist"));
        tool(other, "LoadReport")->click();
        QCOMPARE(other->pageCount(), 2);
        QVERIFY(other->isLoaded());
        QCOMPARE(other->statusText(1), QStringLiteral("Page 1 of 2"));
        QVERIFY(!tool(other, "PrintSetup")->isEnabled());
        QVERIFY(tool(other, "Print")->isEnabled());
        QCOMPARE(other->pages().readPage(2), preview->pages().readPage(2));
        preview->close();
        other->close();
    }

    void printsToPdf() {
        QTemporaryDir tmp;
        TReportPreview* preview = preparedPreview(19);
        test::ScriptedDialogs dialogs;
        const QString pdf = tmp.filePath(QStringLiteral("list.pdf"));
        dialogs.printToPdf = {pdf};
        tool(preview, "PrintSetup")->click();
        QCOMPARE(dialogs.printDialogLastPage, 2);
        tool(preview, "Print")->click();
        QVERIFY(QFile::exists(pdf));
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY(info.waitForFinished(20000));
        const QByteArray pdfInfo = info.readAllStandardOutput();
        QVERIFY2(QString::fromUtf8(pdfInfo).contains(
                     QRegularExpression(QStringLiteral("Pages:\\s+2\\n"))),
                 pdfInfo.constData());
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(20000));
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(printed.contains(QStringLiteral("headword19")), qPrintable(printed.left(300)));
        QVERIFY(printed.contains(QStringLiteral("www.kolvane.example")));
        preview->close();
    }

    void printButtonPreviewsTheChosenWords() {
        test::TempDataDir dir(test::sampleEntries());
        TForm1 form(dir.path());
        for (int id : {1, 6, 3}) {
            form.table2().append();
            form.table2().setField(QStringLiteral("Data_ID"), double(id));
            form.table2().post();
        }
        form.table2().first();
        form.Button8Click();
        TReportPreview* preview = form.findChild<TReportPreview*>();
        QVERIFY(preview);
        QVERIFY(preview->isVisible());
        QCOMPARE(preview->pageCount(), 1);
        QCOMPARE(form.table2().fieldInt(QStringLiteral("Data_ID")), 3);  // left on the last row
        QVERIFY(form.isEnabled());  // the main window keeps working
        test::ScriptedDialogs dialogs;
        form.N8Click();
        QCOMPARE(dialogs.boxes.back().kind, QStringLiteral("printer setup"));
        preview->close();
    }
};

int main(int argc, char** argv) {
    Application::prepare();
    Application app(argc, argv);
    TestReport t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_report.moc"
