#pragma once

#include <QApplication>
#include <QFont>
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

}  // namespace lex
