#pragma once

#include <QElapsedTimer>
#include <QString>

#include "PortInventory.h"

// What a port's adapter is known by, to find it again after it went away: its stable
// /dev/serial/by-id/ name or its USB serial number where it has one (it may come back under
// another device name, in another socket), else the path the port was opened at.
struct AdapterMark {
    QString byId;
    QString serialNumber;
    QString vendorId;
    QString productId;
    QString path;
};

// The mark of the adapter the inventory shows at `path` (a COM number's device, or the device
// itself); the path alone when the inventory knows nothing of it.
AdapterMark MarkOf(const PortInventory& inventory, const QString& path);
// Where the marked adapter is in the inventory now: the device to open, or empty while it is
// not there. An adapter known by name or serial number is that adapter, wherever it is; another
// at its old path is not it. One known by its path alone is whatever comes back there.
QString FindAdapter(const AdapterMark& mark, const PortInventory& inventory);

// Finds a port's adapter again while it is away: by its stable name where it has one (the name
// is there only while the adapter is), by its USB serial number through a look at every port,
// else at the port's own device.
class AdapterSearch {
  public:
    // The adapter at `device` as the ports are now.
    AdapterSearch(QString machineFolder, const QString& device);
    // The device to open, or empty while the adapter is not back.
    QString Device(const QString& portDevice);

  private:
    // A look at every port costs more than a reading pass: once a second.
    static constexpr qint64 LookEveryMs = 1000;
    QString machineFolder_;
    AdapterMark mark_;
    QElapsedTimer looked_;
};
