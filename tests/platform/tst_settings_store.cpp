#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "FifoRelease.h"
#include "SettingsStore.h"

namespace {

// Values no store would ever hold, to tell "left untouched" from "set to the default".
KeptSettings Untouched() {
    KeptSettings settings;
    settings.ScanCommNo = 77;
    settings.ScanBaudRate = "untouched";
    settings.ScanBaudRateNo = 88;
    settings.LanguageFlag = "untouched";
    return settings;
}

void WriteText(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(text), text.size());
}

QByteArray ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

KeptSettings Loaded(const QString& folder) {
    KeptSettings settings = Untouched();
    SettingsStore(folder).Load(settings);
    return settings;
}

bool RunningAsRoot() {
    return geteuid() == 0;
}

// Makes a file or folder read-only for this process and undoes it on destruction: by its mode
// for an ordinary user, by the immutable attribute for root, whom modes do not stop.
class ReadOnlyPath {
  public:
    explicit ReadOnlyPath(const QString& path) : path_(path) {
        mode_ = QFile::permissions(path_);
        active_ = RunningAsRoot() ? SetImmutable(true)
                                  : QFile::setPermissions(
                                        path_, mode_ & ~(QFile::WriteOwner | QFile::WriteUser));
    }
    ~ReadOnlyPath() {
        if (!active_) return;
        if (RunningAsRoot())
            SetImmutable(false);
        else
            QFile::setPermissions(path_, mode_);
    }
    bool active() const { return active_; }

  private:
    bool SetImmutable(bool on) {
        const int fd = ::open(QFile::encodeName(path_).constData(), O_RDONLY);
        if (fd < 0) return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }

    QString path_;
    QFile::Permissions mode_;
    bool active_ = false;
};

}  // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT
  private slots:
    // The store never reports anything, not even through Qt's own warnings.
    void init() { QTest::failOnWarning(QRegularExpression(".*")); }

    void load_data();
    void load();
    void missingFolderLeavesEveryValueUntouched();
    void unreadableStoreLeavesEveryValueUntouched_data();
    void unreadableStoreLeavesEveryValueUntouched();
    void readOnlyFolderStillLoads();
    void savedFileHoldsTypesInWriteOrder();
    void textsAndIntegersComeBackAsSaved_data();
    void textsAndIntegersComeBackAsSaved();
    void saveReplacesSingleValuesAndKeepsOtherLines();
    void twoStoresKeepEachOthersValues();
    void saveCreatesMissingFolder();
    void saveWhereNoFolderCanBeMadeIsSilent();
    void saveWaitsForAnotherCopysLock();
    void hostileFolder_data();
    void hostileFolder();
    void saveThatWouldPassTheBoundKeepsTheFourValues();
};

