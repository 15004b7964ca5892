#include <windows.h>

#include <QByteArray>
#include <utility>

#include "KeptSettingsPolicy.h"
#include "SettingsStore.h"

// The kept settings in the registry, HKEY_LOCAL_MACHINE\Software\TAVIN\ReaderConfig: one place
// for every user of the PC. The key is opened for each load or save and closed again at once.

namespace {

// RegOpenKeyExA takes the path below the hive without a leading backslash.
const char* const kKeyPath = "Software\\TAVIN\\ReaderConfig";
// The longest text a value may hold; the kept texts need a few bytes each.
constexpr DWORD kMaxTextBytes = 64 * 1024;

// A key handle closed when it goes out of scope, however the steps before ended.
class OpenKey {
  public:
    OpenKey() = default;
    ~OpenKey() {
        if (key_) RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

  private:
    HKEY key_ = nullptr;
};

RawKeptValue ReadInteger(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD number = 0;
    DWORD size = sizeof(number);
    const LONG status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size);
    if (status == ERROR_FILE_NOT_FOUND) return RawKeptValue();
    // A value of another type, or one too long for a 32-bit integer, stops the loading.
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(number))
        return RawKeptValue::Other();
    return RawKeptValue::Integer(qint32(number));
}

RawKeptValue ReadText(HKEY key, const char* name) {
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) return RawKeptValue();
    // An expandable text is taken as stored, without expanding it. A text of absurd length is
    // none of ours: it counts as a value of the wrong type.
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) ||
        size > kMaxTextBytes)
        return RawKeptValue::Other();
    QByteArray bytes(int(size), '\0');
    if (size > 0) {
        status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                                  &size);
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return RawKeptValue::Other();
        bytes.truncate(int(size));
    }
    // The stored text ends at its first zero character; an empty value is the empty text.
    const int end = bytes.indexOf('\0');
    if (end >= 0) bytes.truncate(end);
    return RawKeptValue::Text(QString::fromLocal8Bit(bytes));
}

bool WriteInteger(HKEY key, const char* name, int number) {
    const DWORD value = DWORD(qint32(number));
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

bool WriteText(HKEY key, const char* name, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    // The stored size counts the closing zero character.
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes.constData()),
                          DWORD(bytes.size() + 1)) == ERROR_SUCCESS;
}

// Opens the key for writing, creating it (non-volatile) when missing.
bool CreateForWriting(OpenKey& key) {
    return RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS, nullptr, key.out(), nullptr) == ERROR_SUCCESS;
}

}  // namespace

SettingsStore::SettingsStore(QString machineFolder) : folder_(std::move(machineFolder)) {}

QString SettingsStore::filePath() const {
    return QStringLiteral("HKEY_LOCAL_MACHINE\\") + QString::fromLatin1(kKeyPath);
}

void SettingsStore::Load(KeptSettings& settings) const {
    OpenKey key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_ALL_ACCESS, key.out());
    // An ordinary user may not change the key; reading it needs no more than read access, so
    // the kept port and language still hold for that user.
    if (status == ERROR_ACCESS_DENIED)
        status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_READ, key.out());
    if (status != ERROR_SUCCESS) return;
    ApplyKeptValues({ReadInteger(key.get(), "ScanCommNo"), ReadText(key.get(), "ScanBaudRate"),
                     ReadInteger(key.get(), "ScanBaudRateNo"), ReadText(key.get(), "LanguageFlag")},
                    settings);
}

void SettingsStore::SaveScan(int scanCommNo, int scanBaudRateNo, const QString& scanBaudRate) {
    OpenKey key;
    if (!CreateForWriting(key)) return;
    // In this order; a refused write leaves the ones before it written and skips the rest.
    if (!WriteInteger(key.get(), "ScanCommNo", scanCommNo)) return;
    if (!WriteInteger(key.get(), "ScanBaudRateNo", scanBaudRateNo)) return;
    WriteText(key.get(), "ScanBaudRate", scanBaudRate);
}

void SettingsStore::SaveLanguage(const QString& languageFlag) {
    OpenKey key;
    if (!CreateForWriting(key)) return;
    WriteText(key.get(), "LanguageFlag", languageFlag);
}
