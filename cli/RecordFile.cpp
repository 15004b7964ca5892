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
    const OpenedFile file = OpenRegularFile(path, true);
    if (file.refused) return NotRegularFile(QStringLiteral("--record"), path);
    if (file.fd < 0) return SystemError("cannot open", path);
    fd_ = file.fd;
    path_ = path;
    format_ = RecordFormatOf(path);
    return {};
}

QString RecordFile::Append(const RecordEntry& entry) {
    QByteArray bytes = format_ == RecordFormat::JsonLines ? JsonLine(entry) : CsvLine(entry);
    struct stat status {};
    if (::fstat(fd_, &status) != 0) return SystemError("cannot append", path_);
    // The header goes with the first entry of a new record, in the same append; an entry after
    // a last line without its line feed (edited by hand) starts on a line of its own.
    if (status.st_size == 0) {
        if (format_ == RecordFormat::Csv) bytes.prepend(CsvHeader());
    } else if (!EndsInLineFeed(fd_, status.st_size)) {
        bytes.prepend('\n');
    }
    const auto written = ::write(fd_, bytes.constData(), static_cast<unsigned>(bytes.size()));
    if (written != bytes.size()) return SystemError("cannot append", path_);
#ifdef _WIN32
    if (::_commit(fd_) != 0) return SystemError("cannot flush", path_);
#else
    if (::fsync(fd_) != 0) return SystemError("cannot flush", path_);
#endif
    return {};
}
