#include "RecordFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "RegularFile.h"

namespace {

QString SystemError(const QString& what, const QString& path) {
    return QStringLiteral("--record \"%1\": %2: %3.")
        .arg(path, what, QString::fromLocal8Bit(std::strerror(errno)));
}

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Writes all the bytes; the system's error number when it could not.
int WriteAll(int fd, const QByteArray& bytes) {
    const char* at = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const auto written = ::write(fd, at, static_cast<unsigned>(left));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return written < 0 ? errno : ENOSPC;
        at += written;
        left -= written;
    }
    return 0;
}

// Whether the file's last byte is a line feed; the record is open for reading too.
bool EndsInLineFeed(int fd, qint64 size) {
    char last = 0;
#ifdef _WIN32
    if (::_lseeki64(fd, size - 1, SEEK_SET) < 0 || ::_read(fd, &last, 1) != 1) return false;
#else
    if (::pread(fd, &last, 1, size - 1) != 1) return false;
#endif
    return last == '\n';
}

}  // namespace

RecordFile::~RecordFile() {
    if (fd_ >= 0) ::close(fd_);
}

QString RecordFile::Open(const QString& path) {
    const OpenedFile file = OpenRegularFile(path, Writing::Append);
    if (file.refused) return NotRegularFile(QStringLiteral("--record"), path);
    if (file.fd < 0) return SystemError("cannot open", path);
    fd_ = file.fd;
    path_ = path;
    format_ = RecordFormatOf(path);
    return {};
}

QByteArray RecordFile::Line(const RecordEntry& entry) const {
    return format_ == RecordFormat::JsonLines ? JsonLine(entry) : CsvLine(entry);
}

QString RecordFile::Append(const RecordEntry& entry) {
    QByteArray bytes = Line(entry);
    struct stat status {};
    if (::fstat(fd_, &status) != 0) return Reason(errno);
    // The header goes with the first entry of a new record, in the same append; an entry after
    // a last line without its line feed (edited by hand) starts on a line of its own.
    if (status.st_size == 0) {
        if (format_ == RecordFormat::Csv) bytes.prepend(CsvHeader());
    } else if (!EndsInLineFeed(fd_, status.st_size)) {
        bytes.prepend('\n');
    }
    // A write that the file system cuts short (a full disk, the size limit) is taken back: the
    // record keeps no half line.
    if (const int error = WriteAll(fd_, bytes); error != 0) {
#ifdef _WIN32
        [[maybe_unused]] const int takenBack = ::_chsize(fd_, long(status.st_size));
#else
        [[maybe_unused]] const int takenBack = ::ftruncate(fd_, status.st_size);
#endif
        return Reason(error);
    }
#ifdef _WIN32
    if (::_commit(fd_) != 0) return Reason(errno);
#else
    if (::fsync(fd_) != 0) return Reason(errno);
#endif
    return {};
}
