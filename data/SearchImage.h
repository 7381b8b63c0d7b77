#pragma once

#include <QString>
#include <cstddef>
#include <functional>

struct sqlite3;

namespace lex::search_image {

// The search index prepared at import, stored beside the dictionary in its own file as named
// pieces. Triggers empty it whenever an entry is added, changed or removed, by any program, so a
// stored index always describes the table it stands beside.
inline constexpr const char* kTable = "Main_Data_Search";

// In schema main of `db`, which holds Main_Data. Each throws DataError.
void createTable(sqlite3* db);
void dropTriggers(sqlite3* db);
void createTriggers(sqlite3* db);
void clear(sqlite3* db);
// False when the piece is larger than the engine stores in one value.
bool write(sqlite3* db, const char* name, const void* bytes, size_t size);

// Reads a piece: `allocate(size, where)` sets where its bytes go, or returns false to refuse
// the size. False when the table or the piece is missing, refused or cannot be read.
bool read(sqlite3* db, const QString& schemaName, const char* name,
          const std::function<bool(size_t, void*&)>& allocate);

}  // namespace lex::search_image
