#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct sqlite3;

namespace lex {

struct TableDef;

// One connection to the data directory: an in-memory main database with the four table files
// attached by URI, the dictionary read-only, the user's three tables read-write. Opening fails
// with a DataError when the directory, a file or a table is missing, locked or damaged; the
// program never creates or empties a table file.
class Database {
  public:
    static constexpr int kDefaultBusyTimeoutMs = 5000;

    explicit Database(const QString& directory, int busyTimeoutMs = kDefaultBusyTimeoutMs);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the directory that the alias "Ruv Idez" names.
    static QString aliasDirectory();

    const QString& directory() const { return directory_; }
    QSqlDatabase connection() const;
    sqlite3* handle() const;

    // The headwords of the dictionary's Thai-headword directions (Thai to English, Thai to
    // Thai), each once.
    QStringList thaiHeadwords() const;

  private:
    void attach(const QString& fileName, const QString& schema, bool readOnly);
    void verifyTable(const TableDef& def);

    QString directory_;
    QString connectionName_;
};

}  // namespace lex
