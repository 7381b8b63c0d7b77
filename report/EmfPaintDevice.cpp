#include "report/EmfPaintDevice.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGradient>
#include <QHash>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRegion>
#include <QTextItem>
#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>

#include "report/EmfPenStyle.h"
#include "report/ReportError.h"

#include <uemf.h>

namespace lex {

namespace {

static_assert(QSysInfo::ByteOrder == QSysInfo::LittleEndian,
              "the EMF records are built in memory in the file's byte order");

// libuemf keeps the growing picture in memory and writes it to a named file when it is finished;
// pages live in memory, so the file is the null device and the bytes are taken from its buffer.
constexpr const char* nullDevice = "/dev/null";

// A source picture is kept at most this many times larger than the place it is drawn in.
constexpr int oversample = 4;
constexpr qint64 maxDibPixels = 100'000'000;

// The tags of the comments that carry a font's exact pixel size and a text run's exact reference
// point (see EmfPaintDevice.h).
constexpr char fontSizeTag[4] = {'L', 'X', 'f', 's'};
constexpr char textPointTag[4] = {'L', 'X', 't', 'p'};

int whole(qreal v) {
    if (!std::isfinite(v))
        return 0;
    return int(std::lround(std::clamp(v, -1.0e9, 1.0e9)));
}

U_POINTL pointL(const QPointF& p) {
    return point32_set(whole(p.x()), whole(p.y()));
}

U_RECTL rectL(int left, int top, int right, int bottom) {
    return rectl_set(point32_set(left, top), point32_set(right, bottom));
}

U_COLORREF colorRef(QRgb rgb) {
    return colorref3_set(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

// The one colour that stands for a brush that is not a plain colour.
QColor flatColor(const QBrush& brush) {
    switch (brush.style()) {
        case Qt::LinearGradientPattern:
        case Qt::RadialGradientPattern:
        case Qt::ConicalGradientPattern: {
            const QGradient* g = brush.gradient();
            if (!g || g->stops().isEmpty())
                return brush.color();
            qreal r = 0, gr = 0, b = 0, a = 0;
            for (const QGradientStop& stop : g->stops()) {
                r += stop.second.redF();
                gr += stop.second.greenF();
                b += stop.second.blueF();
                a += stop.second.alphaF();
            }
            const qreal n = g->stops().size();
            return QColor::fromRgbF(float(r / n), float(gr / n), float(b / n), float(a / n));
        }
        case Qt::TexturePattern: {
            const QImage texture = brush.textureImage();
            if (texture.isNull())
                return brush.color();
            return texture.convertToFormat(QImage::Format_ARGB32)
                .scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .pixelColor(0, 0);
        }
        default:
            return brush.color();
    }
}

// How much the transform enlarges an area, as a length factor.
qreal lengthScale(const QTransform& t) {
    return std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
}

U_RECTL boundsOf(const QVector<U_POINTL>& points) {
    if (points.isEmpty())
        return rectL(0, 0, -1, -1);
    int l = points[0].x, t = points[0].y, r = l, b = t;
    for (const U_POINTL& p : points) {
        l = std::min(l, int(p.x));
        r = std::max(r, int(p.x));
        t = std::min(t, int(p.y));
        b = std::max(b, int(p.y));
    }
    return rectL(l, t, r, b);
}

U_RECTL boundsOf(const QRectF& r) {
    return rectL(whole(r.left()), whole(r.top()), whole(r.right()), whole(r.bottom()));
}

struct PenKey {
    quint32 style = U_PS_NULL;  // the whole elpPenStyle: type, caps, join and dash style
    quint32 width = 0;
    QRgb color = 0;
    QVector<quint32> dashes;
    bool operator==(const PenKey&) const = default;
};

struct BrushKey {
    quint32 style = U_BS_NULL;
    QRgb color = 0;
    quint32 hatch = 0;
    bool operator==(const BrushKey&) const = default;
};

struct FontKey {
    QString family;
    qint32 height = 0;  // em height in page pixels, as a positive number
    float exact = 0;    // the exact height when it is not a whole number, else 0
    qint32 weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    qint32 escapement = 0;  // tenths of a degree, counter-clockwise
    quint8 charset = U_DEFAULT_CHARSET;
    bool operator==(const FontKey&) const = default;
};

// The character set a font record names: Thai for a face that writes Thai, as the platform's own
// pictures name it, so that a reader picks a Thai face for the text.
quint8 charsetOf(const QString& family) {
    static QHash<QString, quint8> known;
    const auto it = known.constFind(family);
    if (it != known.constEnd())
        return *it;
    const bool thai = QFontDatabase::writingSystems(family).contains(QFontDatabase::Thai);
    return *known.insert(family, thai ? quint8(U_THAI_CHARSET) : quint8(U_DEFAULT_CHARSET));
}

PenKey penKeyFor(const QPen& pen, const QTransform& xf) {
    PenKey key;
    const QColor color = flatColor(pen.brush());
    if (pen.style() == Qt::NoPen || pen.brush().style() == Qt::NoBrush || color.alpha() == 0)
        return key;
    key.color = color.rgb();
    const qreal w = pen.widthF() * (pen.isCosmetic() ? 1.0 : lengthScale(xf));
    key.width = pen.widthF() <= 0 ? 0 : quint32(std::max(1, whole(w)));

    quint32 style = U_PS_GEOMETRIC | emfCapAndJoin(pen);
    switch (pen.style()) {
        case Qt::DashLine:
            style |= U_PS_DASH;
            break;
        case Qt::DotLine:
            style |= U_PS_DOT;
            break;
        case Qt::DashDotLine:
            style |= U_PS_DASHDOT;
            break;
        case Qt::DashDotDotLine:
            style |= U_PS_DASHDOTDOT;
            break;
        case Qt::CustomDashLine: {
            // Qt counts dashes in pen widths; the picture counts them in page pixels.
            const qreal unit = std::max<qreal>(1.0, key.width);
            for (qreal d : pen.dashPattern())
                key.dashes.append(quint32(std::clamp(whole(d * unit), 1, 1'000'000)));
            if (key.dashes.size() % 2)
                key.dashes.append(key.dashes.last());
            style |= key.dashes.isEmpty() ? U_PS_SOLID : U_PS_USERSTYLE;
            break;
        }
        default:
            style |= U_PS_SOLID;
            break;
    }
    key.style = style;
    return key;
}

BrushKey brushKeyFor(const QBrush& brush) {
    BrushKey key;
    const QColor color = flatColor(brush);
    if (brush.style() == Qt::NoBrush || color.alpha() == 0)
        return key;
    key.color = color.rgb();
    key.style = U_BS_SOLID;
    auto hatch = [&key](quint32 h) {
        key.style = U_BS_HATCHED;
        key.hatch = h;
    };
    switch (brush.style()) {
        case Qt::HorPattern:
            hatch(U_HS_HORIZONTAL);
            break;
        case Qt::VerPattern:
            hatch(U_HS_VERTICAL);
            break;
        case Qt::CrossPattern:
            hatch(U_HS_CROSS);
            break;
        case Qt::BDiagPattern:
            hatch(U_HS_BDIAGONAL);
            break;
        case Qt::FDiagPattern:
            hatch(U_HS_FDIAGONAL);
            break;
        case Qt::DiagCrossPattern:
            hatch(U_HS_DIAGCROSS);
            break;
        default:
            break;
    }
    return key;
}

// The width of each UTF-16 unit of a run for the EMR_EXTTEXTOUTW spacing array, in page pixels,
// summing to the run's width: a combining mark and the second half of a surrogate pair get 0.
QVector<quint32> characterSpacing(const QString& text, const QFont& font,
                                  const QPaintDevice* device, qreal runWidth) {
    const QFontMetricsF fm(font, device);
    QVector<qreal> advance(text.size(), 0.0);
    qreal sum = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        qreal a = 0;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            a = fm.horizontalAdvance(text.mid(i, 2));
            advance[i] = a;
            ++i;
        } else if (!c.isMark()) {
            a = fm.horizontalAdvance(c);
            advance[i] = a;
        }
        sum += a;
    }
    const qreal factor = sum > 0 ? runWidth / sum : 0.0;
    QVector<quint32> dx(text.size(), 0);
    qreal x = 0;
    int placed = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        x += advance[i] * factor;
        const int next = std::max(placed, whole(x));
        dx[i] = quint32(next - placed);
        placed = next;
    }
    return dx;
}

}  // namespace

