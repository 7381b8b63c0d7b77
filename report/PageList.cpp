#include "report/PageList.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QSaveFile>
#include <QtEndian>
#include <bit>
#include <limits>

#include "report/ReportError.h"

namespace lex {

namespace {

constexpr qint64 emfHeaderRecordSize = 88;  // the smallest EMR_HEADER record
constexpr qint64 emfSizeFieldEnd = 52;      // nBytes is the uint32 at offset 48
constexpr qint64 recordFields = 12;         // page number, next-record offset, own offset
constexpr qint64 smallestRecord = recordFields + emfHeaderRecordSize;
constexpr quint16 headerMark1 = 3;
constexpr quint16 headerMark2 = 305;
constexpr qint64 pageCountOffset = 8;
constexpr qint64 writtenAtOffset = 16;
constexpr qint64 compressedFlagOffset = 25;

// Days since 1899-12-30 00:00, the fraction giving the time of day.
double daysSince1899(const QDateTime& when) {
    return double(QDate(1899, 12, 30).daysTo(when.date())) +
           when.time().msecsSinceStartOfDay() / 86400000.0;
}

QByteArray headerBytes(int pageCount) {
    QByteArray h(TPageList::headerSize, '\0');
    char* p = h.data();
    qToLittleEndian<quint16>(headerMark1, p);
    qToLittleEndian<quint16>(headerMark2, p + 2);
    qToLittleEndian<qint32>(pageCount, p + pageCountOffset);
    const double now = daysSince1899(QDateTime::currentDateTime());
    qToLittleEndian<quint64>(std::bit_cast<quint64>(now), p + writtenAtOffset);
    p[compressedFlagOffset] = 0;  // pictures are always stored as they are
    return h;
}

QByteArray int32Bytes(qint64 value) {
    QByteArray b(4, Qt::Uninitialized);
    qToLittleEndian<qint32>(qint32(value), b.data());
    return b;
}

// Reads the records of one stream with every offset checked against the stream's size and the
// page count, so that a damaged or foreign file gives a ReportError instead of a wild read, an
// endless walk or a huge allocation.
class Records {
  public:
    Records(TPageStream& stream, int pageCount)
        : stream_(stream), size_(stream.size()), count_(pageCount) {}

    [[noreturn]] void fault(const QString& why) const {
        const QString file = stream_.loadedPath();
        if (file.isEmpty())
            throw ReportError(
                QStringLiteral("The prepared report pages are damaged: %1.").arg(why));
        throw ReportError(QStringLiteral("The file %1 is not a saved report: %2.")
                              .arg(QDir::toNativeSeparators(file), why));
    }

    qint64 size() const { return size_; }

    qint32 int32At(qint64 offset) {
        stream_.seek(offset);
        return nextInt32();
    }

    qint32 nextInt32() {
        char b[4];
        if (stream_.read(b, 4) != 4)
            fault(QStringLiteral("it ends inside a page record"));
        return qFromLittleEndian<qint32>(b);
    }

    // The start of page n's record, found by walking from `from`, which is a record boundary or
    // the end of the stream.
    qint64 find(int n, qint64 from) {
        if (n == 1)
            return checkedStart(TPageList::headerSize, n);
        if (n == count_)
            return lastRecord();
        qint64 pos = from;
        if (pos >= size_ || pos < TPageList::headerSize)
            pos = lastRecord();
        qint32 m = int32At(checkedStart(pos, n));
        // A sound store gets there in fewer steps than it has pages.
        for (int steps = 0; m != n; ++steps) {
            if (steps >= count_ || m < 1 || m > count_)
                fault(QStringLiteral("its page records are out of order near offset %1").arg(pos));
            const qint64 to = m < n ? int32At(pos + 4) : int32At(pos - 4);
            if (m < n ? to <= pos : to >= pos)
                fault(QStringLiteral("the record at offset %1 links to itself or back").arg(pos));
            pos = checkedStart(to, n);
            m = int32At(pos);
        }
        return pos;
    }

    struct Record {
        qint64 start = 0;
        qint64 next = 0;  // the start of the following record, or the end of the store
        qint64 pictureSize = 0;
    };

