#pragma once

#include <QString>
#include <QUrl>

namespace lex {

// The address a control opens, by its name ("Button2", "KolvaneWebsite1", "Image1", "Label4", ...);
// an empty address for a control that opens none.
QUrl linkAddress(const QString& controlName);

// Opens the control's address in the user's browser, without waiting; a failure reports nothing.
void openLink(const QString& controlName);

}  // namespace lex
