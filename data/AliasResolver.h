#pragma once

#include <QString>
#include <QStringList>

namespace lex {

// The database alias names the data directory. Aliases live in kolvane/aliases.ini under the
// configuration folders (the user's first, then the system's), section [<alias>], key Path.
namespace alias {

inline constexpr const char* kDictionaryAlias = "Ruv Idez";

// The directory the alias names, or an empty text when no configuration file defines it.
QString resolve(const QString& name = QString::fromLatin1(kDictionaryAlias));

// The user's alias file, where `define` writes.
QString userAliasFile();

// Every alias file `resolve` reads, in its order: the user's first, then the system's.
QStringList aliasFiles();

// What the user is told when no alias file defines the alias: which files were looked at and how
// to define it.
QString undefinedMessage(const QString& name = QString::fromLatin1(kDictionaryAlias));

// Writes the alias into the user's alias file, keeping whatever else the file holds.
bool define(const QString& name, const QString& directory, QString* error);

}  // namespace alias
}  // namespace lex
