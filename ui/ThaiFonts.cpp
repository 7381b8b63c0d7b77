#include "ui/ThaiFonts.h"

#include <QApplication>
#include <QFont>

namespace lex {

void installFonts() {
    // Loma is the TLWG face drawn after Tahoma, the Thai companion of MS Sans Serif.
    QFont::insertSubstitutions(
        QStringLiteral("MS Sans Serif"),
        {QStringLiteral("Loma"), QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    QApplication::setFont(font);
}

}  // namespace lex