class EmfPaintEngine : public QPaintEngine {
  public:
    explicit EmfPaintEngine(const QSize& page);
    ~EmfPaintEngine() override;

    bool begin(QPaintDevice* device) override;
    bool end() override;
    void updateState(const QPaintEngineState& state) override;

    using QPaintEngine::drawEllipse;
    using QPaintEngine::drawLines;
    using QPaintEngine::drawPoints;
    using QPaintEngine::drawPolygon;
    using QPaintEngine::drawRects;
    void drawRects(const QRectF* rects, int count) override;
    void drawLines(const QLineF* lines, int count) override;
    void drawEllipse(const QRectF& rect) override;
    void drawPath(const QPainterPath& path) override;
    void drawPoints(const QPointF* points, int count) override;
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override;
    void drawPixmap(const QRectF& target, const QPixmap& pixmap, const QRectF& source) override;
    void drawImage(const QRectF& target, const QImage& image, const QRectF& source,
                   Qt::ImageConversionFlags flags) override;
    void drawTextItem(const QPointF& p, const QTextItem& item) override;
    Type type() const override { return QPaintEngine::User; }

    QByteArray finish();

  private:
    // The lines QPainter draws right after an underlined or struck-out run: the font record
    // already says so, and the player's text drawing draws them.
    struct Decoration {
        bool pending = false;
        QTransform xf;
        qreal left = 0, right = 0, baseline = 0, ascent = 0, descent = 0;
        bool underline = false, strikeOut = false;
    };

