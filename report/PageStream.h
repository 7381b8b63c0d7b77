#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <memory>

class QFile;
class QTemporaryFile;

namespace lex {

// The bytes behind the prepared-page store. A stream made for preparing a report starts in memory
// and, as soon as a write leaves more than memoryLimit bytes there, moves once to a new temporary
// file "PRP…" in the user's temporary folder; from then on every read and write goes to that
// file, which is deleted with the stream. A stream made over an existing file (a loaded report)
// only reads it.
//
// Each operation holds the stream's own lock, so a reader and a writer never interleave inside
// one call. A caller that needs several calls to go together (seek, then read) holds its own lock
// around them. File errors are thrown as ReportError.
class TPageStream {
  public:
    static constexpr qint64 memoryLimit = 100000;

    TPageStream();
    explicit TPageStream(const QString& path);  // opens the file for reading only
    ~TPageStream();
    TPageStream(const TPageStream&) = delete;
    TPageStream& operator=(const TPageStream&) = delete;

    // Reads up to `count` bytes at the position into `data`; returns how many were read, fewer
    // than asked only at the end of the stream.
    qint64 read(char* data, qint64 count);
    // Reads up to `count` bytes; never more than the stream holds past the position.
    QByteArray read(qint64 count);
    void write(const char* data, qint64 count);
    void write(const QByteArray& bytes) { write(bytes.constData(), bytes.size()); }
    void seek(qint64 position);
    // Cuts the stream to `size` bytes (a no-op when it is not longer); the position stays.
    void truncate(qint64 size);
    qint64 position() const;
    qint64 size() const;

    bool isReadOnly() const { return loaded_ != nullptr; }
    bool isOnFile() const;          // moved to its temporary file
    QString temporaryPath() const;  // the temporary file's path, empty while in memory
    QString loadedPath() const;     // the file a loaded report is read from, else empty

  private:
    qint64 readUnlocked(char* data, qint64 count);
    void moveToFile();
    QFile* file() const;  // the temporary or the loaded file; null while in memory

    mutable QMutex mutex_;
    QByteArray memory_;
    qint64 memoryPos_ = 0;
    std::unique_ptr<QTemporaryFile> temporary_;
    std::unique_ptr<QFile> loaded_;
};

}  // namespace lex
