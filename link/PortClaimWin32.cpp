// Claims on Windows: one file per COM name in the machine's program data, opened so that no
// other process may write it and deleted when its handle closes, which the system does when
// the process ends, however it ends. It holds the holder's process number.
#include <windows.h>

#include <QDir>
#include <QFileInfo>

#include "PortClaimLocks.h"

namespace claim_locks {

namespace {

QString Folder() {
    const QString data = qEnvironmentVariable("ProgramData");
    if (data.isEmpty()) return {};
    const QString folder = QDir(data).filePath(QStringLiteral("vq880-claims"));
    return QDir().mkpath(folder) ? folder : QString();
}

std::wstring FilePath(const QString& folder, const QString& key) {
    return QDir::toNativeSeparators(QDir(folder).filePath(key)).toStdWString();
}

qint64 ReadPid(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    char text[32] = {};
    DWORD read = 0;
    const BOOL ok = ReadFile(file, text, sizeof text - 1, &read, nullptr);
    CloseHandle(file);
    if (!ok || read == 0) return 0;
    bool number = false;
    const qint64 pid = QByteArray(text, int(read)).trimmed().toLongLong(&number);
    return number && pid > 0 ? pid : 0;
}

}  // namespace

QStringList Keys(const QString& devicePath) {
    // "COM7", also when given as \\.\COM7.
    QString name = devicePath.trimmed();
    if (name.startsWith(QLatin1String("\\\\.\\"))) name = name.mid(4);
    if (name.isEmpty() || name.contains(QLatin1Char('\\')) || name.contains(QLatin1Char('/')))
        return {};
    return {name.toUpper()};
}

QStringList NameKeys(const QString& portPath) {
    // A COM name is the port's own name and the device's alike.
    return Keys(portPath);
}

Taken Lock(const QString& key) {
    const QString folder = Folder();
    if (folder.isEmpty()) return {false, false, -1, 0};
    const std::wstring path = FilePath(folder, key);
    // Others may read who holds it, nobody may write it; gone with its handle.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // Held by another process, or by one of another user, or on its way out.
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED)
            return {false, true, -1, ReadPid(path)};
        return {false, false, -1, 0};
    }
    const QByteArray pid = QByteArray::number(qint64(GetCurrentProcessId())) + "\r\n";
    DWORD written = 0;
    SetEndOfFile(file);
    WriteFile(file, pid.constData(), DWORD(pid.size()), &written, nullptr);
    return {true, true, reinterpret_cast<Handle>(file), 0};
}

void Unlock(const QString&, Handle handle) {
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}

qint64 Holder(const QString& key) {
    const QString folder = Folder();
    return folder.isEmpty() ? 0 : ReadPid(FilePath(folder, key));
}

}  // namespace claim_locks
