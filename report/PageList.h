#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <memory>

#include "report/PageStream.h"

namespace lex {

// The total size in bytes that an EMF picture declares in its header record (EMR_HEADER: record
// type 1 at offset 0, record size at offset 4, nBytes at offset 48), or -1 when `head` does not
// start with such a header. `head` needs to hold only the first 52 bytes of the picture.
qint64 emfSize(const QByteArray& head);

// The prepared pages of a report, one EMF picture a page, kept in a TPageStream in the layout of
// the saved-report file, so that saving is a plain copy and loading reads the file in place.
//
// Layout (little-endian): a 128-byte header (uint16 3, uint16 305, int32 page count at 8, the
// time it was written at 16 as a double of days since 1899-12-30, compression flag 0 at 25),
// then one record a page from offset 128: int32 page number, int32 offset of the next record,
// the picture's bytes, int32 offset of the record's own start. The last four bytes of the store
// are thus the offset of the last record, and records link both ways.
//
// Pages can be added while others are read: each add and each read holds the list's lock for
// the whole operation, because finding a page starts from where the previous operation left the
// stream (always a record boundary).
//
// A loaded file is checked record by record before it replaces the store, so a file that is
// not a saved report is refused with a ReportError and the pages shown so far stay.
class TPageList {
  public:
    static constexpr qint64 headerSize = 128;
    static constexpr qint64 saveBlockSize = 10240;

    TPageList();
    ~TPageList();
    TPageList(const TPageList&) = delete;
    TPageList& operator=(const TPageList&) = delete;

    void addPage(const QByteArray& picture);
    int pageCount() const;
    // The picture of page n (1 for the first), or an empty array when there is no such page.
    QByteArray readPage(int n);
    // Rewrites the header with the final page count and the current date and time.
    void finish();
    void saveToFile(const QString& path);
    void loadFromFile(const QString& path);
    // Forgets every page and starts again with an empty store in memory.
    void reset();
    // Walks every record once and checks its number, its links both ways and its picture's size;
    // throws ReportError at the first fault.
    void validate();

    // The stream behind the pages, for tests and diagnostics; good until the next load or reset.
    const TPageStream& stream() const { return *stream_; }

  private:
    mutable QRecursiveMutex mutex_;
    std::unique_ptr<TPageStream> stream_;
    int count_ = 0;
};

}  // namespace lex
