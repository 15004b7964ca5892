#include "PortWatcher.h"

#include "PortWatchSources.h"

PortWatcher::PortWatcher(QString machineFolder, Report report)
    : machineFolder_(std::move(machineFolder)),
      report_(std::move(report)),
      sources_(MakePortWatchSources(machineFolder_)) {
    settle_.setSingleShot(true);
    settle_.setInterval(SettleMs);
    settle_.callOnTimeout([this] { Look(); });
}

PortWatcher::~PortWatcher() = default;

PortWatcher::Watching PortWatcher::Start() {
    inventory_ = TakePortInventory(machineFolder_);
    const Watching watching = sources_->Start([this] {
        if (!settle_.isActive()) settle_.start();
    });
    sources_->Follow(inventory_);
    return watching;
}

void PortWatcher::Look() {
    PortInventory now = TakePortInventory(machineFolder_);
    const std::vector<PortChange> changes = PortChanges(inventory_, now);
    inventory_ = std::move(now);
    sources_->Follow(inventory_);
    if (!changes.empty() && report_) report_(changes);
}
