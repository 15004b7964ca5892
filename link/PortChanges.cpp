#include "PortChanges.h"

#include <QSet>

namespace {

QSet<QString> PresentTargets(const PortInventory& inventory) {
    QSet<QString> targets;
    for (const auto* entries : {&inventory.comPorts, &inventory.unreached})
        for (const PortEntry& entry : *entries)
            if (entry.present() && !entry.target.isEmpty()) targets.insert(entry.target);
    return targets;
}

const PortEntry* ComEntry(const PortInventory& inventory, int comNumber) {
    for (const PortEntry& entry : inventory.comPorts)
        if (entry.comNumber == comNumber) return &entry;
    return nullptr;
}

// Present in the one and not in the other, or now somewhere else.
bool Left(const PortEntry& from, const PortEntry* to) {
    return from.present() && (!to || !to->present() || to->target != from.target);
}

}  // namespace

std::vector<PortChange> PortChanges(const PortInventory& before, const PortInventory& after) {
    std::vector<PortChange> changes;
    const QSet<QString> presentBefore = PresentTargets(before);
    const QSet<QString> presentAfter = PresentTargets(after);
    for (const PortEntry& was : before.comPorts)
        if (Left(was, ComEntry(after, was.comNumber)))
            changes.push_back({PortChange::Kind::Gone, was});
    for (const PortEntry& was : before.unreached)
        if (!presentAfter.contains(was.target)) changes.push_back({PortChange::Kind::Gone, was});
    for (const PortEntry& is : after.comPorts)
        if (Left(is, ComEntry(before, is.comNumber)))
            changes.push_back({PortChange::Kind::Appeared, is});
    for (const PortEntry& is : after.unreached)
        if (!presentBefore.contains(is.target)) changes.push_back({PortChange::Kind::Appeared, is});
    return changes;
}

QString PortChangeName(PortChange::Kind kind) {
    return kind == PortChange::Kind::Gone ? QStringLiteral("gone") : QStringLiteral("appeared");
}
