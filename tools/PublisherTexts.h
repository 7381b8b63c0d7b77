#pragma once

#include <QString>
#include <QStringList>

namespace lex {

// The seven publisher texts that take turns in the status bar's wide panel, every five seconds.
class PublisherTexts {
  public:
    static const QStringList& texts();

    void reset() { position_ = 0; }  // the first text comes next
    // The text at the current position; the position moves on, from the seventh to the first.
    QString next();

  private:
    int position_ = 0;
};

}  // namespace lex
