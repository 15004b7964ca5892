#pragma once

// Whether the tool has let go of a serial device: no descriptor of this process open on it,
// and no lock file of QSerialPort left for the path it was opened by.

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <climits>

// The targets of this process's open descriptors, as /proc tells them.
inline QStringList OpenDescriptorTargets() {
    QStringList targets;
    const QDir fds("/proc/self/fd");
    for (const QString& name :
         fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        char target[PATH_MAX];
        const QByteArray path = QFile::encodeName(fds.filePath(name));
        const ssize_t n = ::readlink(path.constData(), target, sizeof target - 1);
        if (n > 0) targets << QString::fromLocal8Bit(target, int(n));
    }
    return targets;
}

// A device that has gone away reads as "/dev/pts/N (deleted)".
inline bool HoldsDevice(const QString& device) {
    for (const QString& target : OpenDescriptorTargets())
        if (target == device || target.startsWith(device + " ")) return true;
    return false;
}

// Where QSerialPort keeps the lock of a device opened by this path: "LCK.." and the path with
// its slashes as underscores ("/dev/" left out), in the first usable lock folder.
inline QStringList SerialLockFiles(const QString& openedPath) {
    QString name = openedPath.startsWith("/dev/") ? openedPath.mid(5) : openedPath;
    name.replace('/', '_');
    QStringList found;
    for (const char* folder : {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp",
                               "/tmp", "/var/tmp", "/var/lock/lockdev", "/run/lock"}) {
        const QString file = QDir(folder).filePath("LCK.." + name);
        if (QFileInfo::exists(file)) found << file;
    }
    return found;
}
