#pragma once

#include <QString>
#include <stdexcept>

namespace lex {

// An error of the report engine: a page picture that cannot be made, a damaged or foreign saved
// report, a report file that cannot be read or written. The message is written for the user; the
// error box shows it (what() holds the same text in UTF-8).
class ReportError : public std::runtime_error {
  public:
    explicit ReportError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

  private:
    QString message_;
};

}  // namespace lex
