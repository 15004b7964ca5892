#include <QFileInfo>

#include "PortNames.h"

QString PortNames::DefaultDevice(int comNumber) {
    if (comNumber >= 1 && comNumber <= 4) return QStringLiteral("/dev/ttyS%1").arg(comNumber - 1);
    if (comNumber >= 5 && comNumber <= 12)
        return QStringLiteral("/dev/ttyUSB%1").arg(comNumber - 5);
    if (comNumber >= 13 && comNumber <= 16)
        return QStringLiteral("/dev/ttyACM%1").arg(comNumber - 13);
    return {};
}

QString PortNames::DevicePath(int comNumber) const {
    if (comNumber == RunOnlyPort) return runOnlyDevice_;
    const QString link = LinkPath(comNumber);
    // A link, even a dangling one, is an explicit assignment: it must not fall back to the map.
    if (QFileInfo(link).isSymLink() || QFileInfo::exists(link)) return link;
    return DefaultDevice(comNumber);
}
