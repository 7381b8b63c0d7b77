#include "wordlist/Ureport.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPixmap>

#include "data/Database.h"
#include "data/Table.h"
#include "report/EmfPaintDevice.h"
#include "report/PageList.h"
#include "report/ReportPreview.h"
#include "ui/Controls.h"
#include "ui/Publisher.h"
#include "ui/Resources.h"
#include "wordlist/LineBreaking.h"

namespace lex {

namespace {

constexpr double kTopMargin = 10, kBottomMargin = 10, kLeftMargin = 25;
constexpr double kTitleBandHeight = 26.19, kDetailBandHeight = 26.46;
constexpr double kLineHeightMm14pt = 7.14;
const QString kCordiaStandIn = QStringLiteral("Laksaman");

constexpr double kBandRight = kLeftMargin + 175.15;

// Labels keep a little room before the band's right edge, where printers may clip.
constexpr double kEdgeRoomMm = 0.5;

// The painter's font, made smaller where needed for every one of `texts` to fit `roomMm`, as
// measured on the device the painter draws on. Font sizes do not scale widths in proportion
// (the face is laid out at whole pixel sizes), so the width is measured again at each size.
QFont fittingFont(const QPainter& p, const QStringList& texts, double roomMm) {
    const double room = WordListReport::mm(roomMm);
    auto widest = [&](const QFont& font) {
        const QFontMetricsF metrics(font, p.device());
        double width = 0;
        for (const QString& text : texts)
            width = std::max(width, metrics.horizontalAdvance(text));
        return width;
    };
    QFont font = p.font();
    const double first = widest(font);
    if (first <= room || room <= 0)
        return font;
    font.setPointSizeF(font.pointSizeF() * room / first);
    for (int step = 0; step < 50 && widest(font) > room && font.pointSizeF() > 1.0; ++step)
        font.setPointSizeF(font.pointSizeF() * 0.98);
    return font;
}

// One-line labels at their places, all in the painter's font shrunk by one common factor where
// one of them would run past `rightMm`: the stand-in face is wider than the narrow face of the
// layout, and a label cut at the paper's edge, or a title line smaller than its neighbours, looks
// broken. Each keeps the baseline of the font as laid out.
void drawLabels(QPainter& p, double xMm, const QList<std::pair<double, QString>>& labels,
                double rightMm = kBandRight - kEdgeRoomMm) {
    const QFont original = p.font();
    QStringList texts;
    for (const auto& label : labels)
        texts << label.second;
    const double ascent = QFontMetricsF(original, p.device()).ascent();
    p.setFont(fittingFont(p, texts, rightMm - xMm));
    for (const auto& [yMm, text] : labels)
        p.drawText(QPointF(WordListReport::mm(xMm), WordListReport::mm(yMm) + ascent), text);
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
        drawLabels(
            p, kLeftMargin + 56.36,
            {{y + 2.12,
              QStringLiteral("บริการอบรม - สัมมนางานด้านวิศวกรรมทุกชนิด เกร็ดความรู้ด้านก่อสร้าง เทคนิคต่างๆ")},
             {y + 9.79, QStringLiteral("เลือกซื้อโปรแกรมทางวิศวกรรมหลายชนิด ราคาไม่แพง มีให้เลือกหลายตัว")},
             {y + 17.20,
              QStringLiteral("แหล่งรวมความรู้ต่างๆ บทความ และชุมชนวิศวกรรม Online ที่ Kolvane")}});
        y += kTitleBandHeight;
    }
    const QFont headword = cordia(14, true);
    const QFont meaning = cordia(14);
    const QFontMetricsF meaningMetrics(meaning, p.device());
    const double frameWidth = mm(168.28), frameHeight = mm(14.82);
    for (const ReportEntry& e : onPage) {
        p.setFont(headword);
        drawLabels(p, kLeftMargin + 3.70, {{y + 2.12, e.headword}});
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
    const QFontMetricsF footMetrics(foot, p.device());
    const QString phone = QStringLiteral("โทร ") + QString::fromLatin1(kTelephone);
    drawLabels(p, 27.78, {{277.02, QString::fromLatin1(kPublisherBase)}});
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
    // Line breaks keep the dictionary's own Thai words whole; read once, the dictionary never
    // changes while the program runs.
    if (!vocabularyRead_) {
        setThaiVocabulary(chosen_.database().thaiHeadwords());
        vocabularyRead_ = true;
    }
    auto* window = new TReportPreview(parent);
    centreOnScreen(window);  // where it goes when the user restores it
    window->showMaximized();
    const std::vector<ReportEntry> list = entries();
    window->prepareWith([this, list](TPageList& pages, const std::function<void(int, int)>& ready) {
        BandReport1.prepare(list, pages, ready);
    });
    return window;
}

}  // namespace lex
