// vq880 ports: which COM number is which device and adapter, and whether it can be opened.
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <vector>

#include "AssignCommand.h"
#include "Commands.h"
#include "ConsoleTexts.h"
#include "Output.h"
#include "PortInventory.h"
#include "PortNames.h"

namespace {

// The COM numbers a device may be given: those with nothing at them, then those whose link
// leads nowhere. Each is offered once, so that two devices do not take it from each other.
std::vector<int> FreeComNumbers(const PortInventory& inventory) {
    std::vector<int> free;
    for (DeviceState wanted : {DeviceState::Absent, DeviceState::MissingTarget})
        for (const PortEntry& entry : inventory.comPorts)
            if (entry.state == wanted) free.push_back(entry.comNumber);
    return free;
}

QString StateText(const PortEntry& entry) {
    switch (entry.state) {
        case DeviceState::Free:
            return QStringLiteral("free");
        case DeviceState::InUse:
            return entry.holderPid > 0 ? QStringLiteral("in use by %1 (process %2)")
                                             .arg(entry.holderName)
                                             .arg(entry.holderPid)
                                       : QStringLiteral("in use");
        case DeviceState::NoPermission:
            return entry.group.isEmpty()
                       ? QStringLiteral("no permission")
                       : QStringLiteral("no permission (the group %1 gives it)").arg(entry.group);
        case DeviceState::MissingTarget:
            return QStringLiteral("link to a missing device");
        case DeviceState::Present:
            return QStringLiteral("present");
        case DeviceState::Absent:
            break;
    }
    return QStringLiteral("absent");
}

QString IdentityText(const PortIdentity& identity) {
    QStringList parts;
    if (!identity.vendorId.isEmpty())
        parts << QStringLiteral("USB %1:%2").arg(identity.vendorId, identity.productId);
    for (const QString& part : {identity.manufacturer, identity.product})
        if (!part.isEmpty()) parts << part;
    if (!identity.serialNumber.isEmpty()) parts << "serial " + identity.serialNumber;
    if (!identity.byId.isEmpty()) parts << identity.byId;
    return parts.join(QStringLiteral(", "));
}

QString Line(const PortEntry& entry) {
    QString device = entry.device;
    if (!entry.link.isEmpty()) device += " -> " + QFileInfo(entry.link).symLinkTarget();
    QStringList parts{device, StateText(entry)};
    if (entry.identity.known()) parts << IdentityText(entry.identity);
    const QString label = entry.comNumber > 0 ? PortNames::PortName(entry.comNumber) : QString();
    return (label.isEmpty() ? QString() : label.leftJustified(6)) +
           parts.join(QStringLiteral("  "));
}

QJsonObject Object(const PortEntry& entry) {
    QJsonObject object{{"command", "ports"},
                       {"device", entry.device},
                       {"present", entry.present()},
                       {"state", DeviceStateName(entry.state)},
                       {"text", Line(entry)}};
    if (entry.comNumber > 0) object.insert("port", PortNames::PortName(entry.comNumber));
    if (!entry.link.isEmpty()) object.insert("link", QFileInfo(entry.link).symLinkTarget());
    if (!entry.target.isEmpty()) object.insert("target", entry.target);
    if (entry.state == DeviceState::InUse && entry.holderPid > 0)
        object.insert("holder", QJsonObject{{"pid", entry.holderPid}, {"name", entry.holderName}});
    if (entry.state == DeviceState::NoPermission && !entry.group.isEmpty())
        object.insert("group", entry.group);
    if (entry.identity.known()) {
        const PortIdentity& id = entry.identity;
        QJsonObject identity;
        const std::pair<const char*, QString> keys[] = {
            {"vendor-id", id.vendorId},         {"product-id", id.productId},
            {"manufacturer", id.manufacturer},  {"product", id.product},
            {"serial-number", id.serialNumber}, {"by-id", id.byId}};
        for (const auto& [key, value] : keys)
            if (!value.isEmpty()) identity.insert(QLatin1String(key), value);
        object.insert("identity", identity);
    }
    return object;
}

}  // namespace

int RunPorts(CommandRun& run) {
    const Output& out = run.out;
    const PortInventory inventory = TakePortInventory(run.request.machineFolder);
    for (const PortEntry& entry : inventory.comPorts) {
        out.Lines({Line(entry)});
        out.Object(Object(entry));
    }
    if (!inventory.unreached.empty()) out.Lines({Tr(Texts::UnreachedDevices)});
    const std::vector<int> free = FreeComNumbers(inventory);
    for (size_t i = 0; i < inventory.unreached.size(); ++i) {
        const PortEntry& entry = inventory.unreached[i];
        QJsonObject object = Object(entry);
        QString line = "  " + Line(entry);
        if (i < free.size()) {
            const int comNumber = free[i];
            // By its stable name where it has one.
            const QString device =
                entry.identity.byId.isEmpty() ? entry.device : entry.identity.byId;
            const QString assign = AssignCommand(device, comNumber, inventory.portsFolder);
            object.insert("assign", assign);
            line += QStringLiteral("\n    as %1: %2").arg(PortNames::PortName(comNumber), assign);
        }
        out.Lines({line});
        out.Object(object);
    }
    return ExitSuccess;
}
