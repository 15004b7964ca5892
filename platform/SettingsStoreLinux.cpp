#include <QDir>
#include <utility>

#include "FolderLock.h"
#include "SafeFileAccess.h"
#include "SettingsFileFormat.h"
#include "SettingsStore.h"

// The settings file in the machine folder. Every member of the serial ports' group may change
// the folder, and everyone else on the machine, root included, runs the tool on it; so nothing
// in it is trusted (SafeFileAccess), and a second running copy is kept out of a save by the lock
// beside the file.

namespace {

const QString kFileName = QStringLiteral("settings.reg");
// A second copy holds the lock only while it rewrites the file, a few milliseconds.
constexpr int kLockWaitMs = 2000;

// Rewrites the file with the values replaced. The lock keeps a second running copy from
// writing between this copy's read and its write.
void WriteValues(const QString& folder, const NamedValues& values) {
    using State = StoreFile::State;
    if (!QDir().mkpath(folder)) return;
    const QString path = QDir(folder).filePath(kFileName);
    FolderLock lock;
    if (!lock.Take(path + QStringLiteral(".lock"), kLockWaitMs)) return;

    const StoreFile file = ReadStoreFile(path, kMaxSettingsFileBytes);
    // A file that is there but cannot be read would lose its other values: leave it alone.
    if (file.state == State::Unreadable) return;
    // A file past the bound, a link, FIFO or device is no store: a fresh file takes its place.
    const std::optional<QByteArray> before =
        file.state == State::Read ? std::optional<QByteArray>(file.bytes) : std::nullopt;
    ReplaceFile(path, WithValuesReplaced(before, values), file.mode);
}

}  // namespace

SettingsStore::SettingsStore(QString machineFolder) : folder_(std::move(machineFolder)) {}

QString SettingsStore::filePath() const {
    return QDir(folder_).filePath(kFileName);
}

// Reading never asks for write access, so an ordinary user on a machine whose folder only
// root may change still starts with the kept port and language.
void SettingsStore::Load(KeptSettings& settings) const {
    const StoreFile file = ReadStoreFile(filePath(), kMaxSettingsFileBytes);
    if (file.state != StoreFile::State::Read) return;
    ApplyKeptValues(ReadKeptValues(file.bytes), settings);
}

void SettingsStore::SaveScan(int scanCommNo, int scanBaudRateNo, const QString& scanBaudRate) {
    WriteValues(folder_, {{QStringLiteral("ScanCommNo"), StoredValue::Integer(scanCommNo)},
                          {QStringLiteral("ScanBaudRateNo"), StoredValue::Integer(scanBaudRateNo)},
                          {QStringLiteral("ScanBaudRate"), StoredValue::Text(scanBaudRate)}});
}

void SettingsStore::SaveLanguage(const QString& languageFlag) {
    WriteValues(folder_, {{QStringLiteral("LanguageFlag"), StoredValue::Text(languageFlag)}});
}
