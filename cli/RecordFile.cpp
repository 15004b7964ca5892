#include "RecordFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

QString Refusal(const QString& path) {
    return QStringLiteral(
               "--record \"%1\" is not a regular file (a link, FIFO, device or folder "
               "is refused).")
        .arg(path);
}

QString SystemError(const QString& what, const QString& path) {
    return QStringLiteral("--record \"%1\": %2: %3.")
        .arg(path, what, QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

QString RecordPathProblem(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink() || (info.exists() && !info.isFile())) return Refusal(path);
    return {};
}

RecordFile::~RecordFile() {
    if (fd_ >= 0) ::close(fd_);
}

QString RecordFile::Open(const QString& path) {
    if (const QString problem = RecordPathProblem(path); !problem.isEmpty()) return problem;
    const QByteArray name = QFile::encodeName(path);
#ifdef _WIN32
    fd_ = ::_open(name.constData(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY,
                  _S_IREAD | _S_IWRITE);
#else
    // Without following a link, and without waiting for a FIFO's reader.
    fd_ = ::open(name.constData(),
                 O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY,
                 0644);
#endif
    if (fd_ < 0)
        return errno == ELOOP || errno == ENXIO ? Refusal(path) : SystemError("cannot open", path);
    struct stat status {};
    if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        return Refusal(path);
    }
    path_ = path;
    format_ = RecordFormatOf(path);
    return {};
}

QString RecordFile::Append(const RecordEntry& entry) {
    QByteArray bytes = format_ == RecordFormat::JsonLines ? JsonLine(entry) : CsvLine(entry);
    struct stat status {};
    // The header goes with the first entry of a new record, in the same append.
    if (format_ == RecordFormat::Csv && ::fstat(fd_, &status) == 0 && status.st_size == 0)
        bytes.prepend(CsvHeader());
    const auto written = ::write(fd_, bytes.constData(), static_cast<unsigned>(bytes.size()));
    if (written != bytes.size()) return SystemError("cannot append", path_);
#ifdef _WIN32
    if (::_commit(fd_) != 0) return SystemError("cannot flush", path_);
#else
    if (::fsync(fd_) != 0) return SystemError("cannot flush", path_);
#endif
    return {};
}
