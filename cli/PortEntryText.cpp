#include "PortEntryText.h"

#include "DiagnosisTexts.h"
#include "PortNames.h"
#include "RecordEntry.h"
#include "TerminalText.h"

namespace {

// The driver that serves the device, and how long its adapter holds received bytes.
QString DriverText(const PortEntry& entry) {
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

}  // namespace

QString PortEntryLine(const PortEntry& entry) {
    QString device = entry.device;
    if (!entry.link.isEmpty()) device += " -> " + entry.linkTarget;
    // In English: the rest of the listing is.
    QStringList parts{device, PortStateText(entry, 0)};
    if (!entry.driver.isEmpty()) parts << DriverText(entry);
    if (entry.identity.known()) parts << IdentityText(entry.identity);
    const QString label = entry.comNumber > 0 ? PortNames::PortName(entry.comNumber) : QString();
    // Names from outside (a link's target, what an adapter tells of itself, a program's name)
    // shown as text here already: the line is also the JSON object's "text".
    return TerminalText((label.isEmpty() ? QString() : label.leftJustified(6)) +
                        parts.join(QStringLiteral("  ")));
}

QStringList UnreachedEntryLines(const PortEntry& entry, int comNumber, const QString& assign) {
    QStringList lines{"  " + PortEntryLine(entry)};
    if (comNumber > 0)
        lines << QStringLiteral("    as %1: %2").arg(PortNames::PortName(comNumber), assign);
    return lines;
}

QJsonObject PortEntryObject(const PortEntry& entry) {
    QJsonObject object{{"command", "ports"},
                       {"device", entry.device},
                       {"present", entry.present()},
                       {"state", PortStateName(entry.state)},
                       {"text", PortEntryLine(entry)}};
    if (entry.comNumber > 0) object.insert("port", PortNames::PortName(entry.comNumber));
    if (!entry.link.isEmpty()) object.insert("link", entry.linkTarget);
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

QString PortChangeLine(const PortChange& change, const QDateTime& time) {
    return QStringLiteral("%1  %2  %3")
        .arg(time.toString(QStringLiteral("hh:mm:ss")),
             PortChangeName(change.kind).leftJustified(8), PortEntryLine(change.entry));
}

QJsonObject PortChangeObject(const PortChange& change, const QDateTime& time) {
    QJsonObject object = PortEntryObject(change.entry);
    object.insert("event", PortChangeName(change.kind));
    object.insert("time", TimeWithOffset(time));
    object.insert("text", PortChangeLine(change, time));
    return object;
}