    bool writable() const { return track_ && finished_.isNull(); }
    void append(char* record);
    void startShape();
    bool isDecoration(const QLineF& line);
    void selectPen(const PenKey& key);
    void selectBrush(const BrushKey& key);
    void selectFont(const FontKey& key);
    void setTextColor(QRgb color);
    void setFillMode(Qt::FillRule rule);
    void writeClip();
    void writePolyline(const QVector<U_POINTL>& points);
    void writePolygon(const QVector<U_POINTL>& points);
    void writePath(const QPainterPath& devicePath, bool stroke, bool fill);
    void writePicture(const QRectF& target, QImage image);
    void writeDib(const QRect& dest, QImage image);
    bool strokes() const;
    bool fills() const;

    QSize page_;
    EMFTRACK* track_ = nullptr;
    EMFHANDLES* handles_ = nullptr;
    QByteArray finished_;

    QPen pen_;
    QBrush brush_;
    QTransform xf_;
    bool clipDirty_ = false;
    bool clipWritten_ = false;

    PenKey pen0_;
    quint32 penHandle_ = 0;  // 0: none of ours selected (the stock null pen or nothing yet)
    bool penChosen_ = false;
    BrushKey brush0_;
    quint32 brushHandle_ = 0;
    bool brushChosen_ = false;
    FontKey font0_;
    quint32 fontHandle_ = 0;
    QRgb textColor_ = 0;
    bool textColorSet_ = false;
    quint32 fillMode_ = U_ALTERNATE;
    Decoration decoration_;
};

EmfPaintEngine::EmfPaintEngine(const QSize& page) : QPaintEngine(AllFeatures), page_(page) {
    if (emf_start(nullDevice, 1 << 16, 1 << 16, &track_) != 0 || !track_)
        throw ReportError(
            QStringLiteral("Cannot start a page picture: libuemf could not open its "
                           "output."));
    if (emf_htable_create(128, 128, &handles_) != 0 || !handles_) {
        emf_free(&track_);
        throw ReportError(QStringLiteral("Cannot start a page picture: out of memory."));
    }

    const int w = page.width(), h = page.height();
    const U_RECTL bounds = rectL(0, 0, w - 1, h - 1);
    const U_RECTL frame = rectL(0, 0, int(std::lround(w * 2540.0 / EmfPaintDevice::dpi)) - 1,
                                int(std::lround(h * 2540.0 / EmfPaintDevice::dpi)) - 1);
    const U_SIZEL mm = sizel_set(int(std::lround(w * 25.4 / EmfPaintDevice::dpi)),
                                 int(std::lround(h * 25.4 / EmfPaintDevice::dpi)));
    const QString description =
        QStringLiteral("Lexivore") + QChar(0) + QStringLiteral("Report page") + QChar(0) + QChar(0);
    QVector<uint16_t> text(description.size());
    std::memcpy(text.data(), description.utf16(), size_t(description.size()) * 2);
    char* header = U_EMRHEADER_set(bounds, frame, nullptr, U_CBSTR(text.size()), text.data(),
                                   sizel_set(w, h), mm, 0);
    if (header) {
        auto* hr = reinterpret_cast<U_EMRHEADER*>(header);
        hr->szlMicrometers = sizel_set(int(std::lround(w * 25400.0 / EmfPaintDevice::dpi)),
                                       int(std::lround(h * 25400.0 / EmfPaintDevice::dpi)));
    }
    append(header);
    append(U_EMRSETBKMODE_set(U_TRANSPARENT));
    append(U_EMRSETTEXTALIGN_set(U_TA_BASELINE | U_TA_LEFT | U_TA_NOUPDATECP));
    append(U_EMRSETPOLYFILLMODE_set(U_ALTERNATE));
}

EmfPaintEngine::~EmfPaintEngine() {
    if (track_) {
        if (track_->fp) {
            std::fclose(track_->fp);
            track_->fp = nullptr;
        }
        emf_free(&track_);
    }
    if (handles_)
        emf_htable_free(&handles_);
}

void EmfPaintEngine::append(char* record) {
    if (!record)
        return;  // libuemf refused the arguments or ran out of memory: the record is left out
    if (!writable()) {
        std::free(record);
        return;
    }
    emf_append(reinterpret_cast<U_ENHMETARECORD*>(record), track_, 1);
}

