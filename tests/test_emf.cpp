// The EMF page pictures: what a composer paints comes back in the same place when the picture is
// played, Thai text keeps its characters in the text records, the picture follows the zoom and
// the target, and damaged pictures are refused before anything is drawn.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QtEndian>
#include <QtTest>
#include <cmath>
#include <functional>

#include "report/EmfPaintDevice.h"
#include "report/EmfPenStyle.h"
#include "report/EmfPlayer.h"
#include "report/ReportError.h"

using namespace lex;

namespace {

const QString thai = QStringLiteral("คานเหล็ก ความเค้น");
const QString english = QStringLiteral("Beam stress (MPa)");
const QSize page(480, 320);

// The parts of the sample page, each in a region of its own.
const QRect frameLines(10, 10, 460, 40);
const QRect filledBox(20, 55, 170, 100);
const QRect hollowBox(195, 55, 115, 100);
const QRect ellipseBox(315, 55, 135, 95);
const QRect englishText(20, 160, 300, 30);
const QRect thaiText(20, 195, 300, 45);
const QRect pictureBox(330, 165, 100, 75);
const QRect bottomLine(10, 285, 460, 25);

// A small picture with four coloured quarters, so a flipped or shifted copy shows.
QImage quarters() {
    QImage img(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y,
                         x < 20 ? (y < 15 ? qRgb(220, 30, 30) : qRgb(30, 160, 30))
                                : (y < 15 ? qRgb(30, 30, 220) : qRgb(230, 200, 20)));
    return img;
}

void composeSample(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(20, 20, 460, 20);
    p.setPen(QPen(QColor(0, 0, 140), 2, Qt::DashLine));
    p.drawLine(20, 40, 460, 40);

    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 210, 110));
    p.drawRect(30, 60, 150, 80);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::red, 3));
    p.drawRect(QRectF(205, 65, 95, 80));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 110, 40));
    p.drawEllipse(QRectF(320, 60, 120, 80));

    QFont en(QStringLiteral("DejaVu Sans"));
    en.setPixelSize(18);
    en.setBold(true);
    p.setFont(en);
    p.setPen(Qt::black);
    p.drawText(QPointF(30, 182), english);

    QFont th(QStringLiteral("Loma"));
    th.setPixelSize(24);
    p.setFont(th);
    p.setPen(QColor(0, 0, 160));
    p.drawText(QPointF(30, 225), thai);

    p.drawImage(QRectF(340, 170, 80, 60), quarters());

    p.setPen(QPen(QColor(90, 90, 90), 1, Qt::DotLine));
    p.drawLine(20, 300, 460, 300);
}

QImage whitePage(const QSize& size) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

QImage drawDirect(const std::function<void(QPainter&)>& compose, const QSize& size = page) {
    QImage img = whitePage(size);
    QPainter p(&img);
    compose(p);
    return img;
}

QByteArray record(const std::function<void(QPainter&)>& compose, const QSize& size = page) {
    EmfPaintDevice device(size);
    {
        QPainter p(&device);
        compose(p);
    }
    return device.finish();
}

QImage play(const QByteArray& emf, const QSize& size, const QRectF& target) {
    QImage img = whitePage(size);
    QPainter p(&img);
    QString why;
    if (!playEmf(emf, p, target, &why))
        qWarning() << why;
    return img;
}

QImage play(const QByteArray& emf, const QSize& size = page) {
    return play(emf, size, QRectF(QPointF(0, 0), QSizeF(size)));
}

bool isInk(QRgb c) {
    return qRed(c) < 200 || qGreen(c) < 200 || qBlue(c) < 200;
}

// The bounding box of the pixels in `region` that are not (nearly) white.
QRect inkBox(const QImage& img, const QRect& region) {
    QRect box;
    const QRect r = region.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x)
            if (isInk(line[x]))
                box |= QRect(x, y, 1, 1);
    }
    return box;
}

