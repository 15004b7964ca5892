#include <windows.h>

#include <QRegularExpression>
#include <algorithm>

#include "PortInventory.h"
#include "PortNames.h"

// Windows lists its COM ports, also those above COM16, under HARDWARE\DEVICEMAP\SERIALCOMM, each
// with the device name of its driver (\Device\Serial0, \Device\VCP0, \Device\Silabser0, ...).
// Whether a program holds a port it tells only to an open, which this does not try.
PortInventory TakePortInventory(const QString&) {
    static const QRegularExpression com(QStringLiteral("^COM([0-9]+)$"));
    PortInventory inventory;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return inventory;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        wchar_t data[256];
        DWORD nameSize = 256, dataSize = sizeof(data), type = 0;
        const LONG status = RegEnumValueW(key, index, name, &nameSize, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS || type != REG_SZ) continue;
        const QString port =
            QString::fromWCharArray(data, int(dataSize / sizeof(wchar_t))).section(QChar(0), 0, 0);
        const auto match = com.match(port);
        PortEntry entry;
        entry.comNumber = match.hasMatch() ? match.captured(1).toInt() : 0;
        entry.device = QStringLiteral("\\\\.\\") + port;
        entry.target = entry.device;
        entry.state = DeviceState::Present;
        entry.identity.product = QString::fromWCharArray(name, int(nameSize));
        (entry.comNumber > 0 ? inventory.comPorts : inventory.unreached).push_back(entry);
    }
    RegCloseKey(key);
    std::sort(inventory.comPorts.begin(), inventory.comPorts.end(),
              [](const PortEntry& a, const PortEntry& b) { return a.comNumber < b.comNumber; });
    return inventory;
}
