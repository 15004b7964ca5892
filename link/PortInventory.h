#pragma once

#include <QString>
#include <vector>

// What a serial port is on this machine, as the system tells it without opening the port.
enum class DeviceState {
    Free,           // present, and nobody holds it
    InUse,          // present, and a program holds it
    NoPermission,   // present, but the user may not read and write it
    MissingTarget,  // a link in ports/ assigns the COM number, to a device that is not there
    Absent,         // nothing at the COM number's device
    Present,        // there (Windows, which tells no holder without opening the port)
};

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

struct PortEntry {
    int comNumber = 0;  // 0 for a device that no COM number reaches
    QString device;     // what the COM number stands for: the link in ports/, or the device
    QString link;       // the link in ports/ that assigns the COM number, when there is one
    QString target;     // the device itself, links followed; empty when it is not there
    // Where the link in ports/ led when the ports were looked at.
    QString linkTarget;
    DeviceState state = DeviceState::Absent;
    PortIdentity identity;
    qint64 holderPid = 0;  // in use: the program that holds it, where the system tells
    QString holderName;
    QString group;  // no permission: the group whose members may open it
    bool present() const {
        return state != DeviceState::Absent && state != DeviceState::MissingTarget;
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

// "free", "in-use", "no-permission", "missing-link-target", "absent", "present".
QString DeviceStateName(DeviceState state);