bool EmfPaintEngine::begin(QPaintDevice*) {
    if (!writable())
        return false;
    // A new painter starts without a clip; an earlier session's clip may still be in the picture.
    clipDirty_ = true;
    decoration_.pending = false;
    return true;
}

bool EmfPaintEngine::end() {
    decoration_.pending = false;
    return true;
}

void EmfPaintEngine::updateState(const QPaintEngineState& state) {
    const DirtyFlags flags = state.state();
    if (flags & DirtyPen)
        pen_ = state.pen();
    if (flags & DirtyBrush)
        brush_ = state.brush();
    if (flags & DirtyTransform)
        xf_ = state.transform();
    if (flags & (DirtyClipRegion | DirtyClipPath | DirtyClipEnabled))
        clipDirty_ = true;
}

bool EmfPaintEngine::strokes() const {
    return penKeyFor(pen_, xf_).style != U_PS_NULL;
}

bool EmfPaintEngine::fills() const {
    return brushKeyFor(brush_).style != U_BS_NULL;
}

void EmfPaintEngine::startShape() {
    decoration_.pending = false;
    if (clipDirty_)
        writeClip();
}

void EmfPaintEngine::selectPen(const PenKey& key) {
    if (penChosen_ && key == pen0_)
        return;
    quint32 handle = 0;
    if (key.style == U_PS_NULL) {
        append(selectobject_set(U_NULL_PEN, handles_));
    } else {
        PU_EXTLOGPEN elp = extlogpen_set(
            key.style, key.width, U_BS_SOLID, colorRef(key.color), 0,
            U_NUM_STYLEENTRY(key.dashes.size()),
            key.dashes.isEmpty() ? nullptr : const_cast<U_STYLEENTRY*>(key.dashes.constData()));
        if (!elp)
            return;
        append(extcreatepen_set(&handle, handles_, nullptr, 0, nullptr, elp));
        std::free(elp);
        append(selectobject_set(handle, handles_));
    }
    if (penHandle_)
        append(deleteobject_set(&penHandle_, handles_));
    penHandle_ = handle;
    pen0_ = key;
    penChosen_ = true;
}

void EmfPaintEngine::selectBrush(const BrushKey& key) {
    if (brushChosen_ && key == brush0_)
        return;
    quint32 handle = 0;
    if (key.style == U_BS_NULL) {
        append(selectobject_set(U_NULL_BRUSH, handles_));
    } else {
        append(createbrushindirect_set(
            &handle, handles_, logbrush_set(key.style, colorRef(key.color), int32_t(key.hatch))));
        append(selectobject_set(handle, handles_));
    }
    if (brushHandle_)
        append(deleteobject_set(&brushHandle_, handles_));
    brushHandle_ = handle;
    brush0_ = key;
    brushChosen_ = true;
}

void EmfPaintEngine::selectFont(const FontKey& key) {
    if (fontHandle_ && key == font0_)
        return;
    if (key.exact > 0) {
        char data[8];
        std::memcpy(data, fontSizeTag, 4);
        qToLittleEndian<float>(key.exact, data + 4);
        append(U_EMRCOMMENT_set(sizeof data, data));
    }
    uint16_t face[U_LF_FACESIZE] = {};
    const QString family = key.family.left(U_LF_FACESIZE - 1);
    std::memcpy(face, family.utf16(), size_t(family.size()) * 2);
    const U_LOGFONT lf = logfont_set(-key.height, 0, key.escapement, key.escapement, key.weight,
                                     key.italic, key.underline, key.strikeOut, key.charset,
                                     U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS,
                                     U_ANTIALIASED_QUALITY, U_DEFAULT_PITCH | U_FF_DONTCARE, face);
    quint32 handle = 0;
    append(
        extcreatefontindirectw_set(&handle, handles_, reinterpret_cast<const char*>(&lf), nullptr));
    append(selectobject_set(handle, handles_));
    if (fontHandle_)
        append(deleteobject_set(&fontHandle_, handles_));
    fontHandle_ = handle;
    font0_ = key;
}

void EmfPaintEngine::setTextColor(QRgb color) {
    if (textColorSet_ && color == textColor_)
        return;
    append(U_EMRSETTEXTCOLOR_set(colorRef(color)));
    textColor_ = color;
    textColorSet_ = true;
}

void EmfPaintEngine::setFillMode(Qt::FillRule rule) {
    const quint32 mode = rule == Qt::WindingFill ? U_WINDING : U_ALTERNATE;
    if (mode == fillMode_)
        return;
    append(U_EMRSETPOLYFILLMODE_set(mode));
    fillMode_ = mode;
}

