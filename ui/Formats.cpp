#include "ui/Formats.h"

#include <unicode/datefmt.h>
#include <unicode/smpdtfmt.h>

#include <memory>

namespace lex {

namespace {

icu::Locale icuLocale(const QLocale& locale) {
    if (locale.language() == QLocale::C)
        return icu::Locale("en_US");
    icu::Locale l(locale.name().toLatin1().constData());
    if (locale.language() == QLocale::Thai) {
        UErrorCode status = U_ZERO_ERROR;
        l.setKeywordValue("calendar", "buddhist", status);
    }
    return l;
}

QString toQString(const icu::UnicodeString& s) {
    return QString(reinterpret_cast<const QChar*>(s.getBuffer()), s.length());
}

}  // namespace

QString longDate(const QDateTime& when, const QLocale& locale) {
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat format(icu::UnicodeString("dd MMMM yyyy"), icuLocale(locale), status);
    if (U_FAILURE(status))
        return locale.toString(when.date(), QStringLiteral("dd MMMM yyyy"));
    icu::UnicodeString out;
    format.format(static_cast<UDate>(when.toMSecsSinceEpoch()), out);
    return toQString(out);
}

QString longTime(const QDateTime& when, const QLocale& locale) {
    std::unique_ptr<icu::DateFormat> format(
        icu::DateFormat::createTimeInstance(icu::DateFormat::kMedium, icuLocale(locale)));
    if (!format)
        return locale.toString(when.time(), QStringLiteral("HH:mm:ss"));
    icu::UnicodeString out;
    format->format(static_cast<UDate>(when.toMSecsSinceEpoch()), out);
    return toQString(out);
}

QString clockText(const QDateTime& when, const QLocale& locale) {
    return longDate(when, locale) + QStringLiteral(" เวลา ") + longTime(when, locale);
}

QString formatCount(qint64 n) {
    QLocale locale;
    if (locale.language() == QLocale::C)  // the C locale writes no thousands separator
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return locale.toString(n);
}

}  // namespace lex
