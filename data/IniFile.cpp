#include "data/IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>

namespace lex {

namespace {

bool sectionName(const QString& line, QString* name) {
    const QString t = line.trimmed();
    if (t.size() < 2 || !t.startsWith(u'[') || !t.endsWith(u']'))
        return false;
    *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

bool keyValue(const QString& line, QString* key, QString* value) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'#'))
        return false;
    const qsizetype eq = t.indexOf(u'=');
    if (eq <= 0)
        return false;
    *key = t.left(eq).trimmed();
    *value = t.mid(eq + 1).trimmed();
    return true;
}

}  // namespace

IniFile IniFile::fromText(const QString& text) {
    IniFile ini;
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    ini.lines_ = normalised.split(u'\n');
    if (!ini.lines_.isEmpty() && ini.lines_.last().isEmpty())
        ini.lines_.removeLast();
    return ini;
}

IniFile IniFile::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // Alias files are tiny; anything huge is not one of ours and is read only in part. The
    // size is asked first because read(n) sets aside n bytes whatever the file holds.
    const qint64 limit = 1 << 20;
    return fromText(QString::fromUtf8(file.read(std::min(file.size(), limit))));
}

int IniFile::findKey(const QString& section, const QString& key) const {
    QString current;
    bool inSection = false;
    for (int i = 0; i < lines_.size(); ++i) {
        QString name, k, v;
        if (sectionName(lines_[i], &name)) {
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
        } else if (inSection && keyValue(lines_[i], &k, &v) &&
                   k.compare(key, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

QString IniFile::value(const QString& section, const QString& key) const {
    const int i = findKey(section, key);
    QString k, v;
    if (i >= 0 && keyValue(lines_[i], &k, &v))
        return v;
    return {};
}

bool IniFile::contains(const QString& section, const QString& key) const {
    return findKey(section, key) >= 0;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    const QString line = key + u'=' + value;
    const int i = findKey(section, key);
    if (i >= 0) {
        lines_[i] = line;
        return;
    }
    for (int s = 0; s < lines_.size(); ++s) {
        QString name;
        if (sectionName(lines_[s], &name) && name.compare(section, Qt::CaseInsensitive) == 0) {
            lines_.insert(s + 1, line);
            return;
        }
    }
    if (!lines_.isEmpty() && !lines_.last().trimmed().isEmpty())
        lines_.append(QString());
    lines_.append(u'[' + section + u']');
    lines_.append(line);
}

QString IniFile::toText() const {
    return lines_.join(u'\n') + u'\n';
}

bool IniFile::save(const QString& path, QString* error) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toText().toUtf8()) < 0 || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace lex
