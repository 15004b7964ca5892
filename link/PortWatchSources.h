#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "PortInventory.h"
#include "PortWatcher.h"

// The system's events that tell a port watcher to look again; one implementation a platform.
class PortWatchSources {
  public:
    virtual ~PortWatchSources() = default;
    // Starts listening; changed is called from the event loop whenever a port may have come or
    // gone.
    virtual PortWatcher::Watching Start(std::function<void()> changed) = 0;
    // After each look: the places that matter now (where the links in ports/ lead).
    virtual void Follow(const PortInventory& inventory) = 0;
};

std::unique_ptr<PortWatchSources> MakePortWatchSources(const QString& machineFolder);