void SettingsStoreTest::load_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("commNo");
    QTest::addColumn<QString>("baudRate");
    QTest::addColumn<int>("baudRateNo");
    QTest::addColumn<QString>("language");

    const QByteArray all =
        "\"ScanCommNo\"=dword:00000003\n\"ScanBaudRate\"=\"9600,n,8,1\"\n"
        "\"ScanBaudRateNo\"=dword:00000002\n\"LanguageFlag\"=\"ChineseGB\"\n";
    QTest::newRow("all four values are read") << all << 3 << "9600,n,8,1" << 2 << "ChineseGB";
    QTest::newRow("an empty file gives every default")
        << QByteArray() << 0 << "19200,e,8,1" << 5 << "English";
    QTest::newRow("only LanguageFlag: the scan values take their defaults")
        << QByteArray("\"LanguageFlag\"=\"ChineseBIG5\"\n") << 0 << "19200,e,8,1" << 5
        << "ChineseBIG5";
    QTest::newRow("ScanBaudRate as an integer stops the loading after ScanCommNo")
        << QByteArray(
               "\"ScanCommNo\"=dword:00000004\n\"ScanBaudRate\"=dword:00004b00\n"
               "\"ScanBaudRateNo\"=dword:00000002\n\"LanguageFlag\"=\"ChineseGB\"\n")
        << 4 << "untouched" << 88 << "untouched";
    QTest::newRow("ScanCommNo as a text stops the loading at once")
        << QByteArray("\"ScanCommNo\"=\"3\"\n\"LanguageFlag\"=\"ChineseGB\"\n") << 77 << "untouched"
        << 88 << "untouched";
    QTest::newRow("LanguageFlag as an integer keeps the scan values read")
        << QByteArray("\"ScanCommNo\"=dword:00000002\n\"LanguageFlag\"=dword:00000001\n") << 2
        << "19200,e,8,1" << 5 << "untouched";
    QTest::newRow("a malformed integer is a value of the wrong type")
        << QByteArray("\"ScanCommNo\"=dword:0000000g\n") << 77 << "untouched" << 88 << "untouched";
    QTest::newRow("chinesegb in small letters is kept as the flag")
        << QByteArray("\"LanguageFlag\"=\"chinesegb\"\n") << 0 << "19200,e,8,1" << 5 << "chinesegb";
    QTest::newRow("index 12 counts as missing") << QByteArray("\"ScanBaudRateNo\"=dword:0000000c\n")
                                                << 0 << "19200,e,8,1" << 5 << "English";
    QTest::newRow("a negative index counts as missing")
        << QByteArray("\"ScanBaudRateNo\"=dword:ffffffff\n") << 0 << "19200,e,8,1" << 5
        << "English";
    QTest::newRow("index 11 is the last one read")
        << QByteArray("\"ScanBaudRateNo\"=dword:0000000b\n") << 0 << "19200,e,8,1" << 11
        << "English";
    QTest::newRow("index 12 beside a text of the table takes the text's index")
        << QByteArray("\"ScanBaudRate\"=\"9600,n,8,1\"\n\"ScanBaudRateNo\"=dword:0000000c\n") << 0
        << "9600,n,8,1" << 2 << "English";
    QTest::newRow("a negative index beside the table's last text takes its index")
        << QByteArray("\"ScanBaudRate\"=\"115200,e,8,1\"\n\"ScanBaudRateNo\"=dword:ffffffff\n") << 0
        << "115200,e,8,1" << 11 << "English";
    QTest::newRow("index 12 beside a text outside the table counts as missing")
        << QByteArray("\"ScanBaudRate\"=\"9600,N,8,1\"\n\"ScanBaudRateNo\"=dword:0000000c\n") << 0
        << "9600,N,8,1" << 5 << "English";
    QTest::newRow("an index in the table wins over the text beside it")
        << QByteArray("\"ScanBaudRate\"=\"9600,n,8,1\"\n\"ScanBaudRateNo\"=dword:00000007\n") << 0
        << "9600,n,8,1" << 7 << "English";
    QTest::newRow("index 0 is read") << QByteArray("\"ScanBaudRateNo\"=dword:00000000\n") << 0
                                     << "19200,e,8,1" << 0 << "English";
    QTest::newRow("comments, sections and foreign values are passed over")
        << QByteArray(
               "; kept by hand\n[ReaderConfig]\n\"Other\"=dword:00000009\n"
               "garbage line\n\"ScanCommNo\"=dword:00000010\n")
        << 16 << "19200,e,8,1" << 5 << "English";
    QTest::newRow("names compare without regard to case, as in the registry")
        << QByteArray("\"scancommno\"=dword:00000005\n\"LANGUAGEFLAG\"=\"ChineseGB\"\n") << 5
        << "19200,e,8,1" << 5 << "ChineseGB";
    QTest::newRow("escaped quote and backslash are read")
        << QByteArray("\"LanguageFlag\"=\"a\\\"b\\\\c\"\n") << 0 << "19200,e,8,1" << 5 << "a\"b\\c";
    QTest::newRow("an empty text is read as empty")
        << QByteArray("\"ScanBaudRate\"=\"\"\n") << 0 << "" << 5 << "English";
    QTest::newRow("an expandable text is taken as stored")
        << QByteArray("\"LanguageFlag\"=hex(2):25,00,58,00,25,00,00,00\n") << 0 << "19200,e,8,1"
        << 5 << "%X%";
    QTest::newRow("line ends of a Windows editor")
        << QByteArray("\"ScanCommNo\"=dword:00000001\r\n\"LanguageFlag\"=\"ChineseGB\"\r\n") << 1
        << "19200,e,8,1" << 5 << "ChineseGB";
    QTest::newRow("an unterminated text is a value of the wrong type")
        << QByteArray("\"ScanCommNo\"=dword:00000001\n\"ScanBaudRate\"=\"9600,n,8,1\n") << 1
        << "untouched" << 88 << "untouched";
}

