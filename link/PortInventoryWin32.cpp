#include <windows.h>
// The set-up functions come after windows.h, which they build on.
#include <devguid.h>
#include <setupapi.h>

#include <QRegularExpression>
#include <algorithm>

#include "PortInventory.h"
#include "PortNames.h"

// Every COM port the system lists in its class of ports, also above COM16, with the adapter
// behind it. A COM number is the device itself there, so none is left unreached; and Windows
// tells who holds a port only to an open, which this does not try.

namespace {

QString Property(HDEVINFO list, SP_DEVINFO_DATA& device, DWORD property) {
    wchar_t text[512] = {};
    if (!SetupDiGetDeviceRegistryPropertyW(list, &device, property, nullptr,
                                           reinterpret_cast<BYTE*>(text), sizeof text - 2, nullptr))
        return {};
    return QString::fromWCharArray(text);
}

QString PortName(HDEVINFO list, SP_DEVINFO_DATA& device) {
    HKEY key = SetupDiOpenDevRegKey(list, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return {};
    wchar_t name[64] = {};
    DWORD size = sizeof name - 2;
    const LONG read =
        RegQueryValueExW(key, L"PortName", nullptr, nullptr, reinterpret_cast<BYTE*>(name), &size);
    RegCloseKey(key);
    return read == ERROR_SUCCESS ? QString::fromWCharArray(name) : QString();
}

// "USB\VID_1A86&PID_7523\5&2A3B&0&2": the ids, and the last part as the serial number when the
// adapter has one (Windows makes one up with "&" in it otherwise).
void TakeIdentity(HDEVINFO list, SP_DEVINFO_DATA& device, PortIdentity& identity) {
    identity.manufacturer = Property(list, device, SPDRP_MFG);
    identity.product = Property(list, device, SPDRP_DEVICEDESC);
    wchar_t id[512] = {};
    if (!SetupDiGetDeviceInstanceIdW(list, &device, id, 511, nullptr)) return;
    const QString instance = QString::fromWCharArray(id);
    static const QRegularExpression ids(QStringLiteral("VID_([0-9A-F]{4}).PID_([0-9A-F]{4})"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = ids.match(instance);
    if (!match.hasMatch()) return;
    identity.vendorId = match.captured(1).toLower();
    identity.productId = match.captured(2).toLower();
    const QStringList parts = instance.split(QLatin1Char('\\'));
    if (parts.size() == 3 && parts[0].compare(QLatin1String("USB"), Qt::CaseInsensitive) == 0 &&
        !parts[2].contains(QLatin1Char('&')))
        identity.serialNumber = parts[2];
}

}  // namespace

PortInventory TakePortInventory(const QString&) {
    PortInventory inventory;
    HDEVINFO list = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (list == INVALID_HANDLE_VALUE) return inventory;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(list, i, &device); ++i) {
        const QString name = PortName(list, device);
        if (!name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) continue;  // LPT too
        bool number = false;
        const int comNumber = name.mid(3).toInt(&number);
        if (!number || comNumber < 1) continue;
        PortEntry entry;
        entry.comNumber = comNumber;
        entry.device = QStringLiteral("\\\\.\\") + name.toUpper();
        entry.target = entry.device;
        entry.state = DeviceState::Present;
        TakeIdentity(list, device, entry.identity);
        inventory.comPorts.push_back(entry);
    }
    SetupDiDestroyDeviceInfoList(list);
    std::sort(inventory.comPorts.begin(), inventory.comPorts.end(),
              [](const PortEntry& a, const PortEntry& b) { return a.comNumber < b.comNumber; });
    return inventory;
}
