#include <windows.h>
// The set-up functions come after windows.h, which they build on.
#include <devguid.h>
#include <setupapi.h>

#include <QByteArray>
#include <QStringList>
#include <algorithm>

#include "DeviceIdentifiers.h"
#include "PortInventory.h"
#include "PortNames.h"

// Every COM port the system lists in its class of ports, also above COM16, with the adapter
// behind it, its driver's service and FTDI's latency timer. A COM number is the device itself
// there, so none is left unreached; and Windows tells who holds a port only to an open, which
// this does not try. The device's parameters are only read, never written.

namespace {

QString Property(HDEVINFO list, SP_DEVINFO_DATA& device, DWORD property) {
    wchar_t text[512] = {};
    if (!SetupDiGetDeviceRegistryPropertyW(list, &device, property, nullptr,
                                           reinterpret_cast<BYTE*>(text), sizeof text - 2, nullptr))
        return {};
    return QString::fromWCharArray(text);
}

// The port's name and FTDI's latency timer, from the device's parameters.
struct DeviceParameters {
    QString portName;
    int latencyTimerMs = 0;
};

DeviceParameters ReadDeviceParameters(HDEVINFO list, SP_DEVINFO_DATA& device) {
    DeviceParameters parameters;
    HKEY key = SetupDiOpenDevRegKey(list, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return parameters;
    wchar_t name[64] = {};
    DWORD size = sizeof name - 2;
    if (RegQueryValueExW(key, L"PortName", nullptr, nullptr, reinterpret_cast<BYTE*>(name),
                         &size) == ERROR_SUCCESS)
        parameters.portName = QString::fromWCharArray(name);
    BYTE latency[16] = {};
    DWORD type = 0;
    size = sizeof latency;
    if (RegQueryValueExW(key, L"LatencyTimer", nullptr, &type, latency, &size) == ERROR_SUCCESS)
        parameters.latencyTimerMs = LatencyTimerFromValue(
            quint32(type), QByteArray(reinterpret_cast<const char*>(latency), int(size)));
    RegCloseKey(key);
    return parameters;
}

// The maker, the description, and the ids and serial number of the device's instance id.
void TakeIdentity(HDEVINFO list, SP_DEVINFO_DATA& device, PortIdentity& identity) {
    wchar_t id[512] = {};
    if (SetupDiGetDeviceInstanceIdW(list, &device, id, 511, nullptr))
        identity = IdentityFromInstanceId(QString::fromWCharArray(id));
    identity.manufacturer = Property(list, device, SPDRP_MFG);
    identity.product = Property(list, device, SPDRP_DEVICEDESC);
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
    entry.state = PortState::Present;
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
        const DeviceParameters parameters = ReadDeviceParameters(list, device);
        PortEntry entry = Entry(parameters.portName);
        if (entry.comNumber < 1) continue;  // LPT too
        TakeIdentity(list, device, entry.identity);
        entry.driver = Property(list, device, SPDRP_SERVICE);
        entry.latencyTimerMs = parameters.latencyTimerMs;
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
