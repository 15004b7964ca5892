#include "AdapterMark.h"

#include <QFileInfo>

namespace {

template <typename Match>
const PortEntry* Find(const PortInventory& inventory, Match match) {
    for (const auto* entries : {&inventory.comPorts, &inventory.unreached})
        for (const PortEntry& entry : *entries)
            if (entry.present() && match(entry)) return &entry;
    return nullptr;
}

}  // namespace

AdapterMark MarkOf(const PortInventory& inventory, const QString& path) {
    AdapterMark mark;
    mark.path = path;
    const QString target = QFileInfo(path).canonicalFilePath();
    const PortEntry* entry = Find(inventory, [&](const PortEntry& e) {
        return e.device == path || (!target.isEmpty() && e.target == target);
    });
    if (!entry) return mark;
    mark.byId = entry->identity.byId;
    mark.serialNumber = entry->identity.serialNumber;
    mark.vendorId = entry->identity.vendorId;
    mark.productId = entry->identity.productId;
    return mark;
}

QString FindAdapter(const AdapterMark& mark, const PortInventory& inventory) {
    if (!mark.byId.isEmpty())
        return Find(inventory, [&](const PortEntry& e) { return e.identity.byId == mark.byId; })
                   ? mark.byId
                   : QString();
    if (!mark.serialNumber.isEmpty()) {
        const PortEntry* entry = Find(inventory, [&](const PortEntry& e) {
            return e.identity.serialNumber == mark.serialNumber &&
                   e.identity.vendorId == mark.vendorId && e.identity.productId == mark.productId;
        });
        if (!entry) return {};
        return entry->target.isEmpty() ? entry->device : entry->target;
    }
    return mark.path;
}

AdapterSearch::AdapterSearch(QString machineFolder, const QString& device)
    : machineFolder_(std::move(machineFolder)),
      mark_(MarkOf(TakePortInventory(machineFolder_), device)) {}

QString AdapterSearch::Device(const QString& portDevice) {
    if (!mark_.byId.isEmpty()) return QFileInfo::exists(mark_.byId) ? mark_.byId : QString();
    if (mark_.serialNumber.isEmpty()) return portDevice;
    if (looked_.isValid() && looked_.elapsed() < LookEveryMs) return {};
    looked_.start();
    return FindAdapter(mark_, TakePortInventory(machineFolder_));
}
