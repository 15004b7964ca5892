#include "SafeFileAccess.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace {

bool WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

}  // namespace

StoreFile ReadStoreFile(const QString& path, qint64 maxBytes) {
    using State = StoreFile::State;
    StoreFile file;
    const QByteArray name = QFile::encodeName(path);
    // Looked at before it is opened, so that not even the open reaches a device.
    struct stat named {};
    if (::lstat(name.constData(), &named) != 0) {
        file.state = errno == ENOENT || errno == ENOTDIR ? State::Missing : State::Unreadable;
        return file;
    }
    if (!S_ISREG(named.st_mode)) {
        file.state = S_ISDIR(named.st_mode) ? State::Unreadable : State::NotAFile;
        return file;
    }
    // Something else may have taken the name since: the open neither follows a link nor waits
    // for a FIFO's writer, and what it opened is looked at again.
    const int fd =
        ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        file.state = errno == ELOOP    ? State::NotAFile
                     : errno == ENOENT ? State::Missing
                                       : State::Unreadable;
        return file;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0) {
        file.state = State::Unreadable;
    } else if (!S_ISREG(opened.st_mode)) {
        file.state = S_ISDIR(opened.st_mode) ? State::Unreadable : State::NotAFile;
    } else if (opened.st_size > maxBytes) {
        file.state = State::Oversized;
    } else {
        // One byte past the bound tells a file that grew since the fstat.
        QByteArray bytes(qsizetype(maxBytes + 1), Qt::Uninitialized);
        qsizetype total = 0;
        ssize_t n = 0;
        while (total < bytes.size() &&
               ((n = ::read(fd, bytes.data() + total, size_t(bytes.size() - total))) > 0 ||
                (n < 0 && errno == EINTR)))
            if (n > 0) total += n;
        bytes.truncate(total);
        file.state = n < 0 ? State::Unreadable : total > maxBytes ? State::Oversized : State::Read;
        if (file.state == State::Read) file.bytes = bytes;
        file.mode = opened.st_mode & 0777;
    }
    ::close(fd);
    return file;
}

bool ReplaceFile(const QString& path, const QByteArray& bytes, mode_t mode) {
    const QByteArray name = QFile::encodeName(path);
    QByteArray temporary = name + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool written = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (written && ::rename(temporary.constData(), name.constData()) == 0) return true;
    ::unlink(temporary.constData());
    return false;
}
