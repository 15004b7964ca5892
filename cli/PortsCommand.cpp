// vq880 ports: which COM number is which device and adapter, and whether it can be opened.
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <vector>

#include "AssignCommand.h"
#include "Commands.h"
#include "ConsoleTexts.h"
#include "DiagnosisTexts.h"
#include "Output.h"
#include "PortInventory.h"
#include "PortNames.h"

namespace {

// The COM numbers a device may be given: those with nothing at them, then those whose link
// leads nowhere. Each is offered once, so that two devices do not take it from each other.
std::vector<int> FreeComNumbers(const PortInventory& inventory) {
    std::vector<int> free;
    for (PortState wanted : {PortState::NoDevice, PortState::MissingTarget})
        for (const PortEntry& entry : inventory.comPorts)
            if (entry.state == wanted) free.push_back(entry.comNumber);
    return free;
}

// The driver that serves the device, and how long its adapter holds received bytes.
QString DriverText(const PortEntry& entry) {
    if (entry.driver.isEmpty()) return {};
    QString text = "driver " + entry.driver;
    if (entry.latencyTimerMs > 0)
        text += QStringLiteral(", latency timer %1 ms").arg(entry.latencyTimerMs);
    return text;
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
    // In English: the rest of the listing is.
    QStringList parts{device, PortStateText(entry, 0)};
    if (!entry.driver.isEmpty()) parts << DriverText(entry);
    if (entry.identity.known()) parts << IdentityText(entry.identity);
    const QString label = entry.comNumber > 0 ? PortNames::PortName(entry.comNumber) : QString();
    return (label.isEmpty() ? QString() : label.leftJustified(6)) +
           parts.join(QStringLiteral("  "));
}

QJsonObject Object(const PortEntry& entry) {
    QJsonObject object{{"command", "ports"},
                       {"device", entry.device},
                       {"present", entry.present()},
                       {"state", PortStateName(entry.state)},
                       {"text", Line(entry)}};
    if (entry.comNumber > 0) object.insert("port", PortNames::PortName(entry.comNumber));
    if (!entry.link.isEmpty()) object.insert("link", QFileInfo(entry.link).symLinkTarget());
    if (!entry.target.isEmpty()) object.insert("target", entry.target);
    if (entry.state == PortState::InUse && entry.holderPid > 0)
        object.insert("holder", QJsonObject{{"pid", entry.holderPid}, {"name", entry.holderName}});
    if (entry.state == PortState::NoPermission && !entry.group.isEmpty())
        object.insert("group", entry.group);
    if (!entry.driver.isEmpty()) object.insert("driver", entry.driver);
    if (entry.latencyTimerMs > 0) object.insert("latency-timer", entry.latencyTimerMs);
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
