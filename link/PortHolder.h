#pragma once

#include <QString>
#include <QtGlobal>

// The program that holds a serial device, where the system tells: the process named in the
// device's lock file, or one that has the device open.
struct PortHolder {
    qint64 pid = 0;  // 0 when nobody could be named
    QString name;    // the program's name, as the system lists its processes
};

// Looks for the holder of the device; the same device reached through a link counts too.
PortHolder FindPortHolder(const QString& devicePath);
