#pragma once

#include <QString>
#include <exception>
#include <functional>

namespace lex {

// The application title: plain message boxes and the default error box carry it. The main
// window's own caption differs from it in the version number.
inline constexpr const char* kApplicationTitle =
    "Kolvane : Engineering Dictionary Lexivore Version 1.0";
QString applicationTitle();

// The default error handler: shows an error of the engine or the framework in a box captioned
// with the application title, with the stop icon. The handler that raised it stops there; the
// program goes on.
void showError(const std::exception& error);

// Runs an event handler under the default error handler.
void guarded(const std::function<void()>& handler);

}  // namespace lex
