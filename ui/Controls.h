#pragma once

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>
#include <QWidget>

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

// Centres the window `window` on its screen's working area, frame included. Before a window
// manager has framed it, the frame of another framed window of the program stands in; failing
// that, the window is centred again as soon as its own frame is known.
void centreOnScreen(QWidget* window);

// Gives every control under `root` that a user can reach by keyboard or mouse, and that has
// neither a name for screen readers nor a caption of its own, its hint as that name.
void nameFromHints(QWidget* root);

}  // namespace lex
