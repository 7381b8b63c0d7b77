#pragma once

#include <QDateTime>
#include <QString>

class QWidget;

namespace lex {

// Days since 30 December 1899 00:00, the fraction giving the time of day, and back.
double toDayNumber(const QDateTime& when);
QDateTime fromDayNumber(double days);

// The quiz's best score ever, with its holder and date, kept in the registry store: Registry.ini
// in the data directory, key path Software/Kolvane, values MaxUser, MaxPoint and MaxDate as texts.
class HighScore {
  public:
    static constexpr const char* kNoHolder = "ยังไม่มีข้อมูล";

    explicit HighScore(const QString& dataDirectory);

    // Reads the three values; missing or empty ones take their defaults. A stored number that is
    // not a number also takes its default, and one message names the values ignored.
    void read(QWidget* parent);
    // Writes the three values, each on its own; each one that cannot be written is reported with
    // "Error in Opening Created Key 3" and the rest are still tried.
    void write(QWidget* parent);

    QString holder;
    int points = 0;
    QDateTime date;

    // points + " คะแนน ทำไว้โดยคุณ" + holder + " เมื่อ " + date as "dd mmmm eeee".
    QString recordLine() const;

    // The stored-text form of a date: general notation, up to 15 significant digits, with the
    // locale's decimal separator.
    static QString dateText(const QDateTime& when);
    static bool parseDate(const QString& text, QDateTime* when);

  private:
    QString file_;
    // The store could not be read when the record was read: it is never written over. (Qt
    // reports a store it cannot parse only the first time a process opens it.)
    bool unreadable_ = false;
};

}  // namespace lex