// The mean difference of the colour channels over `region`, 0 to 255.
double meanDifference(const QImage& a, const QImage& b, const QRect& region) {
    double sum = 0;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    }
    return sum / (3.0 * region.width() * region.height());
}

int inkCount(const QImage& img, const QRect& region) {
    int n = 0;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            n += isInk(img.pixel(x, y));
    return n;
}

bool near(const QRect& a, const QRect& b, int tolerance) {
    return std::abs(a.left() - b.left()) <= tolerance && std::abs(a.top() - b.top()) <= tolerance &&
           std::abs(a.right() - b.right()) <= tolerance &&
           std::abs(a.bottom() - b.bottom()) <= tolerance;
}

QString describe(const QRect& r) {
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

quint32 u32(const QByteArray& b, qint64 off) {
    return qFromLittleEndian<quint32>(b.constData() + off);
}
qint32 i32(const QByteArray& b, qint64 off) {
    return qFromLittleEndian<qint32>(b.constData() + off);
}
void setU32(QByteArray& b, qint64 off, quint32 v) {
    qToLittleEndian<quint32>(v, b.data() + off);
}

struct RecordAt {
    qint64 offset;
    quint32 type;
    quint32 size;
};

// The records of a well-formed picture, header first.
QList<RecordAt> records(const QByteArray& emf) {
    QList<RecordAt> list;
    qint64 off = 0;
    while (off + 8 <= emf.size()) {
        const quint32 size = u32(emf, off + 4);
        list.append({off, u32(emf, off), size});
        if (size < 8)
            break;
        off += size;
    }
    return list;
}

qint64 firstOfType(const QByteArray& emf, quint32 type) {
    for (const RecordAt& r : records(emf))
        if (r.type == type)
            return r.offset;
    return -1;
}

int countOfType(const QByteArray& emf, quint32 type) {
    int n = 0;
    for (const RecordAt& r : records(emf))
        n += r.type == type;
    return n;
}

// Inserts a record before the end record and keeps the header's counts right.
QByteArray withRecordBeforeEnd(QByteArray emf, const QByteArray& extra) {
    const qint64 eof = firstOfType(emf, 14);
    emf.insert(eof, extra);
    setU32(emf, 48, quint32(emf.size()));
    setU32(emf, 52, u32(emf, 52) + 1);
    return emf;
}

constexpr quint32 emrPolyline = 4, emrEof = 14, emrSelectObject = 37, emrStretchDibits = 81,
                  emrExtTextOutW = 84, emrComment = 70, emrFont = 82;

}  // namespace

