#include "report/EmfPlayer.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRegion>
#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <optional>

#include <uemf.h>

#include "report/EmfPenStyle.h"

namespace lex {

namespace {

constexpr qint64 headerMinimum = 88;  // the header record without its later extensions
constexpr qint64 maxSide = 20000;
constexpr qint64 maxPixels = 100'000'000;
constexpr qreal coordinateLimit = 1.0e6;  // page pixels; a page is at most 20000 of them
constexpr int maxClipRects = 4096;        // more, and the clip becomes their bounding box
constexpr qreal maxFontPixels = 20000;
constexpr qreal maxPenWidth = 10000;
constexpr char fontSizeTag[4] = {'L', 'X', 'f', 's'};
constexpr char textPointTag[4] = {'L', 'X', 't', 'p'};

// One record, with reads that stay inside it: a field outside the record reads as 0.
class Record {
  public:
    Record(const uchar* data, quint32 size) : p_(data), size_(size) {}
    quint32 type() const { return u32(0); }
    quint32 size() const { return size_; }
    bool has(qint64 offset, qint64 length) const {
        return offset >= 0 && length >= 0 && offset <= size_ && length <= size_ - offset;
    }
    quint32 u32(qint64 off) const { return has(off, 4) ? qFromLittleEndian<quint32>(p_ + off) : 0; }
    qint32 i32(qint64 off) const { return qint32(u32(off)); }
    quint16 u16(qint64 off) const { return has(off, 2) ? qFromLittleEndian<quint16>(p_ + off) : 0; }
    qint16 i16(qint64 off) const { return qint16(u16(off)); }
    quint8 u8(qint64 off) const { return has(off, 1) ? p_[off] : 0; }
    const uchar* at(qint64 off) const { return p_ + off; }

