#pragma once

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>
#include <memory>

namespace lex {

class EmfPaintEngine;

// A prepared report page as an EMF picture. The composer paints on it with a QPainter exactly as
// it paints on a printer or a PDF, and finish() hands back the picture's bytes, written with
// libuemf. One logical unit of the picture is one pixel of a 96 dpi page (an A4 page is 794 x
// 1123), so coordinates are whole pixels; the header's bounds are the whole page (0, 0, width - 1,
// height - 1) and its frame the same page in 0.01 mm.
//
// What goes into the picture:
// - text runs as EMR_EXTTEXTOUTW (UTF-16, so Thai survives), each after the font it needs
//   (EMR_EXTCREATEFONTINDIRECTW: family, negative lfHeight = em height in pixels, weight, italic,
//   underline, strike-out, escapement for rotated text) and its colour; the text alignment is
//   baseline-left for the whole picture. Two private comments keep what whole pixels lose: when
//   the font's pixel size is not a whole number (a point size at 96 dpi), an EMR_COMMENT tagged
//   "LXfs" right before the font carries the exact size (a float), and when a run's reference
//   point falls between pixels, one tagged "LXtp" right before the run carries the exact point
//   (two floats). EmfPlayer uses them; other readers skip comments;
// - lines and polylines (EMR_POLYLINE), polygons (EMR_POLYGON), rectangles and ellipses
//   (EMR_RECTANGLE, EMR_ELLIPSE, whose box runs from the top-left corner to the far edges as
//   Qt's QRectF does), other paths as path brackets (MOVETOEX, POLYLINETO, POLYBEZIERTO,
//   CLOSEFIGURE, then FILLPATH / STROKEPATH / STROKEANDFILLPATH);
// - pens as geometric EMR_EXTCREATEPEN (colour, width, solid / dash / dot / dash-dot /
//   dash-dot-dot / custom dashes, caps and joins), a width-0 pen for Qt's cosmetic hairlines;
//   brushes as EMR_CREATEBRUSHINDIRECT (solid, none, the six hatches; gradients and textures
//   become their average colour, other fill patterns solid);
// - pictures as EMR_STRETCHDIBITS with a bottom-up 24-bit DIB, or a 32-bit one with its alpha
//   channel when the picture has transparent pixels; a picture much larger than the place it is
//   drawn in is scaled down to four times that size first;
// - rectangular and general clipping as EMR_EXTSELECTCLIPRGN (a list of rectangles).
//
// Not kept: colour transparency (colours are written opaque; a fully transparent pen or brush
// draws nothing), composition modes, opacity, and glyph runs drawn with drawGlyphRun. Under a
// rotation or shear a picture is drawn into its bounding box at page resolution first.
//
// One device is one page: paint on it with one or more QPainter sessions, end them, then call
// finish(). Painting after finish() does nothing.
class EmfPaintDevice : public QPaintDevice {
  public:
    static constexpr int dpi = 96;
    // The largest page side in pixels; EmfPlayer refuses larger pictures too.
    static constexpr int maxSide = 20000;

    // Throws ReportError when a side is below 1 or above maxSide.
    explicit EmfPaintDevice(const QSize& pagePixels);
    ~EmfPaintDevice() override;
    EmfPaintDevice(const EmfPaintDevice&) = delete;
    EmfPaintDevice& operator=(const EmfPaintDevice&) = delete;

    QPaintEngine* paintEngine() const override;

    // Ends the picture with its EOF record, fills in the header's byte, record and handle counts,
    // and returns the complete EMF. Later calls return the same bytes.
    QByteArray finish();

  protected:
    int metric(PaintDeviceMetric metric) const override;

  private:
    QSize size_;
    std::unique_ptr<EmfPaintEngine> engine_;
};

}  // namespace lex
