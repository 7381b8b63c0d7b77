#include "data/AliasResolver.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "data/IniFile.h"

namespace lex::alias {

namespace {
const QString kRelativeFile = QStringLiteral("kolvane/aliases.ini");
}

QStringList aliasFiles() {
    QStringList files;
    for (const QString& dir :
         QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        files << QDir(dir).filePath(kRelativeFile);
    return files;
}

QString resolve(const QString& name) {
    for (const QString& file : aliasFiles()) {
        const IniFile ini = IniFile::load(file);
        if (ini.contains(name, QStringLiteral("Path")))
            return ini.value(name, QStringLiteral("Path"));
    }
    return {};
}

QString undefinedMessage(const QString& name) {
    QString text = QStringLiteral(
                       "Unknown database alias: %1. The alias names the data directory; it was "
                       "looked for in these files:\n")
                       .arg(name);
    const QStringList files = aliasFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QFileInfo info(files[i]);
        QString state;
        if (!info.exists())
            state = QStringLiteral("no such file");
        else if (!info.isFile() || !info.isReadable())
            state = QStringLiteral("cannot be read");
        else if (IniFile::load(files[i]).contains(name, QStringLiteral("Path")))
            state = QStringLiteral("its Path is empty");
        else
            state = QStringLiteral("no [%1] section with a Path").arg(name);
        text +=
            QStringLiteral("  %1 (%2, %3)\n")
                .arg(QDir::toNativeSeparators(files[i]),
                     i == 0 ? QStringLiteral("the user's") : QStringLiteral("the system's"), state);
    }
    text += QStringLiteral(
                "Define it with \"lexivore-dict alias DIR\", DIR being the data directory (made by "
                "\"lexivore-dict init DIR\"), or add to one of these files:\n  [%1]\n  Path=DIR")
                .arg(name);
    return text;
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
