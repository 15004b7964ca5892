#include <QDir>

#include "PortNames.h"

// On Windows the COM number is the device: "\\.\COMn" reaches every port, also above COM9.
// The machine folder holds no port assignments there.

PortNames::PortNames(QString machineFolder) : portsFolder_(QDir(machineFolder).filePath("ports")) {}

QString PortNames::PortName(int comNumber) {
    return QStringLiteral("COM%1").arg(comNumber);
}

QString PortNames::DefaultDevice(int comNumber) {
    if (comNumber < 1 || comNumber > 16) return {};
    return QStringLiteral("\\\\.\\") + PortName(comNumber);
}

QString PortNames::LinkPath(int comNumber) const {
    return QDir(portsFolder_).filePath(PortName(comNumber));
}

QString PortNames::DevicePath(int comNumber) const {
    return DefaultDevice(comNumber);
}