void EmfPaintEngine::writeClip() {
    clipDirty_ = false;
    QPainter* p = painter();
    if (!p || !p->hasClipping()) {
        if (clipWritten_) {
            // ExtSelectClipRgn(NULL, RGN_COPY): back to no clipping. libuemf builds no such
            // record, so it is laid out here: type, size, cbRgnData 0, iMode.
            auto* record = static_cast<char*>(std::malloc(16));
            if (!record)
                return;
            qToLittleEndian<quint32>(U_EMR_EXTSELECTCLIPRGN, record);
            qToLittleEndian<quint32>(16, record + 4);
            qToLittleEndian<quint32>(0, record + 8);
            qToLittleEndian<quint32>(U_RGN_COPY, record + 12);
            append(record);
            clipWritten_ = false;
        }
        return;
    }
    const QPainterPath device = xf_.map(p->clipPath());
    const QPolygonF outline = device.toFillPolygon();
    const QRectF box = outline.boundingRect();
    bool isRect = device.elementCount() <= 5 && outline.size() <= 5;
    for (const QPointF& pt : outline) {
        if ((pt.x() != box.left() && pt.x() != box.right()) ||
            (pt.y() != box.top() && pt.y() != box.bottom()))
            isRect = false;
    }
    QRegion region;
    if (isRect) {
        const int l = whole(box.left()), t = whole(box.top());
        region = QRegion(l, t, whole(box.right()) - l, whole(box.bottom()) - t);
    } else {
        region = QRegion(outline.toPolygon(), device.fillRule());
    }
    QVector<U_RECTL> rects;
    for (const QRect& r : region)
        rects.append(rectL(r.left(), r.top(), r.right() + 1, r.bottom() + 1));
    const QRect b = region.boundingRect();
    U_RECTL dummy = rectL(0, 0, 0, 0);
    PU_RGNDATA data =
        rgndata_set(rgndataheader_set(U_NUM_RECTL(rects.size()),
                                      rectL(b.left(), b.top(), b.right() + 1, b.bottom() + 1)),
                    rects.isEmpty() ? &dummy : rects.data());
    if (!data)
        return;
    append(U_EMREXTSELECTCLIPRGN_set(U_RGN_COPY, data));
    std::free(data);
    clipWritten_ = true;
}

void EmfPaintEngine::writePolyline(const QVector<U_POINTL>& points) {
    if (points.size() < 2)
        return;
    append(U_EMRPOLYLINE_set(boundsOf(points), uint32_t(points.size()), points.constData()));
}

void EmfPaintEngine::writePolygon(const QVector<U_POINTL>& points) {
    if (points.size() < 2)
        return;
    append(U_EMRPOLYGON_set(boundsOf(points), uint32_t(points.size()), points.constData()));
}

void EmfPaintEngine::drawRects(const QRectF* rects, int count) {
    if (!writable())
        return;
    startShape();
    const bool stroke = strokes(), fill = fills();
    if (!stroke && !fill)
        return;
    selectPen(penKeyFor(pen_, xf_));
    selectBrush(brushKeyFor(brush_));
    for (int i = 0; i < count; ++i) {
        if (xf_.type() <= QTransform::TxScale) {
            const QRectF d = xf_.mapRect(rects[i].normalized());
            append(U_EMRRECTANGLE_set(boundsOf(d)));
        } else {
            setFillMode(Qt::OddEvenFill);
            const QPolygonF poly = xf_.map(QPolygonF(rects[i]));
            QVector<U_POINTL> points;
            for (int k = 0; k < 4; ++k)
                points.append(pointL(poly.at(k)));
            writePolygon(points);
        }
    }
}

bool EmfPaintEngine::isDecoration(const QLineF& line) {
    Decoration& d = decoration_;
    if (!d.pending || xf_ != d.xf || std::abs(line.y1() - line.y2()) > 0.01)
        return false;
    const qreal y = line.y1();
    if (std::min(line.x1(), line.x2()) < d.left - 1.5 ||
        std::max(line.x1(), line.x2()) > d.right + 1.5)
        return false;
    if (d.underline && y > d.baseline - 0.5 && y <= d.baseline + d.descent + 1) {
        d.underline = false;
        return true;
    }
    if (d.strikeOut && y < d.baseline && y > d.baseline - d.ascent * 0.75) {
        d.strikeOut = false;
        return true;
    }
    return false;
}

void EmfPaintEngine::drawLines(const QLineF* lines, int count) {
    if (!writable())
        return;
    for (int i = 0; i < count; ++i) {
        if (isDecoration(lines[i]))
            continue;
        startShape();
        if (!strokes())
            return;
        selectPen(penKeyFor(pen_, xf_));
        writePolyline({pointL(xf_.map(lines[i].p1())), pointL(xf_.map(lines[i].p2()))});
    }
}

void EmfPaintEngine::drawEllipse(const QRectF& rect) {
    if (!writable())
        return;
    if (xf_.type() > QTransform::TxScale) {
        QPainterPath path;
        path.addEllipse(rect);
        drawPath(path);
        return;
    }
    startShape();
    if (!strokes() && !fills())
        return;
    selectPen(penKeyFor(pen_, xf_));
    selectBrush(brushKeyFor(brush_));
    append(U_EMRELLIPSE_set(boundsOf(xf_.mapRect(rect.normalized()))));
}

