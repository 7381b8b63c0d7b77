#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// What every fuzz target shares: the Qt application object, a dialog seam that answers at once,
// and a scratch folder for targets whose code reads from files.
namespace lex::fuzz {

// Makes the application object (offscreen, once), installs the silent dialog seam and keeps Qt's
// warnings about damaged input off the fuzzer's output.
void prepare(int* argc, char*** argv);

// A folder of this process's own, on a memory file system where there is one.
QString scratchDirectory();

// Replaces the file's content with the bytes.
void writeFile(const QString& path, const uint8_t* data, size_t size);

}  // namespace lex::fuzz
