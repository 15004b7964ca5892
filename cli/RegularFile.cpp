#include "RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

bool MayWriteTo(const QString& path) {
    const QFileInfo info(path);
    return !info.isSymLink() && (!info.exists() || info.isFile());
}

QString NotRegularFile(const QString& option, const QString& path) {
    return QStringLiteral(
               "%1 \"%2\" is not a regular file (a link, FIFO, device or folder is refused).")
        .arg(option, path);
}

QString WritePathProblem(const QString& option, const QString& path) {
    return MayWriteTo(path) ? QString() : NotRegularFile(option, path);
}

namespace {

// Where a file that is not there yet would be made: its folder with links followed, and its name.
QString PlaceToBe(const QString& path) {
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
}

// Whether the open file may be emptied: it is empty, or it begins with `replaces`. Read from its
// start, which is where its writing then begins.
bool MayReplace(int fd, qint64 size, const QByteArray& replaces) {
    if (size == 0) return true;
    QByteArray start(replaces.size(), '\0');
#ifdef _WIN32
    const auto read = ::_read(fd, start.data(), unsigned(start.size()));
    ::_lseeki64(fd, 0, SEEK_SET);
#else
    const auto read = ::pread(fd, start.data(), size_t(start.size()), 0);
#endif
    return !replaces.isEmpty() && read == start.size() && start == replaces;
}

}  // namespace

bool SameFile(const QString& one, const QString& other) {
    const QFileInfo a(one);
    const QFileInfo b(other);
    if (a.exists() != b.exists()) return false;
    if (!a.exists()) return PlaceToBe(one) == PlaceToBe(other);
#ifdef _WIN32
    return a.canonicalFilePath().compare(b.canonicalFilePath(), Qt::CaseInsensitive) == 0;
#else
    struct stat x {};
    struct stat y {};
    if (::stat(QFile::encodeName(one).constData(), &x) != 0 ||
        ::stat(QFile::encodeName(other).constData(), &y) != 0)
        return false;
    return x.st_dev == y.st_dev && x.st_ino == y.st_ino;
#endif
}

OpenedFile OpenRegularFile(const QString& path, Writing writing, const QByteArray& replaces) {
    OpenedFile file;
    if (!MayWriteTo(path)) {
        file.refused = true;
        return file;
    }
    const bool append = writing == Writing::Append;
    const QByteArray name = QFile::encodeName(path);
#ifdef _WIN32
    file.fd =
        ::_open(name.constData(), (append ? _O_RDWR | _O_APPEND : _O_RDWR) | _O_CREAT | _O_BINARY,
                _S_IREAD | _S_IWRITE);
#else
    // Without following a link, and without waiting for a FIFO's reader. The file is read too:
    // a record's last byte tells whether the next line must begin with a line feed, and a file's
    // first bytes whether it may be replaced.
    file.fd = ::open(name.constData(),
                     (append ? O_RDWR | O_APPEND : O_RDWR) | O_CREAT | O_NOFOLLOW | O_NONBLOCK |
                         O_CLOEXEC | O_NOCTTY,
                     0644);
#endif
    if (file.fd < 0) {
        file.refused = errno == ELOOP || errno == ENXIO;
        return file;
    }
    struct stat status {};
    if (::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(file.fd);
        file.fd = -1;
        file.refused = true;
        return file;
    }
    if (append) return file;
    if (!MayReplace(file.fd, status.st_size, replaces)) {
        ::close(file.fd);
        file.fd = -1;
        file.notReplaced = true;
        return file;
    }
    // Emptied only now that it is known to be a regular file that may be replaced.
#ifdef _WIN32
    const bool emptied = ::_chsize(file.fd, 0) == 0;
#else
    const bool emptied = ::ftruncate(file.fd, 0) == 0;
#endif
    if (!emptied) {
        const int error = errno;
        ::close(file.fd);
        file.fd = -1;
        errno = error;
    }
    return file;
}