    // Reads and checks the fields of page n's record at `start`, up to the picture's header;
    // the stream is left somewhere inside the picture.
    Record record(qint64 start, int n) {
        Record r;
        r.start = checkedStart(start, n);
        const qint32 number = int32At(start);
        if (number != n)
            fault(QStringLiteral("the record of page %1 at offset %2 is numbered %3")
                      .arg(n)
                      .arg(start)
                      .arg(number));
        r.next = nextInt32();
        if (r.next < start + smallestRecord || r.next > size_)
            fault(QStringLiteral("the record of page %1 points to offset %2, outside the file")
                      .arg(n)
                      .arg(r.next));
        const qint64 room = r.next - start - recordFields;
        r.pictureSize = emfSize(stream_.read(emfSizeFieldEnd));
        if (r.pictureSize < 0)
            fault(QStringLiteral("page %1 does not hold an EMF picture").arg(n));
        if (r.pictureSize != room)
            fault(QStringLiteral("the picture of page %1 declares %2 bytes, its record holds %3")
                      .arg(n)
                      .arg(r.pictureSize)
                      .arg(room));
        return r;
    }

    // Checks that the record ends with its own start offset, the link the backward walk uses.
    void checkOwnOffset(const Record& r, int n) {
        const qint32 own = int32At(r.next - 4);
        if (own != r.start)
            fault(QStringLiteral("the record of page %1 at offset %2 ends with offset %3")
                      .arg(n)
                      .arg(r.start)
                      .arg(own));
    }

    // Walks every record once, from the first to the end of the store.
    void checkAll() {
        if (count_ < 0)
            fault(QStringLiteral("its header gives %1 pages").arg(count_));
        if (count_ > (size_ - TPageList::headerSize) / smallestRecord)
            fault(QStringLiteral("its header gives %1 pages, more than its %2 bytes can hold")
                      .arg(count_)
                      .arg(size_));
        qint64 pos = TPageList::headerSize;
        for (int n = 1; n <= count_; ++n) {
            const Record r = record(pos, n);
            checkOwnOffset(r, n);
            pos = r.next;
        }
        if (pos != size_)
            fault(QStringLiteral("%1 bytes follow its last page").arg(size_ - pos));
    }

  private:
    qint64 lastRecord() {
        if (size_ < TPageList::headerSize + smallestRecord)
            fault(QStringLiteral("it is too short to hold a page"));
        return checkedStart(int32At(size_ - 4), count_);
    }

    qint64 checkedStart(qint64 offset, int n) const {
        if (offset < TPageList::headerSize || offset > size_ - smallestRecord)
            fault(QStringLiteral("the way to page %1 leads to offset %2, outside the pages")
                      .arg(n)
                      .arg(offset));
        return offset;
    }

    TPageStream& stream_;
    const qint64 size_;
    const int count_;
};

// Puts the stream back at a record boundary when an operation leaves early, so the next search
// does not start from the middle of a record.
class PositionGuard {
  public:
    PositionGuard(TPageStream& stream, qint64 position) : stream_(stream), position_(position) {}
    ~PositionGuard() {
        if (!armed_)
            return;
        try {
            stream_.seek(position_);
        } catch (...) {
        }
    }
    PositionGuard(const PositionGuard&) = delete;
    PositionGuard& operator=(const PositionGuard&) = delete;
    void release() { armed_ = false; }

