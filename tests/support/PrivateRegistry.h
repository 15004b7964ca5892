#pragma once

// Gives a test process a registry of its own for HKEY_LOCAL_MACHINE: a fresh key under
// HKEY_CURRENT_USER stands in for the hive until the object goes, so the kept settings of one
// test never reach another, as a private machine folder does on Linux. Windows only.

#include <windows.h>

#include <QByteArray>
#include <QtGlobal>

class PrivateRegistry {
  public:
    PrivateRegistry() {
        static int made = 0;
        path_ = "Software\\VQ880Tests\\" + QByteArray::number(qint64(GetCurrentProcessId())) + "-" +
                QByteArray::number(++made);
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.constData(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &root_,
                            nullptr) == ERROR_SUCCESS)
            RegOverridePredefKey(HKEY_LOCAL_MACHINE, root_);
    }
    ~PrivateRegistry() {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        if (root_) RegCloseKey(root_);
        RegDeleteTreeA(HKEY_CURRENT_USER, path_.constData());
    }
    PrivateRegistry(const PrivateRegistry&) = delete;
    PrivateRegistry& operator=(const PrivateRegistry&) = delete;

    // Whether the key of the kept settings exists in this registry.
    static bool SettingsKeyExists() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\TAVIN\\ReaderConfig", 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

  private:
    QByteArray path_;
    HKEY root_ = nullptr;
};