void EmfPaintEngine::drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) {
    if (!writable() || count < 2)
        return;
    startShape();
    QVector<U_POINTL> device;
    device.reserve(count);
    for (int i = 0; i < count; ++i)
        device.append(pointL(xf_.map(points[i])));
    if (mode == PolylineMode) {
        if (!strokes())
            return;
        selectPen(penKeyFor(pen_, xf_));
        writePolyline(device);
        return;
    }
    if (!strokes() && !fills())
        return;
    selectPen(penKeyFor(pen_, xf_));
    selectBrush(brushKeyFor(brush_));
    if (mode != ConvexMode)
        setFillMode(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    writePolygon(device);
}

void EmfPaintEngine::drawPath(const QPainterPath& path) {
    if (!writable() || path.isEmpty())
        return;
    startShape();
    const bool stroke = strokes(), fill = fills();
    if (!stroke && !fill)
        return;
    selectPen(penKeyFor(pen_, xf_));
    selectBrush(brushKeyFor(brush_));
    setFillMode(path.fillRule());
    writePath(xf_.map(path), stroke, fill);
}

void EmfPaintEngine::writePath(const QPainterPath& path, bool stroke, bool fill) {
    append(U_EMRBEGINPATH_set());
    // Consecutive lines go into one POLYLINETO, consecutive curves into one POLYBEZIERTO.
    enum class Run { none, lines, curves };
    Run kind = Run::none;
    QVector<U_POINTL> run;
    U_POINTL start{0, 0}, last{0, 0};
    int figurePoints = 0;
    auto flush = [&] {
        if (kind == Run::lines)
            append(U_EMRPOLYLINETO_set(boundsOf(run), uint32_t(run.size()), run.constData()));
        else if (kind == Run::curves)
            append(U_EMRPOLYBEZIERTO_set(boundsOf(run), uint32_t(run.size()), run.constData()));
        run.clear();
        kind = Run::none;
    };
    auto extend = [&](Run k, const U_POINTL& pt) {
        if (kind != k)
            flush();
        kind = k;
        run.append(pt);
        last = pt;
        ++figurePoints;
    };
    auto endFigure = [&] {
        flush();
        if (figurePoints > 1 && last.x == start.x && last.y == start.y)
            append(U_EMRCLOSEFIGURE_set());
        figurePoints = 0;
    };
    const int n = path.elementCount();
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element& e = path.elementAt(i);
        const U_POINTL pt = pointL(QPointF(e.x, e.y));
        if (e.type == QPainterPath::MoveToElement) {
            endFigure();
            append(U_EMRMOVETOEX_set(pt));
            start = last = pt;
            figurePoints = 1;
        } else if (e.type == QPainterPath::CurveToElement && i + 2 < n &&
                   path.elementAt(i + 1).type == QPainterPath::CurveToDataElement &&
                   path.elementAt(i + 2).type == QPainterPath::CurveToDataElement) {
            extend(Run::curves, pt);
            for (int k = 1; k <= 2; ++k) {
                const QPainterPath::Element& c = path.elementAt(i + k);
                extend(Run::curves, pointL(QPointF(c.x, c.y)));
            }
            i += 2;
        } else {
            extend(Run::lines, pt);
        }
    }
    endFigure();
    append(U_EMRENDPATH_set());
    const QRect box = path.controlPointRect().toAlignedRect();
    const U_RECTL bounds = rectL(box.left(), box.top(), box.right(), box.bottom());
    if (stroke && fill)
        append(U_EMRSTROKEANDFILLPATH_set(bounds));
    else if (fill)
        append(U_EMRFILLPATH_set(bounds));
    else
        append(U_EMRSTROKEPATH_set(bounds));
}

void EmfPaintEngine::drawPoints(const QPointF* points, int count) {
    if (!writable())
        return;
    startShape();
    const PenKey key = penKeyFor(pen_, xf_);
    if (key.style == U_PS_NULL)
        return;
    for (int i = 0; i < count; ++i) {
        const QPointF c = xf_.map(points[i]);
        if (key.width <= 1) {
            append(U_EMRSETPIXELV_set(pointL(QPointF(std::floor(c.x()), std::floor(c.y()))),
                                      colorRef(key.color)));
            continue;
        }
        // A wide point is a dot of the pen's width: round for a round cap, else square.
        selectPen(PenKey{});
        selectBrush(BrushKey{U_BS_SOLID, key.color, 0});
        const qreal r = key.width / 2.0;
        const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
        if ((key.style & U_PS_ENDCAP_MASK) == U_PS_ENDCAP_ROUND)
            append(U_EMRELLIPSE_set(boundsOf(box)));
        else
            append(U_EMRRECTANGLE_set(boundsOf(box)));
    }
}

