#pragma once

namespace lex {

// Registers the pictures compiled into the core library (a static library registers nothing by
// itself).
void initResources();

}  // namespace lex
