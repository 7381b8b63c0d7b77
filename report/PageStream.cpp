#include "report/PageStream.h"

#include <QDir>
#include <QFile>
#include <QMutexLocker>
#include <QTemporaryFile>
#include <cstring>

#include "report/ReportError.h"

namespace lex {

namespace {

QString streamName(const QFile& file) {
    return QDir::toNativeSeparators(file.fileName());
}

}  // namespace

TPageStream::TPageStream() = default;

TPageStream::TPageStream(const QString& path) : loaded_(std::make_unique<QFile>(path)) {
    if (!loaded_->open(QIODevice::ReadOnly))
        throw ReportError(QStringLiteral("Cannot open the report file %1: %2")
                              .arg(QDir::toNativeSeparators(path), loaded_->errorString()));
}

// The temporary file removes itself when it is destroyed.
TPageStream::~TPageStream() = default;

QFile* TPageStream::file() const {
    if (loaded_)
        return loaded_.get();
    return temporary_.get();
}

qint64 TPageStream::read(char* data, qint64 count) {
    QMutexLocker lock(&mutex_);
    return readUnlocked(data, count);
}

qint64 TPageStream::readUnlocked(char* data, qint64 count) {
    if (count <= 0)
        return 0;
    if (QFile* f = file()) {
        const qint64 got = f->read(data, count);
        if (got < 0)
            throw ReportError(QStringLiteral("Cannot read the report pages from %1: %2")
                                  .arg(streamName(*f), f->errorString()));
        return got;
    }
    const qint64 available = qMax<qint64>(0, memory_.size() - memoryPos_);
    const qint64 got = qMin(count, available);
    if (got > 0)
        std::memcpy(data, memory_.constData() + memoryPos_, size_t(got));
    memoryPos_ += got;
    return got;
}

QByteArray TPageStream::read(qint64 count) {
    QMutexLocker lock(&mutex_);
    const qint64 available = file() ? file()->size() - file()->pos() : memory_.size() - memoryPos_;
    QByteArray bytes(qMax<qint64>(0, qMin(count, available)), Qt::Uninitialized);
    const qint64 got = readUnlocked(bytes.data(), bytes.size());
    bytes.truncate(got);
    return bytes;
}

void TPageStream::write(const char* data, qint64 count) {
    QMutexLocker lock(&mutex_);
    if (loaded_)
        throw ReportError(QStringLiteral("The report file %1 is open for reading only.")
                              .arg(streamName(*loaded_)));
    if (count <= 0)
        return;
    if (temporary_) {
        if (temporary_->write(data, count) != count)
            throw ReportError(QStringLiteral("Cannot write the report pages to %1: %2")
                                  .arg(streamName(*temporary_), temporary_->errorString()));
        return;
    }
    if (memoryPos_ > memory_.size())
        memory_.append(QByteArray(memoryPos_ - memory_.size(), '\0'));
    const qint64 end = memoryPos_ + count;
    if (end > memory_.size())
        memory_.resize(end);
    std::memcpy(memory_.data() + memoryPos_, data, size_t(count));
    memoryPos_ = end;
    if (memory_.size() > memoryLimit)
        moveToFile();
}

void TPageStream::moveToFile() {
    auto temporary =
        std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/PRPXXXXXX"));
    if (!temporary->open())
        throw ReportError(
            QStringLiteral("Cannot create a temporary file for the report pages in %1: %2")
                .arg(QDir::toNativeSeparators(QDir::tempPath()), temporary->errorString()));
    if (temporary->write(memory_) != memory_.size() || !temporary->seek(memoryPos_))
        throw ReportError(QStringLiteral("Cannot write the report pages to %1: %2")
                              .arg(streamName(*temporary), temporary->errorString()));
    // Only now does the stream leave memory, so a failed move leaves it whole where it was.
    temporary_ = std::move(temporary);
    memory_ = QByteArray();
    memoryPos_ = 0;
}

void TPageStream::seek(qint64 position) {
    QMutexLocker lock(&mutex_);
    if (position < 0)
        throw ReportError(
            QStringLiteral("Cannot move to offset %1 of the report pages.").arg(position));
    if (QFile* f = file()) {
        if (!f->seek(position))
            throw ReportError(
                QStringLiteral("Cannot move to offset %1 of %2: %3")
                    .arg(QString::number(position), streamName(*f), f->errorString()));
        return;
    }
    memoryPos_ = position;
}

void TPageStream::truncate(qint64 size) {
    QMutexLocker lock(&mutex_);
    if (loaded_)
        throw ReportError(QStringLiteral("The report file %1 is open for reading only.")
                              .arg(streamName(*loaded_)));
    if (temporary_) {
        if (size < temporary_->size() && !temporary_->resize(size))
            throw ReportError(QStringLiteral("Cannot cut %1 short: %2")
                                  .arg(streamName(*temporary_), temporary_->errorString()));
        return;
    }
    if (size < memory_.size())
        memory_.truncate(size);
}

qint64 TPageStream::position() const {
    QMutexLocker lock(&mutex_);
    if (QFile* f = file())
        return f->pos();
    return memoryPos_;
}

qint64 TPageStream::size() const {
    QMutexLocker lock(&mutex_);
    if (QFile* f = file())
        return f->size();
    return memory_.size();
}

bool TPageStream::isOnFile() const {
    QMutexLocker lock(&mutex_);
    return temporary_ != nullptr;
}

QString TPageStream::temporaryPath() const {
    QMutexLocker lock(&mutex_);
    return temporary_ ? temporary_->fileName() : QString();
}

QString TPageStream::loadedPath() const {
    return loaded_ ? loaded_->fileName() : QString();
}

}  // namespace lex
