#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include "PortInventory.h"

// What Windows tells of a port's adapter, read from its own strings and values. Pure functions,
// so that they are tested on every platform with strings recorded from real adapters.

// The USB vendor and product ids and the serial number in a device instance id:
//   USB\VID_10C4&PID_EA60\0001                   serial number 0001
//   USB\VID_1A86&PID_7523\5&2A3B&0&2             none: Windows made the last part up ("&")
//   FTDIBUS\VID_0403+PID_6001+A50285BIA\0000     FTDI's driver: serial number A50285BI, port A
// Ids in lower case, as the Linux inventory gives them.
PortIdentity IdentityFromInstanceId(const QString& instanceId);

// The latency timer in milliseconds that FTDI's driver keeps in the device's parameters (the
// value "LatencyTimer"), from the value's registry type and bytes; 0 when it is none.
int LatencyTimerFromValue(quint32 type, const QByteArray& data);
constexpr quint32 RegistryDword = 4;  // REG_DWORD: four bytes, little-endian
