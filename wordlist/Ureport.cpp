#include "wordlist/Ureport.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPixmap>

#include "app/Resources.h"
#include "data/Table.h"
#include "report/EmfPaintDevice.h"
#include "report/PageList.h"
#include "report/ReportPreview.h"
#include "tools/AboutBox.h"
#include "tools/WebLinks.h"
#include "wordlist/LineBreaking.h"

namespace lex {

namespace {

constexpr double kTopMargin = 10, kBottomMargin = 10, kLeftMargin = 25;
constexpr double kTitleBandHeight = 26.19, kDetailBandHeight = 26.46;
constexpr double kLineHeightMm14pt = 7.14;
const QString kCordiaStandIn = QStringLiteral("Laksaman");

constexpr double kBandRight = kLeftMargin + 175.15;

// A one-line label at its place. The stand-in face is wider than the narrow face of the layout,
// so a line that would run past the band's right edge is drawn a little smaller instead of being
// cut off at the paper's edge.
void drawTextAt(QPainter& p, double xMm, double yMm, const QString& text,
                double rightMm = kBandRight) {
    const QFont original = p.font();
    const double room = WordListReport::mm(rightMm - xMm);
    const double width = QFontMetricsF(original).horizontalAdvance(text);
    if (width > room && room > 0) {
        QFont smaller = original;
        smaller.setPointSizeF(original.pointSizeF() * room / width);
        p.setFont(smaller);
    }
    p.drawText(QPointF(WordListReport::mm(xMm),
                       WordListReport::mm(yMm) + QFontMetricsF(original).ascent()),
               text);
    p.setFont(original);
}

}  // namespace

double WordListReport::mm(double millimetres) {
    return millimetres * 96.0 / 25.4;
}

QSize WordListReport::pageSizePixels() {
    return {qRound(mm(kPageWidthMm)), qRound(mm(kPageHeightMm))};
}

std::vector<int> WordListReport::entriesPerPage(int entries) {
    // Bands go on a page while they fit above the bottom margin.
    const double bottom = kPageHeightMm - kBottomMargin;
    std::vector<int> pages{0};
    double y = kTopMargin + kTitleBandHeight;
    for (int i = 0; i < entries; ++i) {
        if (y + kDetailBandHeight > bottom + 1e-9) {
            pages.push_back(0);
            y = kTopMargin;
        }
        ++pages.back();
        y += kDetailBandHeight;
    }
    return pages;
}

QFont WordListReport::cordia(double points, bool bold) {
    // The stand-in's line height, measured once at a reference size, sets the scale.
    static const double heightPerPixel = [] {
        QFont probe(kCordiaStandIn);
        probe.setPixelSize(100);
        return QFontMetricsF(probe).height() / 100.0;
    }();
    const double wantedHeight = mm(kLineHeightMm14pt * points / 14.0);
    QFont f(kCordiaStandIn);
    // In points, which may be fractional, at the pages' 96 dots per inch.
    f.setPointSizeF(std::max(1.0, wantedHeight / heightPerPixel * 72.0 / 96.0));
    f.setBold(bold);
    return f;
}

void WordListReport::drawPage(QPainter& p, int page, const std::vector<ReportEntry>& onPage) {
    initResources();
    p.fillRect(QRectF(QPointF(0, 0), QSizeF(pageSizePixels())), Qt::white);
    p.setPen(Qt::black);
    double y = kTopMargin;
    if (page == 1) {
        static const QPixmap logo(QStringLiteral(":/images/report-logo.jpg"));
        p.drawPixmap(QRectF(mm(kLeftMargin + 1.06), mm(y + 1.06), mm(52.92), mm(23.81)), logo,
                     QRectF(logo.rect()));
        p.setFont(cordia(14));
        drawTextAt(
            p, kLeftMargin + 56.36, y + 2.12,
            QStringLiteral("บริการอบรม - สัมมนางานด้านวิศวกรรมทุกชนิด เกร็ดความรู้ด้านก่อสร้าง เทคนิคต่างๆ"));
        drawTextAt(p, kLeftMargin + 56.36, y + 9.79,
                   QStringLiteral("เลือกซื้อโปรแกรมทางวิศวกรรมหลายชนิด ราคาไม่แพง มีให้เลือกหลายตัว"));
        drawTextAt(p, kLeftMargin + 56.36, y + 17.20,
                   QStringLiteral("แหล่งรวมความรู้ต่างๆ บทความ และชุมชนวิศวกรรม Online ที่ Kolvane"));
        y += kTitleBandHeight;
    }
    const QFont headword = cordia(14, true);
    const QFont meaning = cordia(14);
    const QFontMetricsF meaningMetrics(meaning);
    const double frameWidth = mm(168.28), frameHeight = mm(14.82);
    for (const ReportEntry& e : onPage) {
        p.setFont(headword);
        drawTextAt(p, kLeftMargin + 3.70, y + 2.12, e.headword);
        p.setFont(meaning);
        const QStringList lines = breakLines(e.meaning, frameWidth, [&](const QString& t) {
            return meaningMetrics.horizontalAdvance(t);
        });
        // Lines below the frame's height are cut off; the band never grows.
        const double lineHeight = meaningMetrics.height();
        const double top = mm(y + 10.58);
        for (int i = 0; i < lines.size(); ++i) {
            if ((i + 1) * lineHeight > frameHeight + 0.5)
                break;
            p.drawText(
                QPointF(mm(kLeftMargin + 3.70), top + i * lineHeight + meaningMetrics.ascent()),
                lines[i]);
        }
        y += kDetailBandHeight;
    }
    // The page element: the publisher's address at the left, the telephone at the right.
    const QFont foot = cordia(18);
    p.setFont(foot);
    const QFontMetricsF footMetrics(foot);
    const QString phone = QStringLiteral("โทร ") + QString::fromLatin1(TForm7::kTelephone);
    drawTextAt(p, 27.78, 277.02, QString::fromLatin1(kPublisherBase));
    p.drawText(QPointF(mm(27.78 + 168.54) - footMetrics.horizontalAdvance(phone),
                       mm(277.02) + footMetrics.ascent()),
               phone);
}

void WordListReport::prepare(const std::vector<ReportEntry>& entries, TPageList& pages,
                             const std::function<void(int, int)>& pageReady) {
    const std::vector<int> perPage = entriesPerPage(static_cast<int>(entries.size()));
    size_t next = 0;
    for (size_t page = 0; page < perPage.size(); ++page) {
        std::vector<ReportEntry> onPage(
            entries.begin() + static_cast<qsizetype>(next),
            entries.begin() + static_cast<qsizetype>(next) + perPage[page]);
        next += static_cast<size_t>(perPage[page]);
        EmfPaintDevice device(pageSizePixels());
        {
            QPainter painter(&device);
            drawPage(painter, static_cast<int>(page) + 1, onPage);
        }
        pages.addPage(device.finish());
        if (pageReady)
            pageReady(static_cast<int>(page) + 1,
                      static_cast<int>((page + 1) * 100 / perPage.size()));
    }
    pages.finish();
}

TReport::TReport(Table& chosen, QObject* parent) : QObject(parent), chosen_(chosen) {
    setObjectName(QStringLiteral("Report"));
}

std::vector<ReportEntry> TReport::entries() {
    std::vector<ReportEntry> out;
    for (const QVariantMap& row : chosen_.allRows())
        out.push_back({row.value(QStringLiteral("Data")).toString(),
                       row.value(QStringLiteral("Meaning")).toString()});
    chosen_.last();
    return out;
}

TReportPreview* TReport::preview(QWidget* parent) {
    auto* window = new TReportPreview(parent);
    window->show();
    const std::vector<ReportEntry> list = entries();
    window->prepareWith([this, list](TPageList& pages, const std::function<void(int, int)>& ready) {
        BandReport1.prepare(list, pages, ready);
    });
    return window;
}

}  // namespace lex
