#include <QDir>
#include <QFileInfo>

#include "PortNames.h"

PortNames::PortNames(QString machineFolder) : portsFolder_(QDir(machineFolder).filePath("ports")) {}

QString PortNames::PortName(int comNumber) {
    return QStringLiteral("COM%1").arg(comNumber);
}

QString PortNames::DefaultDevice(int comNumber) {
    if (comNumber >= 1 && comNumber <= 4) return QStringLiteral("/dev/ttyS%1").arg(comNumber - 1);
    if (comNumber >= 5 && comNumber <= 12)
        return QStringLiteral("/dev/ttyUSB%1").arg(comNumber - 5);
    if (comNumber >= 13 && comNumber <= 16)
        return QStringLiteral("/dev/ttyACM%1").arg(comNumber - 13);
    return {};
}

QString PortNames::LinkPath(int comNumber) const {
    return QDir(portsFolder_).filePath(PortName(comNumber));
}

QString PortNames::DevicePath(int comNumber) const {
    const QString link = LinkPath(comNumber);
    // A link, even a dangling one, is an explicit assignment: it must not fall back to the map.
    if (QFileInfo(link).isSymLink() || QFileInfo::exists(link)) return link;
    return DefaultDevice(comNumber);
}
