#include "FolderLock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include "SafeFileAccess.h"

FolderLock::~FolderLock() {
    if (fd_ < 0) return;
    ::unlink(name_.constData());
    ::close(fd_);
}

bool FolderLock::Take(const QString& path, int waitMs) {
    name_ = QFile::encodeName(path);
    const QDeadlineTimer deadline(waitMs);
    for (;; QThread::msleep(5)) {
        if (TryOnce()) return true;
        if (failed_ || deadline.hasExpired()) return false;
    }
}

bool FolderLock::TryOnce() {
    // A link, FIFO or device in the lock's place is no lock of anyone's: it goes.
    struct stat named {};
    if (::lstat(name_.constData(), &named) == 0 && !S_ISREG(named.st_mode)) {
        failed_ = ::unlink(name_.constData()) != 0;
        return false;
    }
    const int fd =
        ::open(name_.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY,
               kNewFileMode);
    if (fd < 0) {
        failed_ = errno != ELOOP && errno != ENOENT;  // else it changed since the lstat
        return false;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return false;  // the next try removes it
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        failed_ = errno != EWOULDBLOCK && errno != EINTR;
        ::close(fd);
        return false;
    }
    // The copy before may have removed the file as it let go: a lock on a file that has
    // lost its name keeps nobody out.
    if (::lstat(name_.constData(), &named) != 0 || named.st_dev != opened.st_dev ||
        named.st_ino != opened.st_ino) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}
