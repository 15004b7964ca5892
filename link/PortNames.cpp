#include "PortNames.h"

#include <QDir>

PortNames::PortNames(QString machineFolder, QString runOnlyDevice)
    : portsFolder_(QDir(machineFolder).filePath("ports")),
      runOnlyDevice_(std::move(runOnlyDevice)) {}

QString PortNames::Label(int comNumber) const {
    return comNumber == RunOnlyPort && !runOnlyDevice_.isEmpty() ? runOnlyDevice_
                                                                 : PortName(comNumber);
}

QString PortNames::PortName(int comNumber) {
    return QStringLiteral("COM%1").arg(comNumber);
}

QString PortNames::LinkPath(int comNumber) const {
    return QDir(portsFolder_).filePath(PortName(comNumber));
}
