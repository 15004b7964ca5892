#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "PortClaim.h"
#include "PortHolder.h"
#include "PortPath.h"

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

// The number of the pseudo-terminal whose master an open file is, or -1.
int MasterIndex(qint64 pid, const QString& fd) {
    QFile info(QStringLiteral("/proc/%1/fdinfo/%2").arg(pid).arg(fd));
    if (!info.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : info.readAll().split('\n'))
        if (line.startsWith("tty-index:")) return line.mid(10).trimmed().toInt();
    return -1;
}

// For each target, a process that has it among its open files; one look at /proc for all.
std::map<QString, qint64> OpenedBy(const QStringList& targets) {
    std::map<QString, qint64> found;
    const qint64 self = qint64(::getpid());
    const QStringList pids =
        QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : pids) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok || pid == self) continue;
        QStringList opened;
        QList<int> masters;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
            const QString target = fd.symLinkTarget();
            if (target == QLatin1String("/dev/ptmx") || target == QLatin1String("/dev/pts/ptmx"))
                masters << MasterIndex(pid, fd.fileName());
            else if (targets.contains(target))
                opened << target;
        }
        for (const QString& target : opened) {
            // The far end of a pseudo-terminal keeps its slave open by design.
            static const QString pts = QStringLiteral("/dev/pts/");
            if (target.startsWith(pts) && masters.contains(target.mid(pts.size()).toInt()))
                continue;
            found.emplace(target, pid);
        }
    }
    return found;
}

PortHolder Named(qint64 pid) {
    return {pid, pid != 0 ? ProcessName(pid) : QString()};
}

}  // namespace

PortHolder HolderOfProcess(qint64 pid) {
    return Named(pid);
}

PortHolder FindPortHolder(const QString& devicePath) {
    // Every program has /dev/null and its terminal open: none of them holds a port through it.
    if (!ExaminePortPath(devicePath).serialPort()) return {};
    // A claim names the process that holds the port for a whole run, also between its opens.
    if (const qint64 pid = ClaimHolderPid(devicePath)) return Named(pid);
    const QString target = QFileInfo(devicePath).canonicalFilePath();
    if (const qint64 pid = LockOwner(LockNames(devicePath, target))) return Named(pid);
    if (target.isEmpty()) return {};
    const auto opened = OpenedBy({target});
    return Named(opened.empty() ? 0 : opened.begin()->second);
}

std::map<QString, PortHolder> FindPortHolders(const QStringList& devicePaths) {
    std::map<QString, PortHolder> holders;
    QStringList unlocked;
    for (const QString& path : devicePaths) {
        const QString target = QFileInfo(path).canonicalFilePath();
        if (target.isEmpty() || holders.count(target) || !ExaminePortPath(target).serialPort())
            continue;
        if (const qint64 pid = ClaimHolderPid(path))
            holders[target] = Named(pid);
        else if (const qint64 pid = LockOwner(LockNames(path, target)))
            holders[target] = Named(pid);
        else
            unlocked << target;
    }
    if (unlocked.isEmpty()) return holders;
    for (const auto& [target, pid] : OpenedBy(unlocked)) holders[target] = Named(pid);
    return holders;
}
