#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#include "DeviceGroup.h"
#include "PortDriver.h"
#include "PortHolder.h"
#include "PortInventory.h"
#include "PortNames.h"
#include "PortPath.h"

namespace {

const QString ByIdFolder = QStringLiteral("/dev/serial/by-id");

QString Hex4(quint16 id) {
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0'));
}

// The identity of each serial device the system lists, by its canonical path; the by-id names
// are matched to them through their links.
std::map<QString, PortIdentity> Identities(std::vector<QString>& listed) {
    std::map<QString, PortIdentity> identities;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString path = QFileInfo(info.systemLocation()).canonicalFilePath();
        if (path.isEmpty()) continue;
        PortIdentity& identity = identities[path];
        if (info.hasVendorIdentifier()) identity.vendorId = Hex4(info.vendorIdentifier());
        if (info.hasProductIdentifier()) identity.productId = Hex4(info.productIdentifier());
        identity.manufacturer = info.manufacturer();
        identity.product = info.description();
        identity.serialNumber = info.serialNumber();
        listed.push_back(path);
    }
    for (const QFileInfo& link : QDir(ByIdFolder).entryInfoList(QDir::System | QDir::Files))
        identities[link.canonicalFilePath()].byId = link.absoluteFilePath();
    return identities;
}

// Where the path leads, what the user may do there and which driver serves it, without
// opening it.
void Examine(PortEntry& entry) {
    const PortPath path = ExaminePortPath(entry.device);
    entry.state = path.state;
    entry.notSerial = path.notSerial;
    entry.systemError = path.systemError;
    // A link whose device is not there, also below a folder that is not there.
    if (entry.state == PortState::NoDevice && !entry.link.isEmpty())
        entry.state = PortState::MissingTarget;
    if (!path.serialPort()) return;
    entry.target = QFileInfo(entry.device).canonicalFilePath();
    const PortDriver driver = ReadPortDriver(entry.target);
    entry.driver = driver.name;
    entry.latencyTimerMs = driver.latencyTimerMs;
    if (::access(QFile::encodeName(entry.device).constData(), R_OK | W_OK) != 0) {
        entry.state = PortState::NoPermission;
        entry.group = DeviceGroup(entry.device);
    }
}

}  // namespace

PortInventory TakePortInventory(const QString& machineFolder) {
    PortInventory inventory;
    const PortNames names(machineFolder);
    inventory.portsFolder = QFileInfo(names.LinkPath(1)).absolutePath();
    std::vector<QString> listed;
    const std::map<QString, PortIdentity> identities = Identities(listed);

    for (int com = 1; com <= PortNames::WindowPortCount; ++com) {
        PortEntry entry;
        entry.comNumber = com;
        entry.device = names.DevicePath(com);
        if (QFileInfo(names.LinkPath(com)).isSymLink()) entry.link = names.LinkPath(com);
        if (!entry.link.isEmpty()) entry.linkTarget = QFileInfo(entry.link).symLinkTarget();
        Examine(entry);
        inventory.comPorts.push_back(entry);
    }
    const auto reached = [&](const QString& path) {
        for (const PortEntry& entry : inventory.comPorts)
            if (entry.target == path) return true;
        return false;
    };
    for (const QString& path : listed) {
        if (reached(path)) continue;
        PortEntry entry;
        entry.device = path;
        Examine(entry);
        inventory.unreached.push_back(entry);
    }

    // One look at the processes for every device that is there and may be opened.
    QStringList free;
    for (auto* entries : {&inventory.comPorts, &inventory.unreached})
        for (PortEntry& entry : *entries) {
            if (const auto identity = identities.find(entry.target); identity != identities.end())
                entry.identity = identity->second;
            if (entry.state == PortState::Free) free << entry.target;
        }
    const std::map<QString, PortHolder> holders = FindPortHolders(free);
    for (auto* entries : {&inventory.comPorts, &inventory.unreached})
        for (PortEntry& entry : *entries)
            if (const auto holder = holders.find(entry.target); holder != holders.end()) {
                entry.state = PortState::InUse;
                entry.holderPid = holder->second.pid;
                entry.holderName = holder->second.name;
            }
    return inventory;
}
