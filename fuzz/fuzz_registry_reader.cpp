// The quiz's record store: read as the program starts, and written back after a new record.
#include <QDir>
#include <QFile>
#include <QSettings>

#include "fuzz/FuzzSupport.h"
#include "quiz/HighScore.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    lex::fuzz::prepare(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString folder = lex::fuzz::scratchDirectory();
    lex::fuzz::writeFile(folder + QStringLiteral("/Registry.ini"), data, size);
    lex::HighScore score(folder);
    score.read(nullptr);
    (void)score.recordLine();
    if (score.holder.isEmpty() || !score.date.isValid())
        __builtin_trap();

    // A store Qt cannot parse is left as it is (the write reports an error); any other store
    // takes the new record. Qt tells a file it cannot parse only on the first opening in a
    // process, so a copy under a new name is asked.
    static int probes = 0;
    const QString probe = folder + QStringLiteral("/probe-%1.ini").arg(++probes);
    QFile::remove(probe);
    QFile::copy(folder + QStringLiteral("/Registry.ini"), probe);
    const bool parsable = QSettings(probe, QSettings::IniFormat).status() == QSettings::NoError;
    QFile::remove(probe);
    score.holder = QStringLiteral("ผู้เล่น \"[x]\";=\\");
    score.points = 42;
    score.write(nullptr);
    if (!parsable)
        return 0;
    lex::HighScore back(folder);
    back.read(nullptr);
    if (back.holder != score.holder || back.points != 42)
        __builtin_trap();
    return 0;
}
