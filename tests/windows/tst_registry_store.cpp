// The kept settings in the registry: HKEY_LOCAL_MACHINE\Software\TAVIN\ReaderConfig, values of
// the wrong type, and a key the user may read but not change.
#include <aclapi.h>
#include <windows.h>

#include <QtTest>

#include "SettingsStore.h"

namespace {

const char* const KeyPath = "Software\\TAVIN\\ReaderConfig";

// The key as a registry editor would touch it, beside the store.
struct RawKey {
    HKEY key = nullptr;
    RawKey() {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, KeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr);
    }
    ~RawKey() {
        if (key) RegCloseKey(key);
    }
    void Integer(const char* name, DWORD value) {
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof(value));
    }
    void Text(const char* name, const QByteArray& text, DWORD type = REG_SZ) {
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.constData()),
                       DWORD(text.size() + 1));
    }
    void Binary(const char* name, const QByteArray& bytes) {
        RegSetValueExA(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.constData()),
                       DWORD(bytes.size()));
    }
};

struct StoredValue {
    DWORD type = REG_NONE;
    QByteArray bytes;
    bool exists = false;
};

StoredValue ReadRaw(const char* name) {
    StoredValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.bytes.resize(int(size));
        value.exists =
            RegQueryValueExA(key, name, nullptr, &value.type,
                             reinterpret_cast<BYTE*>(value.bytes.data()), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return value;
}

QByteArray Dword(DWORD value) {
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof(value));
}

bool KeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Leaves the key to everyone for reading only, as a machine whose administrator protects it.
bool MakeKeyReadOnly(bool readOnly) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPath, 0, READ_CONTROL | WRITE_DAC, &key) !=
        ERROR_SUCCESS)
        return false;
    EXPLICIT_ACCESSA access{};
    char everyone[] = "EVERYONE";
    BuildExplicitAccessWithNameA(&access, everyone, readOnly ? KEY_READ : KEY_ALL_ACCESS,
                                 SET_ACCESS, NO_INHERITANCE);
    PACL acl = nullptr;
    bool done = SetEntriesInAclA(1, &access, nullptr, &acl) == ERROR_SUCCESS;
    done = done && SetSecurityInfo(key, SE_REGISTRY_KEY,
                                   DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                   nullptr, nullptr, acl, nullptr) == ERROR_SUCCESS;
    if (acl) LocalFree(acl);
    RegCloseKey(key);
    return done;
}

KeptSettings Loaded() {
    KeptSettings settings;
    SettingsStore(QString()).Load(settings);
    return settings;
}

}  // namespace

class RegistryStoreTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, KeyPath); }
    void cleanup() {
        MakeKeyReadOnly(false);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, KeyPath);
    }

    void missingKeyGivesTheDefaultsAndIsNotMade() {
        const KeptSettings settings = Loaded();
        QCOMPARE(settings.ScanCommNo, 0);
        QCOMPARE(settings.ScanBaudRate, QString("19200,e,8,1"));
        QCOMPARE(settings.ScanBaudRateNo, 5);
        QCOMPARE(settings.LanguageFlag, QString("English"));
        QVERIFY(!KeyExists());
    }

    void scanSaveWritesTheThreeValuesWithTheirTypes() {
        SettingsStore(QString()).SaveScan(7, 3, "9600,e,8,1");
        const StoredValue commNo = ReadRaw("ScanCommNo");
        QCOMPARE(commNo.type, DWORD(REG_DWORD));
        QCOMPARE(commNo.bytes, Dword(7));
        QCOMPARE(ReadRaw("ScanBaudRateNo").type, DWORD(REG_DWORD));
        QCOMPARE(ReadRaw("ScanBaudRateNo").bytes, Dword(3));
        const StoredValue baudRate = ReadRaw("ScanBaudRate");
        QCOMPARE(baudRate.type, DWORD(REG_SZ));
        QCOMPARE(baudRate.bytes, QByteArray("9600,e,8,1", 11));  // with its closing zero
        QVERIFY(!ReadRaw("LanguageFlag").exists);

        const KeptSettings settings = Loaded();
        QCOMPARE(settings.ScanCommNo, 7);
        QCOMPARE(settings.ScanBaudRate, QString("9600,e,8,1"));
        QCOMPARE(settings.ScanBaudRateNo, 3);
        QCOMPARE(settings.LanguageFlag, QString("English"));
    }

    void languageSaveKeepsTheScanValues() {
        SettingsStore store{QString()};
        store.SaveScan(2, 10, "115200,n,8,1");
        store.SaveLanguage("ChineseBIG5");
        store.SaveLanguage("ChineseGB");
        QCOMPARE(ReadRaw("LanguageFlag").type, DWORD(REG_SZ));
        const KeptSettings settings = Loaded();
        QCOMPARE(settings.ScanCommNo, 2);
        QCOMPARE(settings.ScanBaudRateNo, 10);
        QCOMPARE(settings.LanguageFlag, QString("ChineseGB"));
    }

    void keyWithOnlyTheLanguage() {
        SettingsStore(QString()).SaveLanguage("ChineseBIG5");
        const KeptSettings settings = Loaded();
        QCOMPARE(settings.ScanCommNo, 0);
        QCOMPARE(settings.ScanBaudRate, QString("19200,e,8,1"));
        QCOMPARE(settings.ScanBaudRateNo, 5);
        QCOMPARE(settings.LanguageFlag, QString("ChineseBIG5"));
    }

    // Each row stores all four values and puts one of another type in place; loading stops
    // at that value, with those before it read and the rest at their defaults.
    void wrongTypeStopsTheLoading_data() {
        QTest::addColumn<QString>("wrong");
        QTest::addColumn<int>("readBefore");
        QTest::newRow("ScanCommNo as a string: nothing read") << "ScanCommNo" << 0;
        QTest::newRow("ScanBaudRate as an integer: only the port read") << "ScanBaudRate" << 1;
        QTest::newRow("ScanBaudRateNo as a string: port and line read") << "ScanBaudRateNo" << 2;
        QTest::newRow("LanguageFlag as an integer: the scan values read") << "LanguageFlag" << 3;
    }
    void wrongTypeStopsTheLoading() {
        QFETCH(QString, wrong);
        QFETCH(int, readBefore);
        {
            RawKey raw;
            raw.Integer("ScanCommNo", 4);
            raw.Text("ScanBaudRate", "57600,n,8,1");
            raw.Integer("ScanBaudRateNo", 8);
            raw.Text("LanguageFlag", "ChineseGB");
            const QByteArray name = wrong.toLatin1();
            if (wrong == "ScanCommNo" || wrong == "ScanBaudRateNo")
                raw.Text(name.constData(), "4");
            else
                raw.Integer(name.constData(), 1);
        }
        const KeptSettings settings = Loaded();
        const KeptSettings defaults;
        QCOMPARE(settings.ScanCommNo, readBefore > 0 ? 4 : defaults.ScanCommNo);
        QCOMPARE(settings.ScanBaudRate, readBefore > 1 ? "57600,n,8,1" : defaults.ScanBaudRate);
        QCOMPARE(settings.ScanBaudRateNo, readBefore > 2 ? 8 : defaults.ScanBaudRateNo);
        QCOMPARE(settings.LanguageFlag, defaults.LanguageFlag);
    }

    void fourBinaryBytesAreNoInteger() {
        {
            RawKey raw;
            raw.Binary("ScanCommNo", Dword(3));
            raw.Text("LanguageFlag", "ChineseGB");
        }
        const KeptSettings settings = Loaded();
        QCOMPARE(settings.ScanCommNo, 0);
        QCOMPARE(settings.LanguageFlag, QString("English"));
    }

    void expandableAndEmptyTextsAreTakenAsStored() {
        {
            RawKey raw;
            raw.Text("ScanBaudRate", "%BAUD%,e,8,1", REG_EXPAND_SZ);
            raw.Text("LanguageFlag", "");
        }
        const KeptSettings settings = Loaded();
        QCOMPARE(settings.ScanBaudRate, QString("%BAUD%,e,8,1"));
        QCOMPARE(settings.LanguageFlag, QString(""));
    }

    void aTextOfAbsurdLengthIsOfTheWrongType() {
        {
            RawKey raw;
            raw.Integer("ScanCommNo", 4);
            raw.Text("ScanBaudRate", QByteArray(64 * 1024, '9'));
            raw.Text("LanguageFlag", "ChineseGB");
        }
        const KeptSettings settings = Loaded();
        QCOMPARE(settings.ScanCommNo, 4);
        QCOMPARE(settings.ScanBaudRate, KeptSettings().ScanBaudRate);
        QCOMPARE(settings.LanguageFlag, KeptSettings().LanguageFlag);
    }

    void lowerCaseLanguageStaysAsStored() {
        RawKey().Text("LanguageFlag", "chinesegb");
        QCOMPARE(Loaded().LanguageFlag, QString("chinesegb"));
    }

    void lineIndexOutsideTheTableCountsAsMissing_data() {
        QTest::addColumn<quint32>("stored");
        QTest::addColumn<QByteArray>("text");  // ScanBaudRate beside it; empty: none stored
        QTest::addColumn<int>("loaded");
        QTest::newRow("0 is the first line setting") << 0u << QByteArray() << 0;
        QTest::newRow("11 is the last line setting") << 11u << QByteArray() << 11;
        QTest::newRow("12 is past the table") << 12u << QByteArray() << 5;
        QTest::newRow("FFFFFFFF is below the table") << 0xFFFFFFFFu << QByteArray() << 5;
        QTest::newRow("12 beside a text of the table takes the text's index")
            << 12u << QByteArray("9600,n,8,1") << 2;
        QTest::newRow("12 beside a text outside the table counts as missing")
            << 12u << QByteArray("9600,N,8,1") << 5;
        QTest::newRow("an index in the table wins over the text beside it")
            << 7u << QByteArray("9600,n,8,1") << 7;
    }
    void lineIndexOutsideTheTableCountsAsMissing() {
        QFETCH(quint32, stored);
        QFETCH(QByteArray, text);
        QFETCH(int, loaded);
        {
            RawKey raw;
            raw.Integer("ScanBaudRateNo", stored);
            if (!text.isEmpty()) raw.Text("ScanBaudRate", text);
            raw.Text("LanguageFlag", "ChineseBIG5");
        }
        const KeptSettings settings = Loaded();
        QCOMPARE(settings.ScanBaudRateNo, loaded);
        // The values after it are still read.
        QCOMPARE(settings.LanguageFlag, QString("ChineseBIG5"));
    }

    void readOnlyKeyStillLoadsAndSavesNothing() {
        SettingsStore store{QString()};
        store.SaveScan(9, 1, "4800,e,8,1");
        store.SaveLanguage("ChineseBIG5");
        QVERIFY(MakeKeyReadOnly(true));
        HKEY key = nullptr;
        const LONG fullAccess = RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPath, 0, KEY_ALL_ACCESS, &key);
        if (fullAccess == ERROR_SUCCESS) {
            RegCloseKey(key);
            QSKIP("This system grants full access whatever the key's security says");
        }
        QCOMPARE(fullAccess, LONG(ERROR_ACCESS_DENIED));

        const KeptSettings settings = Loaded();
        QCOMPARE(settings.ScanCommNo, 9);
        QCOMPARE(settings.ScanBaudRate, QString("4800,e,8,1"));
        QCOMPARE(settings.ScanBaudRateNo, 1);
        QCOMPARE(settings.LanguageFlag, QString("ChineseBIG5"));

        store.SaveScan(3, 5, "19200,e,8,1");
        store.SaveLanguage("English");
        const KeptSettings after = Loaded();
        QCOMPARE(after.ScanCommNo, 9);
        QCOMPARE(after.LanguageFlag, QString("ChineseBIG5"));
    }
};

QTEST_GUILESS_MAIN(RegistryStoreTest)
#include "tst_registry_store.moc"
