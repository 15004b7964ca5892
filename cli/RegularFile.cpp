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

OpenedFile OpenRegularFile(const QString& path, bool append) {
    OpenedFile file;
    if (!MayWriteTo(path)) {
        file.refused = true;
        return file;
    }
    const QByteArray name = QFile::encodeName(path);
#ifdef _WIN32
    file.fd =
        ::_open(name.constData(), (append ? _O_RDWR | _O_APPEND : _O_WRONLY) | _O_CREAT | _O_BINARY,
                _S_IREAD | _S_IWRITE);
#else
    // Without following a link, and without waiting for a FIFO's reader. A file appended to is
    // read too: its last byte tells whether the next line must begin with a line feed.
    file.fd = ::open(name.constData(),
                     (append ? O_RDWR | O_APPEND : O_WRONLY) | O_CREAT | O_NOFOLLOW | O_NONBLOCK |
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
    // Emptied only now that it is known to be a regular file.
#ifdef _WIN32
    const bool emptied = append || ::_chsize(file.fd, 0) == 0;
#else
    const bool emptied = append || ::ftruncate(file.fd, 0) == 0;
#endif
    if (!emptied) {
        const int error = errno;
        ::close(file.fd);
        file.fd = -1;
        errno = error;
    }
    return file;
}
