#include "ui/ErrorBox.h"

#include <QApplication>

#include "data/DataError.h"
#include "ui/UserDialogs.h"

namespace lex {

QString applicationTitle() {
    return QString::fromLatin1(kApplicationTitle);
}

void showError(const std::exception& error) {
    const auto* dataError = dynamic_cast<const DataError*>(&error);
    const QString text = dataError ? dataError->message() : QString::fromUtf8(error.what());
    UserDialogs::current().message(QApplication::activeWindow(), applicationTitle(), text,
                                   BoxIcon::Stop);
}

void guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        showError(e);
    }
}

}  // namespace lex
