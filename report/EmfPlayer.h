#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QString>

class QPainter;

namespace lex {

// Plays the EMF page pictures that EmfPaintDevice writes, through a QPainter at any zoom.
//
// Records played: polylines, polygons and Béziers (32- and 16-bit points, single and poly-poly),
// rectangles, rounded rectangles, ellipses, single pixels, lines from the current position,
// path brackets with fill / stroke / stroke-and-fill, pens (EMR_CREATEPEN, EMR_EXTCREATEPEN with
// styles, caps, joins and custom dashes), brushes (solid, null, hatched, the stock ones), fonts
// (EMR_EXTCREATEFONTINDIRECTW), text colour and alignment, EMR_EXTTEXTOUTW / A, EMR_STRETCHDIBITS
// with an uncompressed 24- or 32-bit DIB, the fill mode and EMR_EXTSELECTCLIPRGN (copy and
// intersect). Any other record is skipped. Text is laid out by Qt from the run's string, so Thai
// is shaped as it is on the page; the spacing array is left for other readers. The writer's
// private comments ("LXfs": a font's exact pixel size, "LXtp": a run's exact reference point)
// refine the record right after them when they agree with it to within half a pixel. A 32-bit
// DIB whose alpha bytes are all 0 is opaque; otherwise its alpha is used (not premultiplied).
// Rectangle and ellipse boxes run to their far edges, as the writer puts them.
//
// A picture is checked whole (isValidEmf) before anything is drawn. An invalid picture draws
// nothing: playEmf returns false and gives the reason; it never throws for a bad picture.

// Checks that `emf` is an EMF this player may walk: header record (type 1) at offset 0 with the
// " EMF" signature at offset 40, nBytes equal to the byte count, page bounds of 1 to 20000
// pixels a side, every record's size a multiple of 4, at least 8 and inside the file, the
// header's record count met, EMR_EOF as the last record and nowhere else, and in every record
// this player reads, the fields it reads: object indexes below the header's handle count, point
// and rectangle counts, strings and spacing arrays, region data and bitmaps inside their
// record. A bitmap may be at most 20000 pixels a side and 100 million pixels in all. When it
// returns false, `why` (if given) says what is wrong, for a reader.
bool isValidEmf(const QByteArray& emf, QString* why = nullptr);

// The page a valid picture covers, in its own pixels (the header's bounds, made exclusive);
// an empty rectangle for an invalid picture.
QRect emfBounds(const QByteArray& emf);

// Draws the picture so that its page fills `target` (in the painter's current coordinates),
// clipped to it. The painter's state is the same afterwards. Returns false, drawing nothing,
// when the picture is not valid; `why` then says why.
bool playEmf(const QByteArray& emf, QPainter& painter, const QRectF& target,
             QString* why = nullptr);

// A text run of a picture as its records give it.
struct EmfTextRun {
    QString text;
    QPoint position;  // the reference point, in page pixels
    QRect bounds;     // the record's bounds, in page pixels
    QString family;
    int pixelHeight = 0;  // em height in page pixels (-lfHeight; lfHeight > 0 counts the cell)
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    qreal angle = 0;     // degrees, counter-clockwise (lfEscapement / 10)
    quint8 charset = 1;  // lfCharSet: 1 default, 222 Thai
    QColor color;
    quint32 align = 0;  // the text alignment in force (TA_ flags)
};

// The text runs of a valid picture in the order they are drawn; empty for an invalid picture.
QList<EmfTextRun> emfTextRuns(const QByteArray& emf);

}  // namespace lex
