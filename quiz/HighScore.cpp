#include "quiz/HighScore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <cmath>

#include "ui/ErrorBox.h"
#include "ui/Formats.h"
#include "ui/UserDialogs.h"

namespace lex {

namespace {

const QDate kDayZero(1899, 12, 30);
const QString kKey = QStringLiteral("Software/Kolvane/");

QLocale numberLocale() {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

// Why the store cannot be read as a whole, or an empty text when it can (or is not there yet).
QString storeProblem(const QString& file) {
    const QFileInfo info(file);
    if (!info.exists())
        return {};
    if (!info.isFile())
        return QStringLiteral("it is not a file");
    QFile raw(file);
    if (!raw.open(QIODevice::ReadOnly))
        return raw.errorString();
    QSettings store(file, QSettings::IniFormat);
    if (store.status() == QSettings::FormatError)
        return QStringLiteral("its content is not that of a record store");
    if (store.status() != QSettings::NoError)
        return QStringLiteral("it cannot be read");
    return {};
}

// Each read and write opens the store on its own, as the registry key is opened for each value.
QString readValue(const QString& file, const QString& name) {
    QSettings store(file, QSettings::IniFormat);
    return store.value(kKey + name).toString();
}

bool writeValue(const QString& file, const QString& name, const QString& value) {
    // Writing would drop whatever Qt could not read, so a store that cannot be read is kept.
    if (!storeProblem(file).isEmpty())
        return false;
    QSettings store(file, QSettings::IniFormat);
    if (store.status() != QSettings::NoError || !store.isWritable())
        return false;
    store.setValue(kKey + name, value);
    store.sync();
    return store.status() == QSettings::NoError;
}

}  // namespace

double toDayNumber(const QDateTime& when) {
    return static_cast<double>(kDayZero.daysTo(when.date())) +
           when.time().msecsSinceStartOfDay() / 86400000.0;
}

QDateTime fromDayNumber(double days) {
    const double whole = std::floor(days);
    const qint64 ms = std::llround((days - whole) * 86400000.0);
    return QDateTime(kDayZero.addDays(static_cast<qint64>(whole)), QTime(0, 0)).addMSecs(ms);
}

HighScore::HighScore(const QString& dataDirectory)
    : holder(QString::fromUtf8(kNoHolder)),
      date(QDateTime::currentDateTime()),
      file_(QDir(dataDirectory).filePath(QStringLiteral("Registry.ini"))) {}

QString HighScore::dateText(const QDateTime& when) {
    return numberLocale().toString(toDayNumber(when), 'g', 15);
}

bool HighScore::parseDate(const QString& text, QDateTime* when) {
    bool ok = false;
    double days = numberLocale().toDouble(text.trimmed(), &ok);
    if (!ok) {
        // Written under a locale with the other decimal separator ("46364,25" read under a
        // point locale, or the reverse): the stored text has no group separators, so its one
        // comma or point is the decimal separator either way.
        QString plain = text.trimmed();
        if (plain.count(u',') + plain.count(u'.') == 1)
            days = QLocale::c().toDouble(plain.replace(u',', u'.'), &ok);
    }
    // Beyond these the date is no calendar date a record could carry.
    if (!ok || !std::isfinite(days) || days < -657434 || days > 2958466)
        return false;
    *when = fromDayNumber(days);
    return true;
}

void HighScore::read(QWidget* parent) {
    // A store that cannot be read gives the defaults without a word, as a registry key that
    // cannot be opened does; it is never written over either (see write()), so what it holds
    // stays for the user to repair, and a new record says "Error in Opening Created Key 3".
    unreadable_ = !storeProblem(file_).isEmpty();
    if (unreadable_) {
        holder = QString::fromUtf8(kNoHolder);
        points = 0;
        date = QDateTime::currentDateTime();
        return;
    }
    QStringList ignored;
    const QString user = readValue(file_, QStringLiteral("MaxUser"));
    holder = user.isEmpty() ? QString::fromUtf8(kNoHolder) : user;

    const QString pointText = readValue(file_, QStringLiteral("MaxPoint"));
    points = 0;
    if (!pointText.isEmpty()) {
        bool ok = false;
        const int value = pointText.trimmed().toInt(&ok);
        if (ok)
            points = value;
        else
            ignored << QStringLiteral("MaxPoint \"%1\"").arg(pointText);
    }

    const QString dateValue = readValue(file_, QStringLiteral("MaxDate"));
    date = QDateTime::currentDateTime();
    if (!dateValue.isEmpty() && !parseDate(dateValue, &date)) {
        date = QDateTime::currentDateTime();
        ignored << QStringLiteral("MaxDate \"%1\"").arg(dateValue);
    }
    if (!ignored.isEmpty())
        UserDialogs::current().message(
            parent, applicationTitle(),
            QStringLiteral("The stored high score in %1 holds a value that is not a number; it "
                           "was ignored: %2")
                .arg(QDir::toNativeSeparators(file_), ignored.join(QStringLiteral(", "))),
            BoxIcon::Warning);
}

void HighScore::write(QWidget* parent) {
    const std::pair<QString, QString> values[] = {
        {QStringLiteral("MaxUser"), holder},
        {QStringLiteral("MaxPoint"), QString::number(points)},
        {QStringLiteral("MaxDate"), dateText(date)}};
    for (const auto& [name, value] : values)
        if (unreadable_ || !writeValue(file_, name, value))
            UserDialogs::current().message(parent, applicationTitle(),
                                           QStringLiteral("Error in Opening Created Key 3"),
                                           BoxIcon::None);
}

QString HighScore::recordLine() const {
    return QString::number(points) + QStringLiteral(" คะแนน ทำไว้โดยคุณ") + holder +
           QStringLiteral(" เมื่อ ") + longDate(date);
}

}  // namespace lex