void EmfPaintEngine::drawPixmap(const QRectF& target, const QPixmap& pixmap, const QRectF& source) {
    if (!writable() || pixmap.isNull())
        return;
    startShape();
    const QRect s = source.toAlignedRect();
    QImage image = pixmap.toImage();
    writePicture(target, s == image.rect() ? image : image.copy(s));
}

void EmfPaintEngine::drawImage(const QRectF& target, const QImage& image, const QRectF& source,
                               Qt::ImageConversionFlags) {
    if (!writable() || image.isNull())
        return;
    startShape();
    const QRect s = source.toAlignedRect();
    writePicture(target, s == image.rect() ? image : image.copy(s));
}

void EmfPaintEngine::writePicture(const QRectF& target, QImage image) {
    if (image.isNull() || target.isEmpty())
        return;
    if (xf_.type() <= QTransform::TxScale) {
        const QRectF d = xf_.mapRect(target);
        const bool flipX = xf_.m11() < 0, flipY = xf_.m22() < 0;
        if (flipX || flipY)
            image = image.mirrored(flipX, flipY);
        const int l = whole(d.left()), t = whole(d.top());
        writeDib(QRect(l, t, whole(d.right()) - l, whole(d.bottom()) - t), image);
        return;
    }
    // Rotated or sheared: draw it upright into its bounding box on the page first.
    const QRect box = xf_.map(QPolygonF(target))
                          .boundingRect()
                          .toAlignedRect()
                          .intersected(QRect(QPoint(0, 0), page_));
    if (box.isEmpty())
        return;
    QImage canvas(box.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setTransform(xf_ * QTransform::fromTranslate(-box.x(), -box.y()));
        p.drawImage(target, image);
    }
    writeDib(box, canvas);
}

void EmfPaintEngine::writeDib(const QRect& dest, QImage image) {
    if (dest.width() <= 0 || dest.height() <= 0 || image.isNull())
        return;
    // Keep no more detail than a fourfold zoom of the page can show, and stay inside what the
    // player accepts.
    int w = std::min(image.width(), std::min(dest.width() * oversample, EmfPaintDevice::maxSide));
    int h = std::min(image.height(), std::min(dest.height() * oversample, EmfPaintDevice::maxSide));
    if (qint64(w) * h > maxDibPixels / 2) {
        const double f = std::sqrt(double(maxDibPixels / 2) / (double(w) * h));
        w = std::max(1, int(w * f));
        h = std::max(1, int(h * f));
    }
    if (w != image.width() || h != image.height())
        image = image.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    bool alpha = false;
    if (image.hasAlphaChannel()) {
        image = image.convertToFormat(QImage::Format_ARGB32);
        bool visible = false;
        for (int y = 0; y < h; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < w; ++x) {
                alpha |= qAlpha(line[x]) != 255;
                visible |= qAlpha(line[x]) != 0;
            }
        }
        // Readers take a 32-bit DIB whose alpha bytes are all 0 for an opaque one.
        if (!visible)
            return;
    }
    // In memory, Format_ARGB32 is B, G, R, A and Format_BGR888 is B, G, R, both with rows padded
    // to four bytes: the layout of a 32- and a 24-bit DIB row.
    image = image.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_BGR888);
    const int bits = alpha ? 32 : 24;
    const qsizetype stride = ((qsizetype(w) * bits + 31) / 32) * 4;
    QByteArray px(stride * h, '\0');
    const qsizetype rowBytes = qsizetype(w) * (bits / 8);
    for (int y = 0; y < h; ++y)  // bottom-up: the last row of the picture comes first
        std::memcpy(px.data() + stride * y, image.constScanLine(h - 1 - y), size_t(rowBytes));

    const U_BITMAPINFOHEADER bmih = bitmapinfoheader_set(w, h, 1, uint16_t(bits), U_BI_RGB,
                                                         uint32_t(px.size()), 3780, 3780, 0, 0);
    PU_BITMAPINFO bmi = bitmapinfo_set(bmih, nullptr);
    if (!bmi)
        return;
    const U_RECTL bounds = rectL(dest.left(), dest.top(), dest.right(), dest.bottom());
    append(U_EMRSTRETCHDIBITS_set(bounds, point32_set(dest.x(), dest.y()),
                                  point32_set(dest.width(), dest.height()), point32_set(0, 0),
                                  point32_set(w, h), U_DIB_RGB_COLORS, U_SRCCOPY, bmi,
                                  uint32_t(px.size()), px.data()));
    std::free(bmi);
}

