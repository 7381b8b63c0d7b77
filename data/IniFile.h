#pragma once

#include <QString>
#include <QStringList>

namespace lex {

// A small reader and writer for INI text: "[Section]" lines, "key=value" lines, comments starting
// with ';' or '#'. Section names are kept as written (spaces included), which QSettings would
// percent-encode. Lines the writer does not touch are kept as they were.
class IniFile {
  public:
    static IniFile fromText(const QString& text);
    static IniFile load(const QString& path);  // a missing or unreadable file reads as empty

    QString value(const QString& section, const QString& key) const;
    bool contains(const QString& section, const QString& key) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    QString toText() const;
    bool save(const QString& path, QString* error) const;

  private:
    int findKey(const QString& section, const QString& key) const;
    QStringList lines_;
};

}  // namespace lex
