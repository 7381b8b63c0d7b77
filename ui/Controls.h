#pragma once

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QFrame>
#include <QPalette>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QTableView;
class QToolButton;

namespace lex {

// Gives a new control its name and its place (left, top, width, height in pixels).
template <typename W>
W* placed(W* widget, const char* name, int x, int y, int width, int height) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, width, height);
    return widget;
}

// The window font, bold and, when given, at another height in pixels.
inline QFont windowFont(bool bold, int pixels = 0) {
    QFont f = QApplication::font();
    if (pixels > 0)
        f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// The colour to draw text of the colour `wanted` with on `background`: `wanted` itself where it
// stands out by at least 4.5 : 1 (WCAG AA), else a lighter or darker shade of the same hue that
// does (a dark desktop theme turns the tooltip-yellow grids dark, and pure blue vanishes on them).
QColor readableOn(const QColor& wanted, const QColor& background);

// The same against the application palette's colour of `role`.
QColor readableOn(const QColor& wanted, QPalette::ColorRole role);

// How a new control looks and answers the mouse: the flags of the helpers below.
enum ControlFlag : unsigned {
    kBold = 1u << 0,        // the window font, bold
    kHandCursor = 1u << 1,  // the pointing hand over it
};

// A label at (x, y): sized to its text, or w × h pixels when w is given.
QLabel* label(QWidget* parent, const char* name, const QString& text, int x, int y,
              unsigned flags = 0, int w = 0, int h = 13);

// A panel's title at (x, y): bold, `pixels` high, blue where blue can be read on the window.
QLabel* title(QWidget* parent, const char* name, const QString& text, int x, int y, int pixels);

// A sunken frame or line drawn for the look only: clicks pass through it.
QFrame* bevel(QWidget* parent, const char* name, int x, int y, int w, int h,
              QFrame::Shape shape = QFrame::Box);

// A push button with its hint; Enter in a dialog does not press it unless it is made the default.
QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                    int x, int y, int w, int h, unsigned flags = 0);

// A tool button that stays down when pressed, independently of its neighbours.
QToolButton* toggle(QWidget* parent, const char* name, const QString& caption, const QString& hint,
                    int x, int y, int w, int h);

// A data grid: read-only, whole rows selected, column titles, a narrow row indicator, grid lines
// and the tooltip-yellow background.
QTableView* grid(QWidget* parent, const char* name, int x, int y, int w, int h);

// Gives `widget` the tooltip-yellow background of the data grids.
void paintYellow(QWidget* widget);

// Centres the window `window` on its screen's working area, frame included. Before a window
// manager has framed it, the frame of another framed window of the program stands in; failing
// that, the window is centred again as soon as its own frame is known.
void centreOnScreen(QWidget* window);

// Gives every control under `root` that a user can reach by keyboard or mouse, and that has
// neither a name for screen readers nor a caption of its own, its hint as that name.
void nameFromHints(QWidget* root);

}  // namespace lex
