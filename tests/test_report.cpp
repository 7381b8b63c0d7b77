// The printed word list and its preview: pagination, line breaking, the preview's zoom, keys,
// print commands, saving and loading, and printing to a PDF.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "app/Application.h"
#include "app/Main.h"
#include "data/Table.h"
#include "report/EmfPlayer.h"
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

    // Cancel while printing leaves no job behind: the printer is opened only once every page
    // is ready, so a cancelled print never begins one.
    void cancelledPrintLeavesNoJob() {
        QTemporaryDir tmp;
        TReportPreview* preview = preparedPreview(100);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = tmp.filePath(QStringLiteral("cancelled.pdf"));
        printer.setOutputFileName(pdf);
        QTimer::singleShot(0, preview, [preview] {
            auto* cancel = preview->findChild<QPushButton*>(QStringLiteral("CancelButton"));
            QVERIFY(cancel);
            cancel->click();
        });
        QVERIFY(!preview->printTo(printer));
        QVERIFY(!QFile::exists(pdf));
        preview->close();
    }

    // Another paper or orientation keeps the page's proportions: fitted and centred.
    void landscapePaperKeepsThePagesShape() {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Landscape);
        const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
        const QRectF page = fittedPage(printer, QSizeF(794, 1123));
        QVERIFY(qAbs(page.width() / page.height() - 794.0 / 1123.0) < 0.005);
        QVERIFY(qAbs(page.height() - paper.height()) < 1.0);
        QVERIFY(qAbs(page.center().x() - paper.width() / 2) < 1.0);
        printer.setPageOrientation(QPageLayout::Portrait);
        const QRectF whole = fittedPage(printer, QSizeF(794, 1123));
        QVERIFY(qAbs(whole.width() - printer.paperRect(QPrinter::DevicePixel).width()) < 2.0);

        // And the printed PDF has the landscape page with the picture upright in the middle.
        QTemporaryDir tmp;
        TReportPreview* preview = preparedPreview(3);
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setOutputFileName(tmp.filePath(QStringLiteral("landscape.pdf")));
        QVERIFY(preview->printTo(printer));
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {printer.outputFileName()});
        QVERIFY(info.waitForFinished(20000));
        QVERIFY(QString::fromUtf8(info.readAllStandardOutput())
                    .contains(QStringLiteral("842 x 595")));  // A4 landscape in points
        // Every word stands inside the upright A4 page in the middle of the sheet: 595 points
        // high, so 595 × 210 / 297 = 421 points wide, from 211 to 632; stretched, the words
        // would run across the whole sheet.
        QProcess words;
        words.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                     QStringLiteral("-l"), QStringLiteral("1"), printer.outputFileName(),
                     QStringLiteral("-")});
        QVERIFY(words.waitForFinished(20000));
        const QString boxes = QString::fromUtf8(words.readAllStandardOutput());
        static const QRegularExpression word(
            QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\""));
        double left = 1e9, right = 0;
        for (auto m = word.globalMatch(boxes); m.hasNext();) {
            const auto w = m.next();
            left = std::min(left, w.captured(1).toDouble());
            right = std::max(right, w.captured(2).toDouble());
        }
        QVERIFY2(left >= 211 && right <= 632 && right - left > 250,
                 qPrintable(QStringLiteral("words from %1 to %2").arg(left).arg(right)));
        preview->close();
    }

    // The three title lines share one size and end inside the band (200.15 mm from the paper's
    // left edge), measured on the page picture itself; Thai faces carry the Thai character set.
    void titleBlockStaysInsideItsBand() {
        TPageList pages;
        WordListReport::prepare(entries(1), pages);
        const QList<EmfTextRun> runs = emfTextRuns(pages.readPage(1));
        QList<EmfTextRun> title;
        for (const EmfTextRun& run : runs)
            if (run.position.y() < WordListReport::mm(10 + 26.19) &&
                run.position.x() > WordListReport::mm(25 + 50))
                title << run;
        QSet<int> lines;  // a line may be drawn as several runs (Thai, then Latin)
        for (const EmfTextRun& run : title) {
            lines.insert(run.position.y());
            QCOMPARE(run.pixelHeight, title.first().pixelHeight);
            QVERIFY2(run.bounds.right() <= WordListReport::mm(25 + 175.15),
                     qPrintable(QStringLiteral("%1 ends at %2 mm")
                                    .arg(run.text)
                                    .arg(run.bounds.right() * 25.4 / 96)));
            QCOMPARE(run.charset, quint8(222));
        }
        QCOMPARE(lines.size(), 3);
    }

    void noPrinterIsToldNotSilent() {
        const auto installed = TReportPreview::installedPrinters;
        TReportPreview::installedPrinters = [] { return QStringList(); };
        TReportPreview* preview = preparedPreview(1);
        test::ScriptedDialogs dialogs;
        preview->printer().setOutputFormat(QPrinter::NativeFormat);
        preview->printer().setOutputFileName(QString());
        tool(preview, "Print")->click();
        TReportPreview::installedPrinters = installed;
        QCOMPARE(dialogs.boxes.size(), size_t(1));
        QVERIFY2(dialogs.boxes.back().text.startsWith(QStringLiteral("No printer is installed")),
                 qPrintable(dialogs.boxes.back().kind + u':' + dialogs.boxes.back().text));
        // A page range kept from a longer report prints nothing, and says so.
        QPrinter toFile(QPrinter::HighResolution);
        QTemporaryDir tmp;
        toFile.setOutputFileName(tmp.filePath(QStringLiteral("range.pdf")));
        toFile.setFromTo(3, 4);
        QVERIFY(!preview->printTo(toFile));
        QVERIFY(dialogs.boxes.back().text.startsWith(QStringLiteral("Nothing was printed")));
        QVERIFY(!QFile::exists(toFile.outputFileName()));
        preview->close();
    }

    // The printer set-up remembers its choice: the next opening shows it, the next print uses it.
    void printerSetupKeepsItsChoice() {
        QTemporaryDir tmp;
        TReportPreview* preview = preparedPreview(2);
        test::ScriptedDialogs dialogs;
        const QString pdf = tmp.filePath(QStringLiteral("kept.pdf"));
        dialogs.printToPdf = {pdf, QString()};  // OK to a file, then Cancel
        tool(preview, "PrintSetup")->click();
        tool(preview, "PrintSetup")->click();
        QCOMPARE(dialogs.printDialogSawFiles.size(), 2);
        QCOMPARE(dialogs.printDialogSawFiles.at(1), pdf);
        tool(preview, "Print")->click();
        QVERIFY(QFile::exists(pdf));
        preview->close();
    }

    // The open dialog takes a name that does not exist, so the preview can say so.
    void openDialogAcceptsAMissingName() {
        QTemporaryDir tmp;
        const QString missing = tmp.filePath(QStringLiteral("missing.PRP"));
        QTimer::singleShot(50, [missing] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            // A dialog that refuses the name is closed in the end, with the box it shows, so the
            // test never hangs; tied to the dialog, the timer dies with it.
            QTimer::singleShot(1000, dialog, [] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible())
                        d->reject();
            });
            // Typed into the name box, as a user would.
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(missing);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QtUserDialogs real;
        QCOMPARE(real.openFileName(nullptr, QStringLiteral("Load report"),
                                   QStringLiteral("Prepared report file (*.PRP)")),
                 missing);
    }

    // The dictionary's own words stay whole, and a word found inside another never opens a
    // break in the middle of a syllable.
    void loanwordsStayWholeAcrossLines() {
        setThaiVocabulary({QStringLiteral("ฟาเรนไฮต์"), QStringLiteral("อิมพีแดนซ์"),
                           QStringLiteral("ดิน"), QStringLiteral("ราก"), QStringLiteral("หนาที"),
                           QStringLiteral("ทอร์โม"), QStringLiteral("ดิวซ์")});
        QStringList all;
        for (const char* text : {"องศาฟาเรนไฮต์และอิมพีแดนซ์", "ค่าอิมพีแดนซ์ของวงจร", "เริ่มเดินอัตราการ",
                                 "ความหนาที่หายไป", "เชิงเทอร์โมไดนามิกส์", "การรีดิวซ์"}) {
            const QString whole = QString::fromUtf8(text);
            const QStringList pieces = linePieces(whole);
            QCOMPARE(pieces.join(QString()), whole);
            all << pieces;
        }
        setThaiVocabulary({});
        const QString shown = all.join(u'|');
        QVERIFY2(all.contains(QStringLiteral("ฟาเรนไฮต์")), qPrintable(shown));
        QVERIFY2(all.contains(QStringLiteral("อิมพีแดนซ์")), qPrintable(shown));  // libthai: อิม|พี|แดนซ์
        for (const QString& piece : all) {
            const char16_t first = piece.front().unicode(), last = piece.back().unicode();
            const bool trailing = (first >= 0x0E30 && first <= 0x0E3A) || first == 0x0E45 ||
                                  (first >= 0x0E47 && first <= 0x0E4E);
            QVERIFY2(!trailing && !(last >= 0x0E40 && last <= 0x0E44), qPrintable(shown));
        }
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
        QVERIFY(preview->isMaximized());
        QCOMPARE(preview->normalGeometry().size(), QSize(652, 579));
        QVERIFY(tool(preview, "Print")->icon().pixmap(16).toImage() !=
                tool(preview, "SaveReport")->icon().pixmap(16).toImage());
        QCOMPARE(tool(preview, "Print")->accessibleName(), QStringLiteral("Print"));
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
