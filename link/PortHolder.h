#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <map>

// The program that holds a serial device, where the system tells: the process named in the
// device's lock file, or one that has the device open.
struct PortHolder {
    qint64 pid = 0;  // 0 when nobody could be named
    QString name;    // the program's name, as the system lists its processes
};

// Looks for the holder of the device: the process whose claim holds it (see PortClaim), else
// one that has it locked or open; the same device reached through a link counts too. The
// program at the far end of a pseudo-terminal, which holds its master, does not hold the port,
// and nobody holds what is no serial port (/dev/null, a console, a file).
PortHolder FindPortHolder(const QString& devicePath);
// The process with its name, as the system lists its processes.
PortHolder HolderOfProcess(qint64 pid);
// The holders of several devices at once, with one look at the processes; by the devices'
// canonical paths, for those that have one.
std::map<QString, PortHolder> FindPortHolders(const QStringList& devicePaths);
