#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "PortHolder.h"

namespace {

// Where serial ports' lock files live; the first line of a lock holds the process number.
const QStringList LockFolders = {"/var/lock",       "/run/lock", "/etc/locks", "/var/spool/locks",
                                 "/var/spool/uucp", "/tmp",      "/var/tmp",   "/var/lock/lockdev"};

// Lock names for a device: the device's own name below /dev, and the whole path with its
// slashes turned into underscores, as programs name their locks.
QStringList LockNames(const QString& devicePath, const QString& target) {
    QStringList names;
    for (const QString& path : {devicePath, target}) {
        QString name = path.startsWith(QLatin1String("/dev/")) ? path.mid(5) : path;
        name.replace(QLatin1Char('/'), QLatin1Char('_'));
        if (!name.isEmpty() && !names.contains(name)) names << QStringLiteral("LCK..") + name;
    }
    return names;
}

QString ProcessName(qint64 pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly)) return {};
    return QString::fromLocal8Bit(comm.readLine(256)).trimmed();
}

bool Alive(qint64 pid) {
    return pid > 0 && QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
}

qint64 LockOwner(const QStringList& names) {
    for (const QString& folder : LockFolders)
        for (const QString& name : names) {
            QFile lock(folder + QLatin1Char('/') + name);
            if (!lock.open(QIODevice::ReadOnly)) continue;
            bool ok = false;
            const qint64 pid = QString::fromLatin1(lock.readLine(64)).trimmed().toLongLong(&ok);
            if (ok && Alive(pid)) return pid;
        }
    return 0;
}

// A process with the device among its open files.
qint64 OpenedBy(const QString& target) {
    const qint64 self = qint64(::getpid());
    const QStringList pids =
        QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : pids) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok || pid == self) continue;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot))
            if (fd.symLinkTarget() == target) return pid;
    }
    return 0;
}

}  // namespace

PortHolder FindPortHolder(const QString& devicePath) {
    const QString target = QFileInfo(devicePath).canonicalFilePath();
    PortHolder holder;
    holder.pid = LockOwner(LockNames(devicePath, target));
    if (holder.pid == 0 && !target.isEmpty()) holder.pid = OpenedBy(target);
    if (holder.pid != 0) holder.name = ProcessName(holder.pid);
    return holder;
}