class TestEmf : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // The writer's cap and join bits read back as the same Qt cap and join; the SVG mitre is
    // written as the one EMF mitre, and bits of no known cap or join read as round.
    void penCapsAndJoinsComeBack() {
        for (Qt::PenCapStyle cap : {Qt::FlatCap, Qt::SquareCap, Qt::RoundCap})
            for (Qt::PenJoinStyle join : {Qt::MiterJoin, Qt::BevelJoin, Qt::RoundJoin}) {
                QPen pen(Qt::black, 3, Qt::SolidLine, cap, join);
                const quint32 bits = emfCapAndJoin(pen);
                QCOMPARE(qtCap(bits), cap);
                QCOMPARE(qtJoin(bits), join);
            }
        QPen svg(Qt::black, 3, Qt::SolidLine, Qt::FlatCap, Qt::SvgMiterJoin);
        QCOMPARE(qtJoin(emfCapAndJoin(svg)), Qt::MiterJoin);
        QCOMPARE(qtCap(0x0F00), Qt::RoundCap);
        QCOMPARE(qtJoin(0xF000), Qt::RoundJoin);
    }

    void roundTripKeepsTheLayout() {
        const QImage direct = drawDirect(composeSample);
        const QByteArray emf = record(composeSample);
        QString why;
        QVERIFY2(isValidEmf(emf, &why), qPrintable(why));
        const QImage played = play(emf);
        if (qEnvironmentVariableIsSet("LEXIVORE_EMF_SAMPLE"))
            played.save(qEnvironmentVariable("LEXIVORE_EMF_SAMPLE"));

        struct Part {
            const char* name;
            QRect region;
            int tolerance;      // pixels, each edge of the ink box
            double difference;  // mean channel difference allowed
        };
        const Part parts[] = {
            {"frame lines", frameLines, 0, 0.5},   {"filled box", filledBox, 0, 0.5},
            {"hollow box", hollowBox, 0, 0.5},     {"ellipse", ellipseBox, 1, 2.0},
            {"English text", englishText, 1, 3.0}, {"Thai text", thaiText, 1, 3.0},
            {"picture", pictureBox, 0, 0.5},       {"dotted line", bottomLine, 0, 0.5},
        };
        for (const Part& part : parts) {
            const QRect want = inkBox(direct, part.region);
            const QRect got = inkBox(played, part.region);
            QVERIFY2(!want.isEmpty(), part.name);
            QVERIFY2(near(want, got, part.tolerance),
                     qPrintable(QStringLiteral("%1: drawn %2, played %3")
                                    .arg(QLatin1String(part.name), describe(want), describe(got))));
            const double d = meanDifference(direct, played, part.region);
            QVERIFY2(d <= part.difference,
                     qPrintable(
                         QStringLiteral("%1 differs by %2").arg(QLatin1String(part.name)).arg(d)));
        }
        // The picture's quarters keep their colours and places.
        QCOMPARE(played.pixel(350, 180), qRgb(220, 30, 30));
        QCOMPARE(played.pixel(410, 180), qRgb(30, 30, 220));
        QCOMPARE(played.pixel(350, 220), qRgb(30, 160, 30));
        QCOMPARE(played.pixel(410, 220), qRgb(230, 200, 20));
        // The dashed line is dashed: it has gaps, in the same places.
        QCOMPARE(inkCount(played, QRect(20, 39, 441, 3)), inkCount(direct, QRect(20, 39, 441, 3)));
        QVERIFY(inkCount(played, QRect(20, 39, 441, 3)) < 441 * 2);
    }

    void thaiTextSurvivesInItsRecord() {
        const QByteArray emf = record(composeSample);
        const QList<EmfTextRun> runs = emfTextRuns(emf);
        const EmfTextRun* thaiRun = nullptr;
        const EmfTextRun* englishRun = nullptr;
        for (const EmfTextRun& r : runs) {
            if (r.text == thai)
                thaiRun = &r;
            if (r.text == english)
                englishRun = &r;
        }
        QVERIFY2(thaiRun, "the Thai string is not one unchanged run");
        QCOMPARE(thaiRun->family, QStringLiteral("Loma"));
        QCOMPARE(thaiRun->pixelHeight, 24);
        QCOMPARE(thaiRun->weight, 400);
        QCOMPARE(thaiRun->color, QColor(0, 0, 160));
        QCOMPARE(thaiRun->position, QPoint(30, 225));
        QCOMPARE(thaiRun->align & 0x18u, 0x18u);  // baseline
        QVERIFY(englishRun);
        QCOMPARE(englishRun->family, QStringLiteral("DejaVu Sans"));
        QCOMPARE(englishRun->pixelHeight, 18);
        QCOMPARE(englishRun->weight, 700);
        QVERIFY(!englishRun->italic);
        QCOMPARE(englishRun->color, QColor(Qt::black));

        // In the bytes: a Unicode text record holding the UTF-16 string.
        const QByteArray utf16(reinterpret_cast<const char*>(thai.utf16()), thai.size() * 2);
        const qint64 at = emf.indexOf(utf16);
        QVERIFY(at > 0);
        bool inTextRecord = false;
        for (const RecordAt& r : records(emf))
            if (r.type == emrExtTextOutW && at > r.offset && at + utf16.size() <= r.offset + r.size)
                inTextRecord = u32(emf, r.offset + 44) == quint32(thai.size());
        QVERIFY(inTextRecord);
    }

    void fontAttributesAndRotation() {
        const auto compose = [](QPainter& p) {
            QFont f(QStringLiteral("DejaVu Serif"));
            f.setPixelSize(15);
            f.setItalic(true);
            f.setUnderline(true);
            f.setStrikeOut(true);
            p.setFont(f);
            p.setPen(QColor(150, 0, 0));
            p.drawText(QPointF(20, 40), QStringLiteral("Struck and underlined"));
            p.translate(300, 250);
            p.rotate(-90);
            f.setUnderline(false);
            f.setStrikeOut(false);
            f.setItalic(false);
            p.setFont(f);
            p.drawText(QPointF(0, 0), QStringLiteral("Upwards"));
        };
        const QByteArray emf = record(compose);
        const QList<EmfTextRun> runs = emfTextRuns(emf);
        QCOMPARE(runs.size(), 2);
        QVERIFY(runs[0].italic && runs[0].underline && runs[0].strikeOut);
        QCOMPARE(runs[0].family, QStringLiteral("DejaVu Serif"));
        QCOMPARE(runs[0].angle, 0.0);
        QCOMPARE(runs[1].angle, 90.0);
        QCOMPARE(runs[1].position, QPoint(300, 250));
        // The lines QPainter adds under and through the run are in the font, not extra records.
        QCOMPARE(countOfType(emf, emrPolyline), 0);

        const QImage direct = drawDirect(compose);
        const QImage played = play(emf);
        const QRect top(0, 0, page.width(), 100), side(200, 100, 200, 200);
        QVERIFY2(near(inkBox(direct, top), inkBox(played, top), 1),
                 qPrintable(describe(inkBox(direct, top)) + describe(inkBox(played, top))));
        QVERIFY2(near(inkBox(direct, side), inkBox(played, side), 1),
                 qPrintable(describe(inkBox(direct, side)) + describe(inkBox(played, side))));
        QVERIFY(meanDifference(direct, played, top) < 6);
        // Underline and strike-out are drawn once each: no darker double strokes.
        QVERIFY(std::abs(inkCount(direct, top) - inkCount(played, top)) <=
                inkCount(direct, top) / 20);
    }

    void pointSizedFontKeepsItsWidth() {
        // 10 pt at 96 dpi is 13.33 pixels: the record carries 13, the exact size rides along.
        const auto compose = [](QPainter& p) {
            p.setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
            p.setPen(Qt::black);
            p.drawText(QPointF(10, 30), QStringLiteral("A long line of report text, ten point, "
                                                       "to show any drift."));
        };
        const QByteArray emf = record(compose);
        QCOMPARE(emfTextRuns(emf).value(0).pixelHeight, 13);
        QCOMPARE(countOfType(emf, emrComment), 1);
        const QRect want = inkBox(drawDirect(compose), QRect(QPoint(0, 0), page));
        const QRect got = inkBox(play(emf), QRect(QPoint(0, 0), page));
        QVERIFY2(near(want, got, 1), qPrintable(describe(want) + describe(got)));
    }

    void wrappedTextInABoxAsLaidOut() {
        // Text laid out in a rectangle: word-wrapped, centred, at fractional baselines, with the
        // Thai words in a font that has no Thai, so Qt falls back to a Thai face for them.
        const auto compose = [](QPainter& p) {
            QFont f(QStringLiteral("DejaVu Sans"), 11);
            p.setFont(f);
            p.setPen(Qt::black);
            p.drawText(QRectF(20.5, 20.25, 200, 140), Qt::AlignCenter | Qt::TextWordWrap,
                       QStringLiteral("Steel beam คานเหล็ก under load, the stress ความเค้น "
                                      "in the flange"));
            p.setFont(QFont(QStringLiteral("Garuda"), 9));
            p.drawText(QRectF(250, 20, 200, 140), Qt::AlignRight | Qt::AlignBottom, thai);
        };
        const QByteArray emf = record(compose);
        bool thaiWords = false;
        for (const EmfTextRun& r : emfTextRuns(emf))
            thaiWords |= r.text.contains(QStringLiteral("คานเหล็ก"));
        QVERIFY(thaiWords);
        const QImage direct = drawDirect(compose);
        const QImage played = play(emf);
        for (const QRect& region : {QRect(0, 0, 240, 200), QRect(240, 0, 240, 200)}) {
            const QRect want = inkBox(direct, region), got = inkBox(played, region);
            QVERIFY(!want.isEmpty());
            QVERIFY2(near(want, got, 1), qPrintable(describe(want) + describe(got)));
            QVERIFY(meanDifference(direct, played, region) < 3);
        }
    }

    void headerDescribesThePage() {
        const QByteArray emf = record(composeSample);
        QCOMPARE(u32(emf, 0), 1u);
        QCOMPARE(u32(emf, 40), 0x464D4520u);
        QCOMPARE(qint64(u32(emf, 48)), emf.size());
        const QList<RecordAt> list = records(emf);
        QCOMPARE(u32(emf, 52), quint32(list.size()));
        QCOMPARE(list.last().type, emrEof);
        QCOMPARE(list.last().offset + list.last().size, emf.size());
        // Bounds in pixels, frame in 0.01 mm, both inclusive.
        QCOMPARE(i32(emf, 8), 0);
        QCOMPARE(i32(emf, 12), 0);
        QCOMPARE(i32(emf, 16), page.width() - 1);
        QCOMPARE(i32(emf, 20), page.height() - 1);
        QCOMPARE(i32(emf, 32), 12700 - 1);     // 480 px at 96 dpi = 127 mm
        QCOMPARE(i32(emf, 36), 8467 - 1);      // 320 px = 84.67 mm
        QCOMPARE(i32(emf, 72), page.width());  // reference device in pixels
        QCOMPARE(i32(emf, 80), 127);           // and in millimetres
        // Every object the picture creates has a slot below nHandles.
        const quint32 handles = qFromLittleEndian<quint16>(emf.constData() + 56);
        QVERIFY(handles >= 2);
        for (const RecordAt& r : list)
            if (r.type == emrFont || r.type == 95 || r.type == 39)
                QVERIFY(u32(emf, r.offset + 8) < handles);
        QCOMPARE(emfBounds(emf), QRect(QPoint(0, 0), page));

        EmfPaintDevice a4(QSize(794, 1123));
        QCOMPARE(a4.width(), 794);
        QCOMPARE(a4.height(), 1123);
        QCOMPARE(a4.widthMM(), 210);
        QCOMPARE(a4.heightMM(), 297);
        QCOMPARE(a4.logicalDpiX(), 96);
        QCOMPARE(a4.logicalDpiY(), 96);
        QCOMPARE(a4.physicalDpiX(), 96);
        QCOMPARE(a4.physicalDpiY(), 96);
        QCOMPARE(a4.depth(), 32);
        const QByteArray blank = a4.finish();
        QVERIFY(isValidEmf(blank));
        QCOMPARE(a4.finish(), blank);  // a second call gives the same picture
        {
            QPainter late;
            QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
            QVERIFY(!late.begin(&a4));  // a finished page takes no more painting
        }
        QVERIFY_THROWS_EXCEPTION(ReportError, EmfPaintDevice(QSize(0, 100)));
        QVERIFY_THROWS_EXCEPTION(ReportError, EmfPaintDevice(QSize(100, 20001)));
    }

    void zoomScalesThePicture() {
        const QByteArray emf = record(composeSample);
        const QImage one = play(emf);
        const QImage two = play(emf, page * 2);
        // The shapes land on twice the coordinates.
        // Text is hinted afresh at the larger size, so its edges may move by a page pixel.
        const std::pair<QRect, int> parts[] = {{filledBox, 2},  {hollowBox, 2},   {pictureBox, 2},
                                               {ellipseBox, 2}, {englishText, 4}, {thaiText, 4}};
        for (const auto& [region, tolerance] : parts) {
            const QRect small = inkBox(one, region);
            const QRect big = inkBox(two, QRect(region.topLeft() * 2, region.size() * 2));
            const QRect scaled(small.topLeft() * 2, small.size() * 2);
            QVERIFY2(near(big, scaled, tolerance), qPrintable(describe(scaled) + describe(big)));
        }
        // Brought back to page size, the zoomed picture looks like the page.
        const QImage back = two.scaled(page, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QVERIFY(meanDifference(one, back, QRect(QPoint(0, 0), page)) < 8);

        // A target elsewhere moves the page there and clips to it.
        const QImage moved = play(emf, QSize(600, 400), QRectF(60, 40, 480, 320));
        QCOMPARE(inkBox(moved, filledBox.translated(60, 40)),
                 inkBox(one, filledBox).translated(60, 40));
        QCOMPARE(inkBox(moved, QRect(0, 0, 600, 40)), QRect());
        QCOMPARE(inkBox(moved, QRect(0, 0, 60, 400)), QRect());
    }

    void clipRectsAreKept() {
        const auto compose = [](QPainter& p) {
            p.setClipRect(QRect(50, 50, 100, 60));
            p.fillRect(QRect(0, 0, 300, 300), QColor(40, 40, 200));
            p.setClipping(false);
            p.fillRect(QRect(350, 200, 40, 40), Qt::black);
        };
        const QByteArray emf = record(compose);
        const QImage played = play(emf);
        QCOMPARE(inkBox(played, QRect(0, 0, 320, 320)), QRect(50, 50, 100, 60));
        QCOMPARE(inkBox(played, QRect(320, 0, 160, 320)), QRect(350, 200, 40, 40));
    }

    void transparentPicturesAndHatches() {
        const auto compose = [](QPainter& p) {
            QImage dot(20, 20, QImage::Format_ARGB32);
            dot.fill(Qt::transparent);
            for (int y = 5; y < 15; ++y)
                for (int x = 5; x < 15; ++x)
                    dot.setPixel(x, y, qRgba(200, 0, 0, 255));
            p.fillRect(QRect(10, 10, 100, 100), QColor(0, 0, 200));
            p.drawImage(QRect(10, 10, 100, 100), dot);
            QImage clear(8, 8, QImage::Format_ARGB32);
            clear.fill(Qt::transparent);
            p.drawImage(QRect(10, 90, 20, 20), clear);
            p.setPen(Qt::NoPen);
            p.setBrush(QBrush(Qt::black, Qt::CrossPattern));
            p.drawRect(150, 10, 100, 100);
        };
        const QImage direct = drawDirect(compose);
        const QImage played = play(record(compose));
        QCOMPARE(played.pixel(20, 20), qRgb(0, 0, 200));  // transparent part shows what is below
        QCOMPARE(played.pixel(60, 60), qRgb(200, 0, 0));
        QCOMPARE(played.pixel(20, 100), qRgb(0, 0, 200));  // an all-clear picture hides nothing
        QVERIFY(meanDifference(direct, played, QRect(150, 10, 100, 100)) < 1);
    }

    void unknownRecordsAreSkipped() {
        const QByteArray emf = record(composeSample);
        QByteArray extra(16, '\0');
        setU32(extra, 0, 200);  // no such record type
        setU32(extra, 4, 16);
        const QByteArray longer = withRecordBeforeEnd(emf, extra);
        QString why;
        QVERIFY2(isValidEmf(longer, &why), qPrintable(why));
        QCOMPARE(play(longer), play(emf));
    }

    void damagedPicturesAreRefused_data() {
        QTest::addColumn<QByteArray>("emf");
        const QByteArray good = record(composeSample);
        QVERIFY(isValidEmf(good));
        const qint64 second = u32(good, 4);
        const qint64 dib = firstOfType(good, emrStretchDibits);
        const qint64 bmi = dib + u32(good, dib + 48);
        const qint64 text = firstOfType(good, emrExtTextOutW);
        const qint64 select = firstOfType(good, emrSelectObject);
        QVERIFY(dib > 0 && text > 0 && select > 0);
        auto patched = [&good](qint64 off, quint32 value) {
            QByteArray b = good;
            setU32(b, off, value);
            return b;
        };

        QTest::newRow("empty") << QByteArray();
        QTest::newRow("a few bytes") << QByteArray("EMF?");
        QTest::newRow("not a picture") << QByteArray(200, 'x');
        QTest::newRow("truncated") << good.left(good.size() / 2);
        QByteArray cut = good.left(good.size() / 2);
        setU32(cut, 48, quint32(cut.size()));
        QTest::newRow("truncated, size fixed") << cut;
        QTest::newRow("wrong signature") << patched(40, 0x464D4521);
        QTest::newRow("wrong first record") << patched(0, 2);
        QTest::newRow("nBytes too large") << patched(48, quint32(good.size() + 4));
        QTest::newRow("header size past the end") << patched(4, quint32(good.size() + 8));
        QTest::newRow("record size 0") << patched(second + 4, 0);
        QTest::newRow("record size 4") << patched(second + 4, 4);
        QTest::newRow("record size not a multiple of 4") << patched(second + 4, 14);
        QTest::newRow("record size past the end") << patched(second + 4, 0x7ffffff0);
        QTest::newRow("record size wraps") << patched(second + 4, 0xfffffff8);
        QByteArray noEnd = good.left(good.size() - 20);
        setU32(noEnd, 48, quint32(noEnd.size()));
        setU32(noEnd, 52, u32(noEnd, 52) - 1);
        QTest::newRow("no end record") << noEnd;
        QTest::newRow("record count wrong") << patched(52, u32(good, 52) + 1);
        QTest::newRow("zero page") << patched(16, quint32(-5));
        QTest::newRow("bitmap wider than 20000") << patched(bmi + 4, 100000);
        QByteArray huge = patched(bmi + 4, 15000);
        setU32(huge, bmi + 8, 15000);
        QTest::newRow("bitmap of 225 million pixels") << huge;
        setU32(huge, bmi + 16, 5);  // said to be PNG: no row data to measure, only the size
        QTest::newRow("compressed bitmap of 225 million pixels") << huge;
        QTest::newRow("bitmap taller than its data") << patched(bmi + 8, 1000);
        QTest::newRow("bitmap negative width") << patched(bmi + 4, quint32(-40));
        QTest::newRow("bitmap data outside") << patched(dib + 60, 0x7fffffff);
        QTest::newRow("bitmap header outside") << patched(dib + 48, 0xfffffff0);
        QTest::newRow("bitmap bit count") << patched(bmi + 12, 7u << 16 | 1);
        QTest::newRow("text longer than its record") << patched(text + 44, 100000);
        QTest::newRow("text offset outside") << patched(text + 48, 0x7ffffffc);
        QTest::newRow("spacing outside") << patched(text + 72, u32(good, text + 4) - 4);
        QTest::newRow("object past the table") << patched(select + 8, 60000);
        QTest::newRow("object zero") << patched(select + 8, 0);
        QByteArray shortText(16, '\0');
        setU32(shortText, 0, emrExtTextOutW);
        setU32(shortText, 4, 16);
        QTest::newRow("text record too short") << withRecordBeforeEnd(good, shortText);
        QByteArray clip(32, '\0');
        setU32(clip, 0, 75);
        setU32(clip, 4, 32);
        setU32(clip, 8, 16);
        QTest::newRow("clip region too short") << withRecordBeforeEnd(good, clip);
        QByteArray manyPoints(36, '\0');
        setU32(manyPoints, 0, emrPolyline);
        setU32(manyPoints, 4, 36);
        setU32(manyPoints, 24, 0x20000000);
        QTest::newRow("points past the record") << withRecordBeforeEnd(good, manyPoints);
        QByteArray afterEnd = good + QByteArray(8, '\0');
        setU32(afterEnd, good.size(), 200);
        setU32(afterEnd, good.size() + 4, 8);
        setU32(afterEnd, 48, quint32(afterEnd.size()));
        setU32(afterEnd, 52, u32(afterEnd, 52) + 1);
        QTest::newRow("record after the end") << afterEnd;
    }

    void damagedPicturesAreRefused() {
        QFETCH(QByteArray, emf);
        QString why;
        QVERIFY(!isValidEmf(emf, &why));
        QVERIFY(!why.isEmpty());
        QVERIFY(emfBounds(emf).isEmpty());
        QVERIFY(emfTextRuns(emf).isEmpty());
        QImage img = whitePage(QSize(120, 80));
        const QImage before = img;
        {
            QPainter p(&img);
            QString reason;
            QVERIFY(!playEmf(emf, p, img.rect(), &reason));
            QCOMPARE(reason, why);
        }
        QCOMPARE(img, before);  // nothing drawn
    }

    void randomDamageNeverCrashes() {
        // Damaged copies of a real page, and pages with made-up records of every type the player
        // reads, valid or not: nothing may crash, hang or read outside the picture (run this
        // suite under the sanitizer build to see the last), and whatever isValidEmf accepts
        // plays. LEXIVORE_EMF_FUZZ_ROUNDS asks for a longer run.
        const QByteArray good = record(composeSample);
        const int rounds = qEnvironmentVariableIsSet("LEXIVORE_EMF_FUZZ_ROUNDS")
                               ? qEnvironmentVariableIntValue("LEXIVORE_EMF_FUZZ_ROUNDS")
                               : 3000;
        const quint32 types[] = {2,  3,  4,  5,  6,  7,  8,  15, 18, 19, 22, 24, 27, 37, 38,
                                 39, 40, 42, 43, 44, 54, 59, 60, 61, 62, 63, 64, 68, 70, 75,
                                 81, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 95, 120};
        QRandomGenerator random(20240611);
        QImage img = whitePage(QSize(96, 64));
        QPainter p(&img);
        int valid = 0;
        for (int round = 0; round < rounds; ++round) {
            QByteArray b = good;
            if (random.bounded(3) == 0) {
                // A made-up record: small numbers mostly, so that many pass the checks.
                const int words = 2 + int(random.bounded(40));
                QByteArray extra(words * 4, '\0');
                setU32(extra, 0, types[random.bounded(int(std::size(types)))]);
                setU32(extra, 4, quint32(extra.size()));
                for (int w = 2; w < words; ++w) {
                    const quint32 v =
                        random.bounded(4) == 0 ? random.generate() : quint32(random.bounded(48));
                    setU32(extra, w * 4, v);
                }
                b = withRecordBeforeEnd(b, extra);
            } else {
                const int changes = 1 + int(random.bounded(6));
                for (int k = 0; k < changes; ++k) {
                    const qint64 off = random.bounded(b.size() / 4) * 4;
                    switch (random.bounded(4)) {
                        case 0:
                            b[off + random.bounded(4)] = char(random.bounded(256));
                            break;
                        case 1:
                            setU32(b, off, random.generate());
                            break;
                        case 2:
                            setU32(b, off, quint32(random.bounded(2) ? 0x7fffffff : 0x80000000));
                            break;
                        default:
                            setU32(b, off, quint32(random.bounded(64)));
                            break;
                    }
                }
                if (random.bounded(8) == 0)
                    b.truncate(random.bounded(b.size()));
            }
            const bool ok = isValidEmf(b);
            valid += ok;
            QCOMPARE(playEmf(b, p, QRectF(0, 0, 96, 64)), ok);
            emfTextRuns(b);
        }
        qInfo() << valid << "of" << rounds << "damaged pictures were still valid";
    }
};

QTEST_MAIN(TestEmf)
#include "test_emf.moc"
