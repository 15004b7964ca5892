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

// The ports the serial drivers name under HARDWARE\DEVICEMAP\SERIALCOMM: also those of drivers
// that are not in the class of ports (virtual COM ports, Wine's).
QStringList DriverPorts() {
    QStringList ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return ports;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        wchar_t data[64] = {};
        DWORD nameSize = 256, dataSize = sizeof data - 2, type = 0;
        const LONG status = RegEnumValueW(key, index, name, &nameSize, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_SUCCESS && type == REG_SZ) ports << QString::fromWCharArray(data);
    }
    RegCloseKey(key);
    return ports;
}

PortEntry Entry(const QString& name) {
    PortEntry entry;
    bool number = false;
    entry.comNumber = name.mid(3).toInt(&number);
    if (!name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) || !number) entry.comNumber = 0;
    entry.device = QStringLiteral("\\\\.\\") + name.toUpper();
    entry.target = entry.device;
    entry.state = DeviceState::Present;
    return entry;
}

}  // namespace

PortInventory TakePortInventory(const QString&) {
    PortInventory inventory;
    HDEVINFO list = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; list != INVALID_HANDLE_VALUE && SetupDiEnumDeviceInfo(list, i, &device);
         ++i) {
        PortEntry entry = Entry(PortName(list, device));
        if (entry.comNumber < 1) continue;  // LPT too
        TakeIdentity(list, device, entry.identity);
        inventory.comPorts.push_back(entry);
    }
    if (list != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(list);
    for (const QString& name : DriverPorts()) {
        PortEntry entry = Entry(name);
        const bool listed =
            std::any_of(inventory.comPorts.begin(), inventory.comPorts.end(),
                        [&](const PortEntry& other) { return other.comNumber == entry.comNumber; });
        if (entry.comNumber > 0 && !listed) inventory.comPorts.push_back(entry);
    }
    std::sort(inventory.comPorts.begin(), inventory.comPorts.end(),
              [](const PortEntry& a, const PortEntry& b) { return a.comNumber < b.comNumber; });
    return inventory;
}
