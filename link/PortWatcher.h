#pragma once

#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "PortChanges.h"
#include "PortInventory.h"

class PortWatchSources;

// Watches for serial devices and COM links that appear or go, and reports each with the
// identity `ports` shows. It listens to the system's device events (udev on Linux, device
// notifications on Windows) and, on Linux, to the machine folder's ports/ links and the places
// they lead to (inotify, which also sees pseudo-terminals, for which there are no device
// events). It sleeps until something happens, and looks at the ports again only then, once the
// events of a moment have settled. The reports come from the event loop of its thread.
class PortWatcher {
  public:
    using Report = std::function<void(const std::vector<PortChange>& changes)>;

    PortWatcher(QString machineFolder, Report report);
    ~PortWatcher();
    PortWatcher(const PortWatcher&) = delete;
    PortWatcher& operator=(const PortWatcher&) = delete;

    // What is being watched; nothing when the system gave neither.
    struct Watching {
        bool deviceEvents = false;  // the system's device events
        bool portLinks = false;     // ports/ and the places its links lead to
        bool any() const { return deviceEvents || portLinks; }
    };
    // Takes the first look at the ports and starts watching.
    Watching Start();
    // The ports as the last look found them.
    const PortInventory& inventory() const { return inventory_; }

    // Events closer together than this make one look.
    static constexpr int SettleMs = 50;

  private:
    void Look();

    QString machineFolder_;
    Report report_;
    PortInventory inventory_;
    QTimer settle_;
    std::unique_ptr<PortWatchSources> sources_;
};
