#include "PortNames.h"

// On Windows the COM number is the device: "\\.\COMn" reaches every port, also above COM9.
// The machine folder holds no port assignments there.

QString PortNames::DefaultDevice(int comNumber) {
    if (comNumber < 1 || comNumber > 16) return {};
    return QStringLiteral("\\\\.\\") + PortName(comNumber);
}

QString PortNames::DevicePath(int comNumber) const {
    return DefaultDevice(comNumber);
}
