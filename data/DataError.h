#pragma once

#include <QString>
#include <stdexcept>

namespace lex {

// An error of the data engine or of the data layer above it. The message is what the user sees
// in the error box, so it is written for a reader, with the engine's own text where there is one.
class DataError : public std::runtime_error {
  public:
    explicit DataError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

  private:
    QString message_;
};

}  // namespace lex
