#pragma once

#include <QPen>

namespace lex {

// The line caps and joins of an EMF pen (the end-cap and join bits of its elpPenStyle), one table
// for the writer and the player: the bits for a Qt pen, and a Qt cap and join for the bits.
quint32 emfCapAndJoin(const QPen& pen);
Qt::PenCapStyle qtCap(quint32 emfStyle);
Qt::PenJoinStyle qtJoin(quint32 emfStyle);

}  // namespace lex
