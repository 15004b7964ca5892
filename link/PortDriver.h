#pragma once

#include <QString>

// The kernel driver that serves a serial device and, for an adapter that holds received bytes
// before it hands them on (FTDI's), its latency timer: from the system's device tree, without
// opening the device.
struct PortDriver {
    QString name;            // "ftdi_sio", "ch341", "cp210x", "pl2303", "cdc_acm", "pty", ...
    int latencyTimerMs = 0;  // 0 where the driver has no timer
};

// sysRoot is where the device tree is mounted; tests give one of their own.
PortDriver ReadPortDriver(const QString& devicePath,
                          const QString& sysRoot = QStringLiteral("/sys"));