void EmfPaintEngine::drawTextItem(const QPointF& p, const QTextItem& item) {
    decoration_.pending = false;
    if (!writable())
        return;
    const QString text = item.text();
    const QColor color = flatColor(pen_.brush());
    if (text.isEmpty() || pen_.style() == Qt::NoPen || color.alpha() == 0)
        return;
    startShape();

    const QFont font = item.font();
    const qreal pixels = font.pixelSize() > 0 ? qreal(font.pixelSize())
                                              : font.pointSizeF() * EmfPaintDevice::dpi / 72.0;
    const qreal along = std::hypot(xf_.m11(), xf_.m12());
    const qreal across = std::hypot(xf_.m21(), xf_.m22());
    const qreal exact = pixels * across;
    FontKey key;
    key.family = font.family();
    key.height = std::max(1, whole(exact));
    if (std::abs(exact - key.height) > 0.01)
        key.exact = float(exact);
    key.weight = std::clamp(int(font.weight()), 1, 1000);
    key.italic = font.style() != QFont::StyleNormal;
    key.underline = font.underline();
    key.strikeOut = font.strikeOut();
    key.charset = charsetOf(font.family());
    const qreal angle = std::atan2(xf_.m12(), xf_.m11()) * 180.0 / std::numbers::pi;
    key.escapement = ((whole(-angle * 10) % 3600) + 3600) % 3600;
    selectFont(key);
    setTextColor(color.rgb());

    const QRectF box(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent());
    const U_RECTL bounds = boundsOf(xf_.map(QPolygonF(box)).boundingRect());
    QVector<quint32> dx = characterSpacing(text, font, paintDevice(), item.width() * along);
    const QPointF ref = xf_.map(p);
    if (std::abs(ref.x() - std::round(ref.x())) > 0.01 ||
        std::abs(ref.y() - std::round(ref.y())) > 0.01) {
        char data[12];
        std::memcpy(data, textPointTag, 4);
        qToLittleEndian<float>(float(ref.x()), data + 4);
        qToLittleEndian<float>(float(ref.y()), data + 8);
        append(U_EMRCOMMENT_set(sizeof data, data));
    }
    char* run = emrtext_set(pointL(ref), U_NUM_STR(text.size()), 2,
                            const_cast<ushort*>(text.utf16()), U_ETO_NONE, bounds, dx.data());
    if (!run)
        return;
    append(U_EMREXTTEXTOUTW_set(bounds, U_GM_COMPATIBLE, 0, 0, reinterpret_cast<PU_EMRTEXT>(run)));
    std::free(run);

    if (item.renderFlags() & (QTextItem::Underline | QTextItem::StrikeOut)) {
        decoration_.pending = true;
        decoration_.xf = xf_;
        decoration_.left = p.x();
        decoration_.right = p.x() + item.width();
        decoration_.baseline = p.y();
        decoration_.ascent = item.ascent();
        decoration_.descent = item.descent();
        decoration_.underline = item.renderFlags().testFlag(QTextItem::Underline);
        decoration_.strikeOut = item.renderFlags().testFlag(QTextItem::StrikeOut);
    }
}

QByteArray EmfPaintEngine::finish() {
    if (!finished_.isNull() || !track_)
        return finished_;
    append(U_EMREOF_set(0, nullptr, track_));
    const bool ok = emf_finish(track_, handles_) == 0;  // counts into the header, the bytes to
                                                        // the null device, the buffer stays
    QByteArray bytes = ok ? QByteArray(track_->buf, qsizetype(track_->used)) : QByteArray();
    if (track_->fp) {
        std::fclose(track_->fp);
        track_->fp = nullptr;
    }
    emf_free(&track_);
    track_ = nullptr;
    emf_htable_free(&handles_);
    handles_ = nullptr;
    if (!ok)
        throw ReportError(QStringLiteral("Cannot finish a page picture."));
    finished_ = bytes;
    return finished_;
}

EmfPaintDevice::EmfPaintDevice(const QSize& pagePixels) : size_(pagePixels) {
    if (size_.width() < 1 || size_.height() < 1 || size_.width() > maxSide ||
        size_.height() > maxSide)
        throw ReportError(QStringLiteral("A page of %1 x %2 pixels cannot be prepared.")
                              .arg(size_.width())
                              .arg(size_.height()));
    engine_ = std::make_unique<EmfPaintEngine>(size_);
}

EmfPaintDevice::~EmfPaintDevice() = default;

QPaintEngine* EmfPaintDevice::paintEngine() const {
    return engine_.get();
}

QByteArray EmfPaintDevice::finish() {
    return engine_->finish();
}

int EmfPaintDevice::metric(PaintDeviceMetric metric) const {
    switch (metric) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmWidthMM:
            return int(std::lround(size_.width() * 25.4 / dpi));
        case PdmHeightMM:
            return int(std::lround(size_.height() * 25.4 / dpi));
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return dpi;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
    }
    return 0;
}

}  // namespace lex
