#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "PortDriver.h"
#include "PortPath.h"

namespace {

// The serial core's own port and controller devices sit between a tty and the device that
// really serves it; their driver names nothing about the hardware.
const QString SerialCoreBus = QStringLiteral("serial-base");

QString Canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

// The driver's module where it has one ("ch341" rather than its driver "ch341-uart"), else the
// driver itself; empty for a device without a driver or one of the serial core's own.
QString DriverOf(const QString& deviceDir) {
    const QString driver = Canonical(deviceDir + QStringLiteral("/driver"));
    if (driver.isEmpty()) return {};
    // <root>/bus/<bus>/drivers/<driver>
    if (QFileInfo(QFileInfo(driver).absolutePath()).dir().dirName() == SerialCoreBus) return {};
    const QString module = Canonical(driver + QStringLiteral("/module"));
    return QFileInfo(module.isEmpty() ? driver : module).fileName();
}

int LatencyTimer(const QString& deviceDir) {
    QFile timer(deviceDir + QStringLiteral("/latency_timer"));
    if (!timer.open(QIODevice::ReadOnly)) return 0;
    bool ok = false;
    const int ms = QString::fromLatin1(timer.readLine(16)).trimmed().toInt(&ok);
    return ok && ms > 0 ? ms : 0;
}

}  // namespace

PortDriver ReadPortDriver(const QString& devicePath, const QString& sysRoot) {
    PortDriver driver;
    const QString device = Canonical(devicePath);
    if (device.isEmpty()) return driver;
    const QString root = Canonical(sysRoot);
    const QString first = Canonical(
        QStringLiteral("%1/class/tty/%2/device").arg(sysRoot, QFileInfo(device).fileName()));
    // Up from the tty's device to the first one with a driver of its own.
    for (QString dir = first; !dir.isEmpty() && dir.startsWith(root + QLatin1Char('/'));
         dir = QFileInfo(dir).absolutePath()) {
        driver.name = DriverOf(dir);
        if (!driver.name.isEmpty()) break;
    }
    if (!first.isEmpty()) driver.latencyTimerMs = LatencyTimer(first);
    if (driver.name.isEmpty() && ExaminePortPath(device).pseudoTerminal)
        driver.name = QStringLiteral("pty");
    return driver;
}
