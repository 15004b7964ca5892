#include "PortNames.h"

#include <QDir>

PortNames::PortNames(QString machineFolder) : portsFolder_(QDir(machineFolder).filePath("ports")) {}

QString PortNames::PortName(int comNumber) {
    return QStringLiteral("COM%1").arg(comNumber);
}

QString PortNames::LinkPath(int comNumber) const {
    return QDir(portsFolder_).filePath(PortName(comNumber));
}
