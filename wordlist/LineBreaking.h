#pragma once

#include <QStringList>
#include <functional>

namespace lex {

// The lines of a word-wrapped text field of a fixed width. Line feeds are dropped, carriage
// returns start a new part; a part is cut into pieces after each space or hyphen and at Thai word
// boundaries (Thai is written without spaces), and the pieces fill lines up to `width`, as
// measured by `textWidth`. A piece wider than a line is cut: its characters beyond the width are
// lost, never carried to the next line.
QStringList breakLines(const QString& text, double width,
                       const std::function<double(const QString&)>& textWidth);

// The pieces of one part of a text (exposed for tests).
QStringList linePieces(const QString& part);

// Thai words no line may break inside, besides what libthai's own word list knows: the
// dictionary's Thai headwords, so that a loanword such as "ฟาเรนไฮต์" is never split where
// libthai's list would split it. Replaces the words given before.
void setThaiVocabulary(const QStringList& words);

}  // namespace lex
