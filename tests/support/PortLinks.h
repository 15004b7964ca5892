#pragma once

// Assigns COM numbers in a machine folder, as ports/COMn links do for an installer.

#include <QDir>
#include <QFile>

#include "PortNames.h"

inline bool LinkPort(const QString& machineFolder, int comNumber, const QString& devicePath) {
    QDir(machineFolder).mkpath("ports");
    const QString link = PortNames(machineFolder).LinkPath(comNumber);
    QFile::remove(link);
    return QFile::link(devicePath, link);
}

// A COM number that stands for nothing: opening it fails at once, whatever the machine has.
inline bool LinkMissingPort(const QString& machineFolder, int comNumber) {
    return LinkPort(machineFolder, comNumber, QDir(machineFolder).filePath("no-such-device"));
}
