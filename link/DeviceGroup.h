#pragma once

#include <QString>

// The group whose members may read and write the device (such as "dialout"), or an empty text
// when its group has no such right or the device is not there.
QString DeviceGroup(const QString& devicePath);
