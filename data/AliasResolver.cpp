#include "data/AliasResolver.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "data/IniFile.h"

namespace lex::alias {

namespace {
const QString kRelativeFile = QStringLiteral("kolvane/aliases.ini");
}

QString resolve(const QString& name) {
    const QStringList dirs =
        QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    for (const QString& dir : dirs) {
        const IniFile ini = IniFile::load(QDir(dir).filePath(kRelativeFile));
        if (ini.contains(name, QStringLiteral("Path")))
            return ini.value(name, QStringLiteral("Path"));
    }
    return {};
}

QString userAliasFile() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(kRelativeFile);
}

bool define(const QString& name, const QString& directory, QString* error) {
    const QString file = userAliasFile();
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
        if (error)
            *error = QStringLiteral("cannot create the folder of %1").arg(file);
        return false;
    }
    IniFile ini = IniFile::load(file);
    ini.setValue(name, QStringLiteral("Path"), QDir(directory).absolutePath());
    return ini.save(file, error);
}

}  // namespace lex::alias