void SettingsStoreTest::load() {
    QFETCH(QByteArray, file);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    WriteText(folder.filePath("settings.reg"), file);

    const KeptSettings settings = Loaded(folder.path());
    QTEST(settings.ScanCommNo, "commNo");
    QTEST(settings.ScanBaudRate, "baudRate");
    QTEST(settings.ScanBaudRateNo, "baudRateNo");
    QTEST(settings.LanguageFlag, "language");
}

void SettingsStoreTest::missingFolderLeavesEveryValueUntouched() {
    QTemporaryDir parent;
    const KeptSettings settings = Loaded(parent.filePath("no/such/folder"));
    QCOMPARE(settings.ScanCommNo, 77);
    QCOMPARE(settings.ScanBaudRate, QString("untouched"));
    QCOMPARE(settings.ScanBaudRateNo, 88);
    QCOMPARE(settings.LanguageFlag, QString("untouched"));
    QVERIFY(!QFileInfo::exists(parent.filePath("no")));
}

void SettingsStoreTest::unreadableStoreLeavesEveryValueUntouched_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("the folder is a regular file") << "folder-is-file";
    QTest::newRow("the settings file is a folder") << "file-is-folder";
    QTest::newRow("the folder may not be read") << "folder-mode";
    QTest::newRow("the settings file may not be read") << "file-mode";
}

void SettingsStoreTest::unreadableStoreLeavesEveryValueUntouched() {
    QFETCH(QString, how);
    QTemporaryDir parent;
    QString folder = parent.filePath("machine");
    QVERIFY(QDir().mkpath(folder));
    const QString file = QDir(folder).filePath("settings.reg");
    const QByteArray values = "\"ScanCommNo\"=dword:00000003\n\"LanguageFlag\"=\"ChineseGB\"\n";

    if (how == "folder-is-file") {
        folder = parent.filePath("plain-file");
        WriteText(folder, values);
    } else if (how == "file-is-folder") {
        QVERIFY(QDir().mkpath(file));
    } else {
        if (RunningAsRoot()) QSKIP("file modes do not stop root");
        WriteText(file, values);
        QVERIFY(QFile::setPermissions(how == "folder-mode" ? folder : file, {}));
    }

    const KeptSettings settings = Loaded(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(settings.ScanCommNo, 77);
    QCOMPARE(settings.ScanBaudRate, QString("untouched"));
    QCOMPARE(settings.ScanBaudRateNo, 88);
    QCOMPARE(settings.LanguageFlag, QString("untouched"));
}

void SettingsStoreTest::readOnlyFolderStillLoads() {
    QTemporaryDir folder;
    const QString file = folder.filePath("settings.reg");
    const QByteArray values =
        "\"ScanCommNo\"=dword:00000002\n\"ScanBaudRateNo\"=dword:00000007\n"
        "\"ScanBaudRate\"=\"38400,e,8,1\"\n\"LanguageFlag\"=\"ChineseBIG5\"\n";
    WriteText(file, values);

    // As an ordinary user sees a folder that only root may change.
    const ReadOnlyPath readOnlyFolder(folder.path());
    const ReadOnlyPath readOnlyFile(file);
    if (!readOnlyFolder.active() || !readOnlyFile.active())
        QSKIP("this file system cannot make the folder read-only");
    QVERIFY(!QFile(folder.filePath("probe")).open(QIODevice::WriteOnly));
    QVERIFY(!QFile(file).open(QIODevice::ReadWrite));

    const KeptSettings settings = Loaded(folder.path());
    QCOMPARE(settings.ScanCommNo, 2);
    QCOMPARE(settings.ScanBaudRate, QString("38400,e,8,1"));
    QCOMPARE(settings.ScanBaudRateNo, 7);
    QCOMPARE(settings.LanguageFlag, QString("ChineseBIG5"));

    // Saving there writes nothing, silently, and leaves the file whole.
    SettingsStore(folder.path()).SaveLanguage("English");
    SettingsStore(folder.path()).SaveScan(9, 1, "4800,e,8,1");
    QCOMPARE(ReadText(file), values);
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"settings.reg"});
}