  private:
    TPageStream& stream_;
    qint64 position_;
    bool armed_ = true;
};

}  // namespace

qint64 emfSize(const QByteArray& head) {
    if (head.size() < emfSizeFieldEnd)
        return -1;
    const uchar* p = reinterpret_cast<const uchar*>(head.constData());
    const quint32 type = qFromLittleEndian<quint32>(p);
    const quint32 headerSize = qFromLittleEndian<quint32>(p + 4);
    const quint32 total = qFromLittleEndian<quint32>(p + 48);
    if (type != 1 || headerSize < emfHeaderRecordSize || total < headerSize)
        return -1;
    return qint64(total);
}

TPageList::TPageList() : stream_(std::make_unique<TPageStream>()) {}

TPageList::~TPageList() = default;

void TPageList::addPage(const QByteArray& picture) {
    QMutexLocker lock(&mutex_);
    if (emfSize(picture) != picture.size())
        throw ReportError(QStringLiteral("A report page is not a whole EMF picture."));
    const qint64 before = stream_->size();
    if (before + (count_ == 0 ? headerSize : 0) + recordFields + picture.size() >
        std::numeric_limits<qint32>::max())
        throw ReportError(QStringLiteral("The report is too large: its pages pass 2 GB."));
    const int count = count_ + 1;
    try {
        if (count == 1) {
            stream_->seek(0);
            stream_->write(headerBytes(count));
        }
        const qint64 start = stream_->size();
        stream_->seek(start);
        stream_->write(int32Bytes(count));
        const qint64 nextField = stream_->position();
        stream_->write(int32Bytes(nextField));
        stream_->write(picture);
        stream_->write(int32Bytes(start));
        const qint64 end = stream_->position();
        stream_->seek(nextField);
        stream_->write(int32Bytes(end));
        stream_->seek(end);
    } catch (...) {
        // Drop the part of the record that was written, so the next page links up as it should.
        try {
            stream_->truncate(before);
            stream_->seek(before);
        } catch (...) {
        }
        throw;
    }
    count_ = count;
}

int TPageList::pageCount() const {
    QMutexLocker lock(&mutex_);
    return count_;
}

QByteArray TPageList::readPage(int n) {
    QMutexLocker lock(&mutex_);
    if (n < 1 || n > count_)
        return {};
    // Should the read break off, the next search starts from the last record.
    PositionGuard guard(*stream_, stream_->size());
    Records records(*stream_, count_);
    const auto r = records.record(records.find(n, stream_->position()), n);
    stream_->seek(r.start + 8);
    QByteArray picture = stream_->read(r.pictureSize);
    if (picture.size() != r.pictureSize)
        records.fault(QStringLiteral("it ends inside page %1").arg(n));
    records.checkOwnOffset(r, n);
    // Left at the start of page n + 1's record, so reading on in order is a single step.
    stream_->seek(r.next);
    guard.release();
    return picture;
}

void TPageList::finish() {
    QMutexLocker lock(&mutex_);
    if (stream_->isReadOnly())
        return;  // a loaded report is read in place and never written
    const qint64 pos = stream_->position();
    stream_->seek(0);
    stream_->write(headerBytes(count_));
    stream_->seek(pos < headerSize ? stream_->size() : pos);
}

void TPageList::saveToFile(const QString& path) {
    QMutexLocker lock(&mutex_);
    QSaveFile file(path);
    const auto failed = [&](const QString& why) {
        return ReportError(QStringLiteral("Cannot save the report to %1: %2")
                               .arg(QDir::toNativeSeparators(path), why));
    };
    if (!file.open(QIODevice::WriteOnly))
        throw failed(file.errorString());
    PositionGuard guard(*stream_, stream_->position());
    stream_->seek(0);
    QByteArray block(saveBlockSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = stream_->read(block.data(), saveBlockSize);
        if (got <= 0)
            break;
        if (file.write(block.constData(), got) != got)
            throw failed(file.errorString());
    }
    if (!file.commit())
        throw failed(file.errorString());
}

void TPageList::loadFromFile(const QString& path) {
    auto loaded = std::make_unique<TPageStream>(path);
    const qint64 size = loaded->size();
    Records check(*loaded, 0);
    if (size == 0)
        check.fault(QStringLiteral("it is empty"));
    if (size < headerSize)
        check.fault(QStringLiteral("it is shorter than the %1-byte header").arg(headerSize));
    const qint32 count = check.int32At(pageCountOffset);
    if (count < 1)
        check.fault(count == 0 ? QStringLiteral("it holds no pages")
                               : QStringLiteral("its header gives %1 pages").arg(count));
    Records(*loaded, count).checkAll();
    loaded->seek(headerSize);  // the first record: a boundary to start the searches from

    QMutexLocker lock(&mutex_);
    stream_ = std::move(loaded);
    count_ = count;
}

void TPageList::reset() {
    QMutexLocker lock(&mutex_);
    stream_ = std::make_unique<TPageStream>();
    count_ = 0;
}

void TPageList::validate() {
    QMutexLocker lock(&mutex_);
    if (count_ == 0)
        return;
    PositionGuard guard(*stream_, stream_->position());
    Records(*stream_, count_).checkAll();
}

}  // namespace lex
