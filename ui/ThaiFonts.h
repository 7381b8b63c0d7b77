#pragma once

namespace lex {

// Maps the font names of the window layouts to the installed TLWG fonts, which carry Thai, and
// sets the window font ("MS Sans Serif", 8 point at 96 dots per inch: 11 pixels).
void installFonts();

}  // namespace lex