  private:
    const uchar* p_;
    qint64 size_;
};

// The fixed part of each record type this player reads; anything shorter is damaged.
qint64 minimumSize(quint32 type) {
    switch (type) {
        case U_EMR_POLYBEZIER:
        case U_EMR_POLYGON:
        case U_EMR_POLYLINE:
        case U_EMR_POLYBEZIERTO:
        case U_EMR_POLYLINETO:
        case U_EMR_POLYBEZIER16:
        case U_EMR_POLYGON16:
        case U_EMR_POLYLINE16:
        case U_EMR_POLYBEZIERTO16:
        case U_EMR_POLYLINETO16:
            return 28;
        case U_EMR_POLYPOLYLINE:
        case U_EMR_POLYPOLYGON:
        case U_EMR_POLYPOLYLINE16:
        case U_EMR_POLYPOLYGON16:
            return 32;
        case U_EMR_EOF:
        case U_EMR_SETPIXELV:
            return 20;
        case U_EMR_SETBKMODE:
        case U_EMR_SETPOLYFILLMODE:
        case U_EMR_SETTEXTALIGN:
        case U_EMR_SETTEXTCOLOR:
        case U_EMR_SELECTOBJECT:
        case U_EMR_DELETEOBJECT:
        case U_EMR_COMMENT:
            return 12;
        case U_EMR_MOVETOEX:
        case U_EMR_LINETO:
        case U_EMR_EXTSELECTCLIPRGN:
            return 16;
        case U_EMR_CREATEPEN:
            return 28;
        case U_EMR_CREATEBRUSHINDIRECT:
        case U_EMR_ELLIPSE:
        case U_EMR_RECTANGLE:
        case U_EMR_FILLPATH:
        case U_EMR_STROKEANDFILLPATH:
        case U_EMR_STROKEPATH:
            return 24;
        case U_EMR_ROUNDRECT:
            return 32;
        case U_EMR_EXTCREATEPEN:
            return 52;
        case U_EMR_EXTCREATEFONTINDIRECTW:
            return 12 + 92;  // ihFont and a LOGFONT
        case U_EMR_STRETCHDIBITS:
            return 80;
        case U_EMR_EXTTEXTOUTA:
        case U_EMR_EXTTEXTOUTW:
            return 60;  // up to offDx when the text has no rectangle
        default:
            return 8;
    }
}

bool isStock(quint32 index) {
    return index & U_STOCK_OBJECT;
}

// A DIB inside a record: the header in [offBmi, offBmi + cbBmi), the pixels in
// [offBits, offBits + cbBits). Returns what is wrong, or an empty string.
QString checkDib(const Record& r, qint64 fixed, quint32 offBmi, quint32 cbBmi, quint32 offBits,
                 quint32 cbBits) {
    if (cbBmi == 0)
        return {};
    if (cbBmi < 40 || offBmi < fixed || !r.has(offBmi, cbBmi))
        return QStringLiteral("its bitmap header lies outside the record");
    const quint32 biSize = r.u32(offBmi);
    if (biSize < 40 || biSize > cbBmi)
        return QStringLiteral("its bitmap header has the size %1").arg(biSize);
    const qint64 width = r.i32(offBmi + 4);
    const qint64 height = std::abs(qint64(r.i32(offBmi + 8)));
    const quint32 bitCount = r.u16(offBmi + 14);
    const quint32 compression = r.u32(offBmi + 16);
    if (width < 1 || height < 1 || width > maxSide || height > maxSide ||
        width * height > maxPixels)
        return QStringLiteral("its bitmap claims %1 x %2 pixels").arg(width).arg(height);
    if (offBits < fixed || !r.has(offBits, cbBits))
        return QStringLiteral("its bitmap data lies outside the record");
    if (compression != U_BI_RGB && compression != 3 /* BI_BITFIELDS */)
        return {};  // compressed: not drawn here, nothing more to check
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return QStringLiteral("its bitmap has %1 bits a pixel").arg(bitCount);
    const qint64 stride = ((width * bitCount + 31) / 32) * 4;
    if (qint64(cbBits) < stride * height)
        return QStringLiteral("its bitmap data holds %1 bytes, %2 x %3 pixels need %4")
            .arg(cbBits)
            .arg(width)
            .arg(height)
            .arg(stride * height);
    if (bitCount <= 8) {
        const qint64 used = r.u32(offBmi + 32);
        const qint64 colours = used ? used : (qint64(1) << bitCount);
        if (colours > (qint64(1) << bitCount) || biSize + colours * 4 > cbBmi)
            return QStringLiteral("its colour table lies outside the bitmap header");
    }
    return {};
}

// What is wrong with one record, or an empty string.
QString checkRecord(const Record& r, quint32 handles) {
    const quint32 type = r.type();
    if (r.size() < minimumSize(type))
        return QStringLiteral("is too short for its type (%1 bytes)").arg(r.size());
    auto objectIndex = [&](quint32 index, bool stockAllowed) -> QString {
        if (stockAllowed && isStock(index))
            return {};
        if (index == 0 || index >= handles)
            return QStringLiteral("names object %1 of a table of %2").arg(index).arg(handles);
        return {};
    };
    auto points = [&](qint64 first, qint64 count, qint64 pointSize) -> QString {
        if (!r.has(first, count * pointSize))
            return QStringLiteral("claims %1 points that do not fit in it").arg(count);
        return {};
    };
    switch (type) {
        case U_EMR_POLYBEZIER:
        case U_EMR_POLYGON:
        case U_EMR_POLYLINE:
        case U_EMR_POLYBEZIERTO:
        case U_EMR_POLYLINETO:
            return points(28, r.u32(24), 8);
        case U_EMR_POLYBEZIER16:
        case U_EMR_POLYGON16:
        case U_EMR_POLYLINE16:
        case U_EMR_POLYBEZIERTO16:
        case U_EMR_POLYLINETO16:
            return points(28, r.u32(24), 4);
        case U_EMR_POLYPOLYLINE:
        case U_EMR_POLYPOLYGON:
        case U_EMR_POLYPOLYLINE16:
        case U_EMR_POLYPOLYGON16: {
            const qint64 polys = r.u32(24), count = r.u32(28);
            const qint64 pointSize =
                (type == U_EMR_POLYPOLYLINE || type == U_EMR_POLYPOLYGON) ? 8 : 4;
            if (!r.has(32, polys * 4))
                return QStringLiteral("claims %1 figures that do not fit in it").arg(polys);
            qint64 sum = 0;
            for (qint64 i = 0; i < polys; ++i)
                sum += r.u32(32 + 4 * i);
            if (sum > count)
                return QStringLiteral("has figures of %1 points in all but only %2 points")
                    .arg(sum)
                    .arg(count);
            return points(32 + polys * 4, count, pointSize);
        }
        case U_EMR_SELECTOBJECT:
        case U_EMR_DELETEOBJECT:
            return objectIndex(r.u32(8), true);
        case U_EMR_CREATEPEN:
        case U_EMR_CREATEBRUSHINDIRECT:
        case U_EMR_EXTCREATEFONTINDIRECTW:
            return objectIndex(r.u32(8), false);
        case U_EMR_EXTCREATEPEN: {
            QString bad = objectIndex(r.u32(8), false);
            if (bad.isEmpty() && !r.has(52, qint64(r.u32(48)) * 4))
                bad = QStringLiteral("claims %1 dash entries that do not fit in it").arg(r.u32(48));
            if (bad.isEmpty())
                bad = checkDib(r, 52, r.u32(12), r.u32(16), r.u32(20), r.u32(24));
            return bad;
        }
        case U_EMR_COMMENT:
            if (!r.has(12, r.u32(8)))
                return QStringLiteral("claims %1 bytes of comment that do not fit in it")
                    .arg(r.u32(8));
            return {};
        case U_EMR_EXTSELECTCLIPRGN: {
            const qint64 cb = r.u32(8);
            if (!r.has(16, cb))
                return QStringLiteral("claims %1 bytes of region that do not fit in it").arg(cb);
            if (cb == 0)
                return {};
            const qint64 count = r.u32(24);
            if (cb < 32 || 32 + count * 16 > cb)
                return QStringLiteral("claims a region of %1 rectangles that does not fit in it")
                    .arg(count);
            return {};
        }
        case U_EMR_STRETCHDIBITS:
            return checkDib(r, 80, r.u32(48), r.u32(52), r.u32(56), r.u32(60));
        case U_EMR_EXTTEXTOUTA:
        case U_EMR_EXTTEXTOUTW: {
            const quint32 options = r.u32(52);
            const qint64 offDx = (options & U_ETO_NO_RECT) ? 56 : 72;
            if (!r.has(offDx, 4))
                return QStringLiteral("is too short for its text (%1 bytes)").arg(r.size());
            const qint64 count = r.u32(44);
            const qint64 charSize = type == U_EMR_EXTTEXTOUTW ? 2 : 1;
            if (count > 0 && (r.u32(48) < offDx + 4 || !r.has(r.u32(48), count * charSize)))
                return QStringLiteral("claims %1 characters that do not fit in it").arg(count);
            const qint64 dx = r.u32(offDx);
            if (count > 0 && dx != 0 && !r.has(dx, count * 4 * ((options & U_ETO_PDY) ? 2 : 1)))
                return QStringLiteral(
                           "has a spacing array for %1 characters that does not fit "
                           "in it")
                    .arg(count);
            return {};
        }
        case U_EMR_EOF: {
            const qint64 entries = r.u32(8);
            if (entries > 0 && !r.has(r.u32(12), entries * 4))
                return QStringLiteral("claims %1 palette entries that do not fit in it")
                    .arg(entries);
            return {};
        }
        default:
            return {};
    }
}

struct Header {
    QRect bounds;  // exclusive
    quint32 handles = 0;
};

// Walks the whole picture; fills `header` when it is valid.
bool validate(const QByteArray& emf, Header* header, QString* why) {
    auto fail = [why](const QString& reason) {
        if (why)
            *why = QStringLiteral("The page picture is damaged: %1.").arg(reason);
        return false;
    };
    const qint64 size = emf.size();
    if (size < headerMinimum)
        return fail(size == 0 ? QStringLiteral("it is empty")
                              : QStringLiteral("it has only %1 bytes").arg(size));
    const auto* data = reinterpret_cast<const uchar*>(emf.constData());
    const quint32 firstSize = qFromLittleEndian<quint32>(data + 4);
    if (qFromLittleEndian<quint32>(data) != U_EMR_HEADER)
        return fail(QStringLiteral("it does not start with an EMF header record"));
    if (qFromLittleEndian<quint32>(data + 40) != U_ENHMETA_SIGNATURE)
        return fail(QStringLiteral("its header lacks the EMF signature"));
    if (firstSize < headerMinimum || firstSize % 4 || firstSize > size)
        return fail(QStringLiteral("its header record has the size %1").arg(firstSize));
    const Record head(data, firstSize);
    if (head.u32(48) != size)
        return fail(QStringLiteral("its header declares %1 bytes but it has %2")
                        .arg(head.u32(48))
                        .arg(size));
    const qint64 left = head.i32(8), top = head.i32(12);
    const qint64 width = qint64(head.i32(16)) - left + 1, height = qint64(head.i32(20)) - top + 1;
    if (width < 1 || height < 1 || width > maxSide || height > maxSide)
        return fail(QStringLiteral("its page is %1 x %2 pixels").arg(width).arg(height));
    const quint32 handles = head.u16(56);
    if (handles < 1)
        return fail(QStringLiteral("its header has no object table"));
    if (head.u32(60) > 0 &&
        (head.u32(64) < headerMinimum || !head.has(head.u32(64), qint64(head.u32(60)) * 2)))
        return fail(QStringLiteral("its description lies outside the header"));

    qint64 offset = firstSize;
    qint64 records = 1;
    bool ended = false;
    while (offset < size) {
        if (size - offset < 8)
            return fail(QStringLiteral("the record at offset %1 is cut off").arg(offset));
        const quint32 type = qFromLittleEndian<quint32>(data + offset);
        const quint32 recordSize = qFromLittleEndian<quint32>(data + offset + 4);
        if (recordSize < 8 || recordSize % 4)
            return fail(QStringLiteral("the record at offset %1 has the size %2")
                            .arg(offset)
                            .arg(recordSize));
        if (recordSize > size - offset)
            return fail(QStringLiteral("the record at offset %1 runs past the end").arg(offset));
        if (type == U_EMR_HEADER)
            return fail(QStringLiteral("a second header record is at offset %1").arg(offset));
        const QString bad = checkRecord(Record(data + offset, recordSize), handles);
        if (!bad.isEmpty())
            return fail(QStringLiteral("the record of type %1 at offset %2 %3")
                            .arg(type)
                            .arg(offset)
                            .arg(bad));
        ++records;
        offset += recordSize;
        if (type == U_EMR_EOF) {
            if (offset != size)
                return fail(QStringLiteral("data follows the end record"));
            ended = true;
        }
    }
    if (!ended)
        return fail(QStringLiteral("it does not end with an end record"));
    if (head.u32(52) != records)
        return fail(QStringLiteral("its header counts %1 records but it has %2")
                        .arg(head.u32(52))
                        .arg(records));
    if (header) {
        header->bounds = QRect(int(left), int(top), int(width), int(height));
        header->handles = handles;
    }
    return true;
}

QColor colorAt(const Record& r, qint64 off) {
    return QColor(r.u8(off), r.u8(off + 1), r.u8(off + 2));
}

float floatAt(const Record& r, qint64 off) {
    const quint32 bits = r.u32(off);
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

qreal coordinate(qint64 v) {
    return std::clamp<qreal>(qreal(v), -coordinateLimit, coordinateLimit);
}

// A rectangle record's box: from the corner to the far edges, as the writer puts it.
QRectF boxAt(const Record& r, qint64 off) {
    return QRectF(QPointF(coordinate(r.i32(off)), coordinate(r.i32(off + 4))),
                  QPointF(coordinate(r.i32(off + 8)), coordinate(r.i32(off + 12))))
        .normalized();
}

struct FontDef {
    QString family;
    qint32 height = 0;
    qreal exact = 0;
    qint32 weight = 400;
    bool italic = false, underline = false, strikeOut = false;
    qint32 escapement = 0;
    quint8 charset = 1;  // DEFAULT_CHARSET
};

struct Object {
    enum Kind { none, pen, brush, font } kind = none;
    QPen qpen;
    QBrush qbrush;
    FontDef fontDef;
};

Qt::PenStyle dashStyle(quint32 style) {
    switch (style & U_PS_STYLE_MASK) {
        case U_PS_DASH:
            return Qt::DashLine;
        case U_PS_DOT:
        case U_PS_ALTERNATE:
            return Qt::DotLine;
        case U_PS_DASHDOT:
            return Qt::DashDotLine;
        case U_PS_DASHDOTDOT:
            return Qt::DashDotDotLine;
        case U_PS_NULL:
            return Qt::NoPen;
        default:
            return Qt::SolidLine;
    }
}

class Interpreter {
  public:
    Interpreter(const QByteArray& emf, const Header& header, QPainter* painter,
                QList<EmfTextRun>* runs)
        : emf_(emf), header_(header), painter_(painter), runs_(runs), objects_(header.handles) {
        pen_ = QPen(Qt::black, 0);
        brush_ = QBrush(Qt::white);
    }

    void play(const QRectF& target) {
        if (painter_) {
            const QRectF page(header_.bounds);
            const qreal sx = target.width() / page.width(), sy = target.height() / page.height();
            const QTransform toTarget(sx, 0, 0, sy, target.x() - page.x() * sx,
                                      target.y() - page.y() * sy);
            painter_->save();
            base_ = toTarget * painter_->worldTransform();
            painter_->setWorldTransform(base_);
            painter_->setClipRect(page, Qt::IntersectClip);
            painter_->save();  // the picture's own clip lives above this level
        }
        const auto* data = reinterpret_cast<const uchar*>(emf_.constData());
        qint64 offset = qFromLittleEndian<quint32>(data + 4);
        while (offset + 8 <= emf_.size()) {
            const quint32 size = qFromLittleEndian<quint32>(data + offset + 4);
            if (size < 8 || size > emf_.size() - offset)
                break;
            const Record r(data + offset, size);
            if (r.type() == U_EMR_EOF)
                break;
            step(r);
            if (r.type() != U_EMR_COMMENT) {
                exactSize_ = 0;
                exactPoint_.reset();
            }
            offset += size;
        }
        if (painter_) {
            painter_->restore();
            painter_->restore();
        }
    }

  private:
    QPointF pointAt(const Record& r, qint64 off, bool small) const {
        if (small)
            return QPointF(coordinate(r.i16(off)), coordinate(r.i16(off + 2)));
        return QPointF(coordinate(r.i32(off)), coordinate(r.i32(off + 4)));
    }

    QPolygonF pointsAt(const Record& r, qint64 first, qint64 count, bool small) const {
        QPolygonF poly;
        const qint64 step = small ? 4 : 8;
        if (!r.has(first, count * step))
            return poly;
        poly.reserve(count);
        for (qint64 i = 0; i < count; ++i)
            poly.append(pointAt(r, first + i * step, small));
        return poly;
    }

    void strokeOnly() {
        painter_->setPen(pen_);
        painter_->setBrush(Qt::NoBrush);
    }

    void strokeAndFill() {
        painter_->setPen(pen_);
        painter_->setBrush(brush_);
    }

    // Figures of a poly record: appended to the open path, or drawn.
    void figure(const QPolygonF& poly, quint32 kind) {
        if (poly.isEmpty())
            return;
        const bool closed = kind == U_EMR_POLYGON || kind == U_EMR_POLYGON16 ||
                            kind == U_EMR_POLYPOLYGON || kind == U_EMR_POLYPOLYGON16;
        const bool bezier = kind == U_EMR_POLYBEZIER || kind == U_EMR_POLYBEZIER16;
        if (inPath_ || bezier) {
            QPainterPath local;
            QPainterPath& target = inPath_ ? path_ : local;
            target.moveTo(poly.first());
            if (bezier) {
                for (qsizetype i = 1; i + 2 < poly.size(); i += 3)
                    target.cubicTo(poly[i], poly[i + 1], poly[i + 2]);
            } else {
                for (qsizetype i = 1; i < poly.size(); ++i)
                    target.lineTo(poly[i]);
            }
            if (closed)
                target.closeSubpath();
            if (!inPath_ && painter_) {
                strokeOnly();
                painter_->drawPath(local);
            }
            return;
        }
        if (!painter_)
            return;
        if (closed) {
            strokeAndFill();
            painter_->drawPolygon(poly, fillRule_);
        } else {
            strokeOnly();
            painter_->drawPolyline(poly);
        }
    }

    // POLYLINETO / POLYBEZIERTO: from the current position on.
    void figureTo(const QPolygonF& poly, bool bezier) {
        if (poly.isEmpty())
            return;
        QPainterPath local;
        QPainterPath& target = inPath_ ? path_ : local;
        if (!inPath_ || target.elementCount() == 0)
            target.moveTo(position_);
        if (bezier) {
            for (qsizetype i = 0; i + 2 < poly.size(); i += 3)
                target.cubicTo(poly[i], poly[i + 1], poly[i + 2]);
        } else {
            for (const QPointF& p : poly)
                target.lineTo(p);
        }
        position_ = poly.last();
        if (!inPath_ && painter_) {
            strokeOnly();
            painter_->drawPath(local);
        }
    }

    void createPen(const Record& r, bool extended) {
        if (r.u32(8) >= quint32(objects_.size()))
            return;
        Object& o = objects_[r.u32(8)];
        o = Object();
        o.kind = Object::pen;
        quint32 style = 0;
        qreal width = 0;
        QColor color;
        if (extended) {
            style = r.u32(28);
            width = (style & U_PS_TYPE_MASK) == U_PS_GEOMETRIC ? r.u32(32) : 0;
            color = colorAt(r, 40);
            if (r.u32(36) == U_BS_NULL)
                style = (style & ~U_PS_STYLE_MASK) | U_PS_NULL;
        } else {
            style = r.u32(12) | U_PS_ENDCAP_ROUND | U_PS_JOIN_ROUND;
            width = std::max<qint64>(0, r.i32(16));
            color = colorAt(r, 24);
        }
        QPen pen(color, std::min(width, maxPenWidth), dashStyle(style));
        pen.setCapStyle(qtCap(style));
        pen.setJoinStyle(qtJoin(style));
        if (extended && (style & U_PS_STYLE_MASK) == U_PS_USERSTYLE) {
            const qint64 count = r.u32(48);
            QList<qreal> pattern;
            const qreal unit = std::max<qreal>(1.0, pen.widthF());
            for (qint64 i = 0; i < count && i < 64; ++i)
                pattern.append(std::clamp<qreal>(r.u32(52 + 4 * i), 1.0, 1.0e6) / unit);
            if (pattern.size() % 2)
                pattern.append(pattern.last());
            if (!pattern.isEmpty())
                pen.setDashPattern(pattern);
        }
        o.qpen = pen;
    }

    void createBrush(const Record& r) {
        if (r.u32(8) >= quint32(objects_.size()))
            return;
        Object& o = objects_[r.u32(8)];
        o = Object();
        o.kind = Object::brush;
        const quint32 style = r.u32(12);
        const QColor color = colorAt(r, 16);
        if (style == U_BS_NULL) {
            o.qbrush = Qt::NoBrush;
        } else if (style == U_BS_HATCHED) {
            static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                     Qt::FDiagPattern, Qt::BDiagPattern,
                                                     Qt::CrossPattern, Qt::DiagCrossPattern};
            const quint32 h = r.u32(20);
            o.qbrush = QBrush(color, h < 6 ? hatches[h] : Qt::SolidPattern);
        } else {
            o.qbrush = QBrush(color);
        }
    }

    void createFont(const Record& r) {
        if (r.u32(8) >= quint32(objects_.size()))
            return;
        Object& o = objects_[r.u32(8)];
        o = Object();
        o.kind = Object::font;
        FontDef& f = o.fontDef;
        f.height = r.i32(12);
        f.escapement = r.i32(20);
        f.weight = r.i32(28);
        f.italic = r.u8(32);
        f.underline = r.u8(33);
        f.strikeOut = r.u8(34);
        f.charset = r.u8(35);
        QString family;
        for (int i = 0; i < U_LF_FACESIZE; ++i) {
            const quint16 c = r.u16(40 + 2 * i);
            if (!c)
                break;
            family.append(QChar(c));
        }
        f.family = family;
        const qreal em = std::abs(qreal(f.height));
        if (exactSize_ > 0 && f.height < 0 && std::abs(exactSize_ - em) <= 0.5)
            f.exact = exactSize_;
    }

    void select(quint32 index) {
        if (isStock(index)) {
            switch (index) {
                case U_WHITE_BRUSH:
                case 0x80000012:  // DC_BRUSH
                    brush_ = QBrush(Qt::white);
                    break;
                case 0x80000001:
                    brush_ = QBrush(QColor(0xc0, 0xc0, 0xc0));
                    break;
                case 0x80000002:
                    brush_ = QBrush(QColor(0x80, 0x80, 0x80));
                    break;
                case 0x80000003:
                    brush_ = QBrush(QColor(0x40, 0x40, 0x40));
                    break;
                case 0x80000004:
                    brush_ = QBrush(Qt::black);
                    break;
                case U_NULL_BRUSH:
                    brush_ = Qt::NoBrush;
                    break;
                case 0x80000006:
                    pen_ = QPen(Qt::white, 0);
                    break;
                case U_BLACK_PEN:
                case 0x80000013:  // DC_PEN
                    pen_ = QPen(Qt::black, 0);
                    break;
                case U_NULL_PEN:
                    pen_ = Qt::NoPen;
                    break;
                default:
                    if (index >= 0x8000000A && index <= 0x80000011)
                        font_ = FontDef();
                    break;
            }
            return;
        }
        if (index >= quint32(objects_.size()))
            return;
        const Object& o = objects_[index];
        switch (o.kind) {
            case Object::pen:
                pen_ = o.qpen;
                break;
            case Object::brush:
                brush_ = o.qbrush;
                break;
            case Object::font:
                font_ = o.fontDef;
                break;
            case Object::none:
                break;
        }
    }

    void clip(const Record& r) {
        const quint32 mode = r.u32(12);
        const qint64 cb = r.u32(8);
        if (!painter_)
            return;
        if (cb == 0) {
            if (mode == U_RGN_COPY) {
                painter_->restore();
                painter_->save();
            }
            return;
        }
        if (mode != U_RGN_COPY && mode != 1 /* RGN_AND */)
            return;
        const qint64 count = r.u32(24);
        QRegion region;
        if (count > maxClipRects) {
            region = QRegion(boxAt(r, 32).toAlignedRect());
        } else {
            for (qint64 i = 0; i < count; ++i) {
                const QRectF box = boxAt(r, 48 + 16 * i);
                region += box.toAlignedRect();
            }
        }
        if (mode == U_RGN_COPY) {
            painter_->restore();
            painter_->save();
        }
        if (region.isEmpty())
            painter_->setClipRect(QRectF(), Qt::IntersectClip);
        else
            painter_->setClipRegion(region, Qt::IntersectClip);
    }

    void text(const Record& r) {
        const bool wide = r.type() == U_EMR_EXTTEXTOUTW;
        const qint64 count = r.u32(44), offset = r.u32(48);
        QString text;
        text.reserve(count);
        for (qint64 i = 0; i < count; ++i)
            text.append(wide ? QChar(r.u16(offset + 2 * i))
                             : QChar::fromLatin1(char(r.u8(offset + i))));
        QPointF at(coordinate(r.i32(36)), coordinate(r.i32(40)));
        if (exactPoint_ && std::abs(exactPoint_->x() - at.x()) <= 0.5 &&
            std::abs(exactPoint_->y() - at.y()) <= 0.5)
            at = *exactPoint_;
        if (runs_) {
            EmfTextRun run;
            run.text = text;
            run.position = QPointF(coordinate(r.i32(36)), coordinate(r.i32(40))).toPoint();
            auto at32 = [&r](qint64 off) { return int(coordinate(r.i32(off))); };
            run.bounds = QRect(QPoint(at32(8), at32(12)), QPoint(at32(16), at32(20)));
            run.family = font_.family;
            run.pixelHeight = int(std::min<qint64>(std::abs(qint64(font_.height)), INT_MAX));
            run.weight = font_.weight;
            run.italic = font_.italic;
            run.underline = font_.underline;
            run.strikeOut = font_.strikeOut;
            run.angle = font_.escapement / 10.0;
            run.charset = font_.charset;
            run.color = textColor_;
            run.align = textAlign_;
            runs_->append(run);
        }
        if (!painter_ || text.isEmpty())
            return;
        const qreal pixels = font_.exact > 0
                                 ? font_.exact
                                 : (font_.height == 0 ? 16.0 : std::abs(qreal(font_.height)));
        if (pixels > maxFontPixels)
            return;
        QFont font;
        if (!font_.family.isEmpty())
            font.setFamily(font_.family);
        if (pixels == std::floor(pixels))
            font.setPixelSize(std::max(1, int(pixels)));
        else
            font.setPointSizeF(pixels * 72.0 / painter_->device()->logicalDpiY());
        font.setWeight(QFont::Weight(std::clamp(font_.weight == 0 ? 400 : font_.weight, 1, 1000)));
        font.setItalic(font_.italic);
        font.setUnderline(font_.underline);
        font.setStrikeOut(font_.strikeOut);
        painter_->setFont(font);
        painter_->setPen(QPen(textColor_));

        QTransform place = QTransform::fromTranslate(at.x(), at.y());
        if (font_.escapement % 3600)
            place.rotate(-(font_.escapement / 10.0));
        painter_->setWorldTransform(place * base_);
        const QFontMetricsF fm(painter_->font(), painter_->device());
        QPointF origin(0, 0);
        if (!(textAlign_ & U_TA_BASEBIT))
            origin.setY((textAlign_ & U_TA_BOTTOM) ? -fm.descent() : fm.ascent());
        if ((textAlign_ & U_TA_CENTER) == U_TA_CENTER)
            origin.setX(-fm.horizontalAdvance(text) / 2);
        else if (textAlign_ & U_TA_RIGHT)
            origin.setX(-fm.horizontalAdvance(text));
        painter_->drawText(origin, text);
        painter_->setWorldTransform(base_);
    }

    QImage dib(const Record& r, quint32 offBmi, quint32 offBits, quint32 cbBits) const {
        const qint64 width = r.i32(offBmi + 4);
        const qint64 signedHeight = r.i32(offBmi + 8);
        const qint64 height = std::abs(signedHeight);
        const quint32 bits = r.u16(offBmi + 14);
        if (r.u32(offBmi + 16) != U_BI_RGB || (bits != 24 && bits != 32))
            return {};
        const qint64 stride = ((width * bits + 31) / 32) * 4;
        if (width < 1 || height < 1 || width > maxSide || height > maxSide ||
            width * height > maxPixels || !r.has(offBits, stride * height) ||
            qint64(cbBits) < stride * height)
            return {};
        const uchar* px = r.at(offBits);
        bool alpha = false;
        if (bits == 32) {
            for (qint64 y = 0; y < height && !alpha; ++y)
                for (qint64 x = 0; x < width; ++x)
                    if (px[y * stride + 4 * x + 3]) {
                        alpha = true;
                        break;
                    }
        }
        QImage image(int(width), int(height), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        if (image.isNull())
            return {};
        for (qint64 y = 0; y < height; ++y) {
            const uchar* s = px + stride * (signedHeight > 0 ? height - 1 - y : y);
            auto* d = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
            if (bits == 24) {
                for (qint64 x = 0; x < width; ++x)
                    d[x] = qRgb(s[3 * x + 2], s[3 * x + 1], s[3 * x]);
            } else {
                for (qint64 x = 0; x < width; ++x)
                    d[x] = alpha ? qRgba(s[4 * x + 2], s[4 * x + 1], s[4 * x], s[4 * x + 3])
                                 : qRgb(s[4 * x + 2], s[4 * x + 1], s[4 * x]);
            }
        }
        return image;
    }

    void stretchDib(const Record& r) {
        if (!painter_ || r.u32(52) == 0)
            return;
        QImage image = dib(r, r.u32(48), r.u32(56), r.u32(60));
        if (image.isNull())
            return;
        const bool bottomUp = r.i32(r.u32(48) + 8) > 0;
        const qreal sx = r.i32(32), sy = r.i32(36), sw = r.i32(40), sh = r.i32(44);
        if (sw <= 0 || sh <= 0)
            return;
        QRectF source(sx, bottomUp ? image.height() - sy - sh : sy, sw, sh);
        source = source.intersected(QRectF(image.rect()));
        if (source.isEmpty())
            return;
        qreal dx = coordinate(r.i32(24)), dy = coordinate(r.i32(28));
        qreal dw = coordinate(r.i32(72)), dh = coordinate(r.i32(76));
        if (dw == 0 || dh == 0)
            return;
        if (dw < 0 || dh < 0) {
            image = image.copy(source.toAlignedRect()).mirrored(dw < 0, dh < 0);
            source = QRectF(image.rect());
            if (dw < 0) {
                dx += dw;
                dw = -dw;
            }
            if (dh < 0) {
                dy += dh;
                dh = -dh;
            }
        }
        painter_->drawImage(QRectF(dx, dy, dw, dh), image, source);
    }

    void step(const Record& r) {
        const quint32 type = r.type();
        switch (type) {
            case U_EMR_POLYBEZIER:
            case U_EMR_POLYGON:
            case U_EMR_POLYLINE:
                figure(pointsAt(r, 28, r.u32(24), false), type);
                return;
            case U_EMR_POLYBEZIER16:
            case U_EMR_POLYGON16:
            case U_EMR_POLYLINE16:
                figure(pointsAt(r, 28, r.u32(24), true), type);
                return;
            case U_EMR_POLYBEZIERTO:
            case U_EMR_POLYLINETO:
                figureTo(pointsAt(r, 28, r.u32(24), false), type == U_EMR_POLYBEZIERTO);
                return;
            case U_EMR_POLYBEZIERTO16:
            case U_EMR_POLYLINETO16:
                figureTo(pointsAt(r, 28, r.u32(24), true), type == U_EMR_POLYBEZIERTO16);
                return;
            case U_EMR_POLYPOLYLINE:
            case U_EMR_POLYPOLYGON:
            case U_EMR_POLYPOLYLINE16:
            case U_EMR_POLYPOLYGON16: {
                const bool small = type == U_EMR_POLYPOLYLINE16 || type == U_EMR_POLYPOLYGON16;
                const bool closed = type == U_EMR_POLYPOLYGON || type == U_EMR_POLYPOLYGON16;
                const qint64 polys = r.u32(24);
                qint64 first = 32 + polys * 4;
                if (closed && !inPath_) {
                    // One fill for all figures, so holes stay holes.
                    QPainterPath all;
                    all.setFillRule(fillRule_);
                    for (qint64 i = 0; i < polys; ++i) {
                        const qint64 n = r.u32(32 + 4 * i);
                        all.addPolygon(pointsAt(r, first, n, small));
                        all.closeSubpath();
                        first += n * (small ? 4 : 8);
                    }
                    if (painter_) {
                        strokeAndFill();
                        painter_->drawPath(all);
                    }
                    return;
                }
                for (qint64 i = 0; i < polys; ++i) {
                    const qint64 n = r.u32(32 + 4 * i);
                    figure(pointsAt(r, first, n, small), closed ? U_EMR_POLYGON : U_EMR_POLYLINE);
                    first += n * (small ? 4 : 8);
                }
                return;
            }
            case U_EMR_SETPIXELV:
                if (painter_)
                    painter_->fillRect(QRectF(pointAt(r, 8, false), QSizeF(1, 1)), colorAt(r, 16));
                return;
            case U_EMR_SETPOLYFILLMODE:
                fillRule_ = r.u32(8) == U_WINDING ? Qt::WindingFill : Qt::OddEvenFill;
                return;
            case U_EMR_SETTEXTALIGN:
                textAlign_ = r.u32(8);
                return;
            case U_EMR_SETTEXTCOLOR:
                textColor_ = colorAt(r, 8);
                return;
            case U_EMR_MOVETOEX:
                position_ = pointAt(r, 8, false);
                if (inPath_)
                    path_.moveTo(position_);
                return;
            case U_EMR_LINETO: {
                const QPointF to = pointAt(r, 8, false);
                if (inPath_) {
                    if (path_.elementCount() == 0)
                        path_.moveTo(position_);
                    path_.lineTo(to);
                } else if (painter_) {
                    strokeOnly();
                    painter_->drawLine(position_, to);
                }
                position_ = to;
                return;
            }
            case U_EMR_SELECTOBJECT:
                select(r.u32(8));
                return;
            case U_EMR_DELETEOBJECT:
                if (!isStock(r.u32(8)) && r.u32(8) < quint32(objects_.size()))
                    objects_[r.u32(8)] = Object();
                return;
            case U_EMR_CREATEPEN:
                createPen(r, false);
                return;
            case U_EMR_EXTCREATEPEN:
                createPen(r, true);
                return;
            case U_EMR_CREATEBRUSHINDIRECT:
                createBrush(r);
                return;
            case U_EMR_EXTCREATEFONTINDIRECTW:
                createFont(r);
                return;
            case U_EMR_RECTANGLE:
            case U_EMR_ELLIPSE:
            case U_EMR_ROUNDRECT: {
                const QRectF box = boxAt(r, 8);
                if (inPath_) {
                    if (type == U_EMR_ELLIPSE)
                        path_.addEllipse(box);
                    else if (type == U_EMR_ROUNDRECT)
                        path_.addRoundedRect(box, coordinate(r.i32(24)) / 2,
                                             coordinate(r.i32(28)) / 2);
                    else
                        path_.addRect(box);
                    return;
                }
                if (!painter_)
                    return;
                strokeAndFill();
                if (type == U_EMR_ELLIPSE)
                    painter_->drawEllipse(box);
                else if (type == U_EMR_ROUNDRECT)
                    painter_->drawRoundedRect(box, coordinate(r.i32(24)) / 2,
                                              coordinate(r.i32(28)) / 2);
                else
                    painter_->drawRect(box);
                return;
            }
            case U_EMR_BEGINPATH:
                path_ = QPainterPath();
                inPath_ = true;
                return;
            case U_EMR_ENDPATH:
                inPath_ = false;
                return;
            case U_EMR_ABORTPATH:
                path_ = QPainterPath();
                inPath_ = false;
                return;
            case U_EMR_CLOSEFIGURE:
                if (inPath_)
                    path_.closeSubpath();
                return;
            case U_EMR_FILLPATH:
            case U_EMR_STROKEPATH:
            case U_EMR_STROKEANDFILLPATH:
                if (painter_) {
                    path_.setFillRule(fillRule_);
                    painter_->setPen(type == U_EMR_FILLPATH ? QPen(Qt::NoPen) : pen_);
                    painter_->setBrush(type == U_EMR_STROKEPATH ? QBrush(Qt::NoBrush) : brush_);
                    painter_->drawPath(path_);
                }
                path_ = QPainterPath();
                inPath_ = false;
                return;
            case U_EMR_COMMENT:
                // A comment applies to the record right after it, or to nothing.
                exactSize_ = 0;
                exactPoint_.reset();
                if (r.u32(8) == 8 && std::memcmp(r.at(12), fontSizeTag, 4) == 0) {
                    const float exact = floatAt(r, 16);
                    if (std::isfinite(exact) && exact > 0 && exact <= maxFontPixels)
                        exactSize_ = exact;
                } else if (r.u32(8) == 12 && std::memcmp(r.at(12), textPointTag, 4) == 0) {
                    const float x = floatAt(r, 16), y = floatAt(r, 20);
                    if (std::isfinite(x) && std::isfinite(y))
                        exactPoint_ = QPointF(x, y);
                }
                return;
            case U_EMR_EXTSELECTCLIPRGN:
                clip(r);
                return;
            case U_EMR_STRETCHDIBITS:
                stretchDib(r);
                return;
            case U_EMR_EXTTEXTOUTA:
            case U_EMR_EXTTEXTOUTW:
                text(r);
                return;
            default:
                return;  // not a record this player draws
        }
    }

    const QByteArray& emf_;
    Header header_;
    QPainter* painter_;
    QList<EmfTextRun>* runs_;
    QTransform base_;
    QVector<Object> objects_;
    QPen pen_;
    QBrush brush_;
    FontDef font_;
    QColor textColor_ = Qt::black;
    quint32 textAlign_ = 0;
    Qt::FillRule fillRule_ = Qt::OddEvenFill;
    QPointF position_;
    QPainterPath path_;
    bool inPath_ = false;
    qreal exactSize_ = 0;
    std::optional<QPointF> exactPoint_;
};

}  // namespace

bool isValidEmf(const QByteArray& emf, QString* why) {
    return validate(emf, nullptr, why);
}

QRect emfBounds(const QByteArray& emf) {
    Header header;
    return validate(emf, &header, nullptr) ? header.bounds : QRect();
}

bool playEmf(const QByteArray& emf, QPainter& painter, const QRectF& target, QString* why) {
    Header header;
    if (!validate(emf, &header, why))
        return false;
    if (!painter.isActive()) {
        if (why)
            *why = QStringLiteral("The page picture cannot be drawn: the painter is not active.");
        return false;
    }
    if (!(target.width() > 0 && target.height() > 0))
        return true;
    Interpreter(emf, header, &painter, nullptr).play(target);
    return true;
}

QList<EmfTextRun> emfTextRuns(const QByteArray& emf) {
    Header header;
    QList<EmfTextRun> runs;
    if (validate(emf, &header, nullptr))
        Interpreter(emf, header, nullptr, &runs).play(QRectF());
    return runs;
}

}  // namespace lex