void SettingsStoreTest::savedFileHoldsTypesInWriteOrder() {
    QTemporaryDir folder;
    SettingsStore store(folder.path());
    store.SaveScan(3, 5, "19200,e,8,1");
    store.SaveLanguage("ChineseGB");

    QCOMPARE(store.filePath(), folder.filePath("settings.reg"));
    const QStringList lines = QString::fromUtf8(ReadText(store.filePath())).split('\n');
    const QStringList values = lines.filter(QRegularExpression("^\"")).mid(0);
    QCOMPARE(values,
             (QStringList{"\"ScanCommNo\"=dword:00000003", "\"ScanBaudRateNo\"=dword:00000005",
                          "\"ScanBaudRate\"=\"19200,e,8,1\"", "\"LanguageFlag\"=\"ChineseGB\""}));
    QVERIFY(lines.last().isEmpty());  // the last line is ended
    // Whoever may use the serial ports may keep the settings.
    QVERIFY(QFile::permissions(store.filePath()) & QFile::WriteGroup);
    // The lock is gone again.
    QVERIFY(!QFileInfo::exists(store.filePath() + ".lock"));
}

void SettingsStoreTest::textsAndIntegersComeBackAsSaved_data() {
    QTest::addColumn<int>("commNo");
    QTest::addColumn<QString>("baudRate");
    QTest::newRow("plain line setting") << 16 << "115200,e,8,1";
    QTest::newRow("quote, backslash and line break") << 1 << "a\"b\\c\nd\re";
    QTest::newRow("empty text") << 0 << "";
    QTest::newRow("non-ASCII text") << 2 << QString::fromUtf8("简体中文");
    QTest::newRow("negative integer") << -1 << "x";
    QTest::newRow("largest integer") << 2147483647 << "x";
}

void SettingsStoreTest::textsAndIntegersComeBackAsSaved() {
    QFETCH(int, commNo);
    QFETCH(QString, baudRate);
    QTemporaryDir folder;
    SettingsStore(folder.path()).SaveScan(commNo, 4, baudRate);
    SettingsStore(folder.path()).SaveLanguage(baudRate);

    const KeptSettings settings = Loaded(folder.path());
    QCOMPARE(settings.ScanCommNo, commNo);
    QCOMPARE(settings.ScanBaudRate, baudRate);
    QCOMPARE(settings.ScanBaudRateNo, 4);
    QCOMPARE(settings.LanguageFlag, baudRate);
}

void SettingsStoreTest::saveReplacesSingleValuesAndKeepsOtherLines() {
    QTemporaryDir folder;
    const QString file = folder.filePath("settings.reg");
    WriteText(file,
              "; kept by hand\n\"Other\"=hex:01,02\n\"ScanBaudRate\"=dword:00000001\n"
              "\"LanguageFlag\"=\"ChineseGB\"\nnot a value\n\"scanbaudrate\"=\"old\"\n");

    SettingsStore(folder.path()).SaveScan(6, 3, "9600,e,8,1");

    // The value of the wrong type is replaced in place, its second line dropped, the missing
    // ones appended in the order written; every other line stays.
    QCOMPARE(ReadText(file), QByteArray("; kept by hand\n\"Other\"=hex:01,02\n"
                                        "\"ScanBaudRate\"=\"9600,e,8,1\"\n"
                                        "\"LanguageFlag\"=\"ChineseGB\"\nnot a value\n"
                                        "\"ScanCommNo\"=dword:00000006\n"
                                        "\"ScanBaudRateNo\"=dword:00000003\n"));
    const KeptSettings settings = Loaded(folder.path());
    QCOMPARE(settings.ScanCommNo, 6);
    QCOMPARE(settings.ScanBaudRate, QString("9600,e,8,1"));
    QCOMPARE(settings.ScanBaudRateNo, 3);
    QCOMPARE(settings.LanguageFlag, QString("ChineseGB"));
}

