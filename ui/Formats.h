#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace lex {

// A count in the pattern "#,##0": thousands separated, no decimals.
QString formatCount(qint64 n);

// The date in the pattern "dd mmmm eeee": two-digit day, the locale's full month name and the
// four-digit year, in the Buddhist era on a Thai locale and in the ordinary year elsewhere.
QString longDate(const QDateTime& when, const QLocale& locale = QLocale());

// The locale's long time: hours, minutes and seconds, without the time zone.
QString longTime(const QDateTime& when, const QLocale& locale = QLocale());

// The text of the status bar's clock: date, " เวลา ", time.
QString clockText(const QDateTime& when, const QLocale& locale = QLocale());

}  // namespace lex
