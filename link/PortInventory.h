#pragma once

#include <QString>
#include <vector>

#include "PortState.h"

// The adapter behind a device, where the system knows it.
struct PortIdentity {
    QString vendorId;  // USB, four hexadecimal digits
    QString productId;
    QString manufacturer;
    QString product;
    QString serialNumber;
    QString byId;  // the stable /dev/serial/by-id/ name that leads to the device
    bool known() const {
        return !vendorId.isEmpty() || !manufacturer.isEmpty() || !product.isEmpty() ||
               !serialNumber.isEmpty() || !byId.isEmpty();
    }
};

// A port as the system tells it without opening it: its state, what the COM number stands
// for, the adapter behind it and the driver that serves it.
struct PortEntry : PortFacts {
    int comNumber = 0;  // 0 for a device that no COM number reaches
    QString link;       // the link in ports/ that assigns the COM number, when there is one
    QString target;     // the device itself, links followed; empty when it is not there
    // Where the link in ports/ led when the ports were looked at.
    QString linkTarget;
    PortIdentity identity;
    QString driver;          // the kernel's driver, or on Windows the driver's service
    int latencyTimerMs = 0;  // how long the adapter holds received bytes; 0 where it has no timer
    bool present() const {
        return state == PortState::Free || state == PortState::Present ||
               state == PortState::InUse || state == PortState::NoPermission;
    }
};

// Every COM number (COM1 to COM16 on Linux, every COM port the system has on Windows), then the
// serial devices present that no COM number reaches. Opens no port.
struct PortInventory {
    std::vector<PortEntry> comPorts;
    std::vector<PortEntry> unreached;
    QString portsFolder;
};
PortInventory TakePortInventory(const QString& machineFolder);