void SettingsStoreTest::twoStoresKeepEachOthersValues() {
    QTemporaryDir folder;
    SettingsStore first(folder.path());
    SettingsStore second(folder.path());
    first.SaveScan(3, 7, "38400,e,8,1");
    second.SaveLanguage("ChineseBIG5");
    first.SaveScan(4, 9, "57600,e,8,1");
    second.SaveLanguage("ChineseGB");

    const KeptSettings settings = Loaded(folder.path());
    QCOMPARE(settings.ScanCommNo, 4);
    QCOMPARE(settings.ScanBaudRate, QString("57600,e,8,1"));
    QCOMPARE(settings.ScanBaudRateNo, 9);
    QCOMPARE(settings.LanguageFlag, QString("ChineseGB"));
}

void SettingsStoreTest::saveCreatesMissingFolder() {
    QTemporaryDir parent;
    const QString folder = parent.filePath("var/lib/machine");
    SettingsStore(folder).SaveLanguage("ChineseGB");

    QVERIFY(QFileInfo::exists(QDir(folder).filePath("settings.reg")));
    const KeptSettings settings = Loaded(folder);
    QCOMPARE(settings.ScanCommNo, 0);
    QCOMPARE(settings.ScanBaudRate, QString("19200,e,8,1"));
    QCOMPARE(settings.ScanBaudRateNo, 5);
    QCOMPARE(settings.LanguageFlag, QString("ChineseGB"));
}

void SettingsStoreTest::saveWhereNoFolderCanBeMadeIsSilent() {
    QTemporaryDir parent;
    const QString blocker = parent.filePath("blocker");
    WriteText(blocker, "a file where the folder would go");
    SettingsStore(blocker + "/machine").SaveScan(1, 2, "9600,n,8,1");
    QCOMPARE(ReadText(blocker), QByteArray("a file where the folder would go"));
}

void SettingsStoreTest::saveWaitsForAnotherCopysLock() {
    QTemporaryDir folder;
    SettingsStore store(folder.path());
    store.SaveLanguage("ChineseGB");
    const QByteArray before = ReadText(store.filePath());

    {
        QLockFile otherCopy(store.filePath() + ".lock");
        QVERIFY(otherCopy.tryLock(0));
        store.SaveLanguage("English");
        QCOMPARE(ReadText(store.filePath()), before);
    }
    store.SaveLanguage("English");
    QCOMPARE(Loaded(folder.path()).LanguageFlag, QString("English"));
}

// Whatever a member of the serial ports' group puts in the folder, a load and a save return
// at once, read and write nothing outside the folder, and leave a store that can be read.
void SettingsStoreTest::hostileFolder_data() {
    QTest::addColumn<QString>("plant");
    QTest::addColumn<bool>("valuesRead");   // the planted file's values are loaded
    QTest::addColumn<QByteArray>("saved");  // the file after the save, if its bytes are known

    QTest::newRow("a FIFO") << "fifo" << false << QByteArray();
    QTest::newRow("a link to /dev/zero") << "dev-zero" << false << QByteArray();
    QTest::newRow("a 200 MB file") << "200 MB" << false << QByteArray();
    QTest::newRow("one 50 MB line") << "50 MB line" << false << QByteArray();
    QTest::newRow("a link whose target is outside the folder")
        << "outside link" << false << QByteArray();
    QTest::newRow("a line of another program that is not UTF-8")
        << "not UTF-8" << true
        << QByteArray(
               "\"ScanCommNo\"=dword:00000003\r\n\"Other\"=\"caf\xe9\"\r\n"
               "\"LanguageFlag\"=\"ChineseBIG5\"\r\n\xff\xfe raw\r\n");
    QTest::newRow("a FIFO in the lock's place") << "lock fifo" << true << QByteArray();
    QTest::newRow("a link in the lock's place to a file outside the folder")
        << "lock link" << true << QByteArray();
}

