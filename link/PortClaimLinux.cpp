// Claims on Linux: one file per key in the system's lock folder, locked with an open file
// description lock (fcntl F_OFD_SETLK): it belongs to the open file rather than to the
// process, so a second open in the same process would be refused as well (the claims of one
// process share one lock), and the kernel lets it go when the process ends, however it ends.
// The file holds the holder's process number on its first line, as a serial lock file does,
// and is removed when its last claim goes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>

#include "PortClaimLocks.h"

namespace claim_locks {

namespace {

// Where the serial ports' lock files are, writable by everyone who may use a port.
QString Folder() {
    for (const char* folder : {"/run/lock", "/var/lock"})
        if (::access(folder, W_OK | X_OK) == 0) return QString::fromLatin1(folder);
    return {};
}

// The key with its slashes as underscores; a path too long for a name by its hash.
QByteArray FilePath(const QString& folder, const QString& key) {
    QString name = key;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    if (name.size() > 200)
        name = QString::fromLatin1(
            QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex());
    return QFile::encodeName(folder + QStringLiteral("/vq880-claim.") + name);
}

flock WholeFile(short type) {
    flock lock{};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return lock;
}

qint64 ReadPid(int fd) {
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (n <= 0) return 0;
    bool ok = false;
    const qint64 pid = QByteArray(text, int(n)).split('\n').first().trimmed().toLongLong(&ok);
    return ok && pid > 0 ? pid : 0;
}

bool SameFile(int fd, const QByteArray& path) {
    struct stat open {
    }, named{};
    return ::fstat(fd, &open) == 0 && ::lstat(path.constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

}  // namespace

namespace {

// Every link on the way and where the last one leads, also when nothing is there: the folders
// as they really are, the names as given. Without the device, the path and its links alone.
QStringList Chain(const QString& devicePath, bool withDevice) {
    QStringList keys;
    if (devicePath.isEmpty()) return keys;
    QString path = QDir::cleanPath(QFileInfo(devicePath).absoluteFilePath());
    for (int hop = 0; hop < 16; ++hop) {
        const QFileInfo step(path);
        const QString folder = QFileInfo(step.path()).canonicalFilePath();
        if (!folder.isEmpty()) path = QDir(folder).filePath(step.fileName());
        if (keys.contains(path)) break;
        const QFileInfo link(path);
        if (hop == 0 || withDevice || link.isSymLink()) keys << path;
        if (!link.isSymLink()) break;
        path = QDir::cleanPath(link.symLinkTarget());
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

}  // namespace

QStringList Keys(const QString& devicePath) {
    return Chain(devicePath, true);
}

QStringList NameKeys(const QString& portPath) {
    return Chain(portPath, false);
}

Taken Lock(const QString& key) {
    const QString folder = Folder();
    if (folder.isEmpty()) return {false, false, -1, 0};
    const QByteArray path = FilePath(folder, key);
    // A file taken from under the lock by its last holder is no claim any more: again.
    for (int attempt = 0; attempt < 8; ++attempt) {
        // An existing file is opened without O_CREAT, which a sticky folder refuses for another
        // user's file where the system protects regular files there.
        int fd = ::open(path.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT)
            fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && (errno == ENOENT || errno == EEXIST)) continue;  // made or removed meanwhile
        if (fd < 0) {
            // Not ours to write: held or not, as its lock tells.
            const qint64 pid = Holder(key);
            return {false, pid != 0, -1, pid};
        }
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd);
            return {false, false, -1, 0};
        }
        // Whoever may use the port may claim it after this process.
        if (info.st_uid == ::geteuid()) ::fchmod(fd, 0666);
        flock lock = WholeFile(F_WRLCK);
        if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
            const bool held = errno == EAGAIN || errno == EACCES;
            const qint64 pid = held ? ReadPid(fd) : 0;
            ::close(fd);
            return {false, held, -1, pid};
        }
        if (!SameFile(fd, path)) {
            ::close(fd);
            continue;
        }
        const QByteArray pid = QByteArray::number(qint64(::getpid())).rightJustified(10) + '\n';
        if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.constData(), pid.size(), 0) != pid.size()) {
            ::close(fd);
            return {false, false, -1, 0};
        }
        return {true, true, fd, 0};
    }
    return {false, false, -1, 0};
}

void Unlock(const QString& key, Handle handle) {
    const int fd = int(handle);
    const QString folder = Folder();
    const QByteArray path = FilePath(folder, key);
    // Removed while still locked, so that nobody takes the lock of a file that is going.
    if (!folder.isEmpty() && SameFile(fd, path)) ::unlink(path.constData());
    ::close(fd);
}

qint64 Holder(const QString& key) {
    const QString folder = Folder();
    if (folder.isEmpty()) return 0;
    const int fd = ::open(FilePath(folder, key).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return 0;
    flock lock = WholeFile(F_WRLCK);
    const bool held = ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    const qint64 pid = held ? ReadPid(fd) : 0;
    ::close(fd);
    return pid;
}

}  // namespace claim_locks
