#include "PortNames.h"

// On Windows the COM number is the device: "\\.\COMn" reaches every port, also above COM9;
// the command line reaches up to COM256. The machine folder holds no port assignments there.

QString PortNames::DefaultDevice(int comNumber) {
    if (comNumber < 1 || comNumber > 256) return {};
    return QStringLiteral("\\\\.\\") + PortName(comNumber);
}

QString PortNames::DevicePath(int comNumber) const {
    if (comNumber == RunOnlyPort) return runOnlyDevice_;
    return DefaultDevice(comNumber);
}