void SettingsStoreTest::hostileFolder() {
    QFETCH(QString, plant);
    QFETCH(bool, valuesRead);
    QFETCH(QByteArray, saved);
    QTemporaryDir folder;
    QTemporaryDir elsewhere;
    const QString file = folder.filePath("settings.reg");
    const QByteArray file_c = QFile::encodeName(file);
    const QByteArray values = "\"ScanCommNo\"=dword:00000003\n\"LanguageFlag\"=\"ChineseGB\"\n";
    const QString outside = elsewhere.filePath("outside.reg");
    WriteText(outside, values);

    if (plant == "fifo") {
        QCOMPARE(::mkfifo(file_c.constData(), 0666), 0);
    } else if (plant == "dev-zero") {
        QVERIFY(QFile::link("/dev/zero", file));
    } else if (plant == "200 MB") {  // the values first, then holes, which cost no disk
        WriteText(file, values);
        QVERIFY(QFile(file).resize(200 << 20));
    } else if (plant == "50 MB line") {  // the values after it
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(50 << 20) && f.seek(50 << 20));
        QCOMPARE(f.write("\n" + values), values.size() + 1);
    } else if (plant == "outside link") {
        QVERIFY(QFile::link(outside, file));
    } else if (plant == "not UTF-8") {
        WriteText(file,
                  "\"ScanCommNo\"=dword:00000003\r\n\"Other\"=\"caf\xe9\"\r\n"
                  "\"LanguageFlag\"=\"ChineseGB\"\r\n\xff\xfe raw\r\n");
    } else if (plant == "lock fifo") {
        WriteText(file, values);
        QCOMPARE(::mkfifo(QFile::encodeName(file + ".lock").constData(), 0666), 0);
    } else if (plant == "lock link") {
        WriteText(file, values);
        QVERIFY(QFile::link(outside, file + ".lock"));
    }

    KeptSettings settings = Untouched();
    QVERIFY(ReturnsPromptly(folder.path(), [&] { SettingsStore(folder.path()).Load(settings); }));
    QCOMPARE(settings.ScanCommNo, valuesRead ? 3 : 77);
    QCOMPARE(settings.LanguageFlag, valuesRead ? "ChineseGB" : "untouched");

    QVERIFY(ReturnsPromptly(folder.path(),
                            [&] { SettingsStore(folder.path()).SaveLanguage("ChineseBIG5"); }));
    // A regular file of the store's own now has the name; the rest of what was read is kept,
    // and nothing else is kept of what was not.
    QVERIFY(QFileInfo(file).isFile() && !QFileInfo(file).isSymLink());
    const KeptSettings after = Loaded(folder.path());
    QCOMPARE(after.ScanCommNo, valuesRead ? 3 : 0);
    QCOMPARE(after.LanguageFlag, QString("ChineseBIG5"));
    if (!saved.isEmpty()) QCOMPARE(ReadText(file), saved);
    QVERIFY(QFileInfo(file).size() < 1024);

    QCOMPARE(ReadText(outside), values);
    QCOMPARE(QDir(folder.path())
                 .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"settings.reg"});
}

void SettingsStoreTest::saveThatWouldPassTheBoundKeepsTheFourValues() {
    QTemporaryDir folder;
    const QString file = folder.filePath("settings.reg");
    const QByteArray values = "\"ScanCommNo\"=dword:00000003\n\"LanguageFlag\"=\"ChineseGB\"\n";
    WriteText(file, values + "; " + QByteArray(64 * 1024 - values.size() - 3, 'x') + "\n");
    QCOMPARE(Loaded(folder.path()).ScanCommNo, 3);  // right at the bound: still read

    SettingsStore(folder.path()).SaveScan(4, 7, "38400,e,8,1");
    const KeptSettings settings = Loaded(folder.path());
    QCOMPARE(settings.ScanCommNo, 4);
    QCOMPARE(settings.ScanBaudRate, QString("38400,e,8,1"));
    QCOMPARE(settings.ScanBaudRateNo, 7);
    QCOMPARE(settings.LanguageFlag, QString("ChineseGB"));
    QVERIFY(!ReadText(file).contains("xxx"));
}

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settings_store.moc"
