#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "DeviceGroup.h"
#include "HeldPty.h"
#include "PortDriver.h"
#include "PortHolder.h"
#include "PortPath.h"
#include "SerialLineLinux.h"

namespace {

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

// Whether a path is a serial port, told from the file system alone; the driver behind a device
// from the device tree; the group named as giving access; and the low latency asked of the
// driver, silent where it is refused.
class PortPathTest : public QObject {
    Q_OBJECT
  private slots:
    void nodesByTypeAndNumber_data() {
        QTest::addColumn<quint32>("mode");
        QTest::addColumn<quint32>("major");
        QTest::addColumn<quint32>("minor");
        QTest::addColumn<PortState>("state");
        QTest::addColumn<NotSerialKind>("kind");
        QTest::addColumn<bool>("pty");
        using K = NotSerialKind;
        const PortState serial = PortState::Free, no = PortState::NotSerialDevice;
        const quint32 chr = S_IFCHR | 0660;
        QTest::newRow("/dev/ttyS0") << chr << 4u << 64u << serial << K::Other << false;
        QTest::newRow("/dev/ttyUSB0") << chr << 188u << 0u << serial << K::Other << false;
        QTest::newRow("/dev/pts/3, allowed") << chr << 136u << 3u << serial << K::Other << true;
        QTest::newRow("a pseudo-terminal of the last major, allowed")
            << chr << 143u << 3u << serial << K::Other << true;
        QTest::newRow("/dev/tty0") << chr << 4u << 0u << no << K::SystemTerminal << false;
        QTest::newRow("/dev/tty63") << chr << 4u << 63u << no << K::SystemTerminal << false;
        QTest::newRow("/dev/tty") << chr << 5u << 0u << no << K::SystemTerminal << false;
        QTest::newRow("/dev/console") << chr << 5u << 1u << no << K::SystemTerminal << false;
        QTest::newRow("/dev/ptmx") << chr << 5u << 2u << no << K::SystemTerminal << false;
        QTest::newRow("/dev/null") << chr << 1u << 3u << no << K::NullDevice << false;
        QTest::newRow("/dev/zero") << chr << 1u << 5u << no << K::Other << false;
        QTest::newRow("a folder") << quint32(S_IFDIR | 0755) << 0u << 0u << no << K::Folder
                                  << false;
        QTest::newRow("a file") << quint32(S_IFREG | 0644) << 0u << 0u << no << K::RegularFile
                                << false;
        QTest::newRow("a pipe") << quint32(S_IFIFO | 0644) << 0u << 0u << no << K::Other << false;
    }
    void nodesByTypeAndNumber() {
        QFETCH(quint32, mode);
        QFETCH(quint32, major);
        QFETCH(quint32, minor);
        QFETCH(PortState, state);
        QFETCH(NotSerialKind, kind);
        QFETCH(bool, pty);
        const PortPath path = ExamineNode(mode, major, minor);
        QCOMPARE(path.state, state);
        QCOMPARE(path.notSerial, kind);
        QCOMPARE(path.pseudoTerminal, pty);
    }

    // Paths as links in ports/ leave them: nothing is opened to tell them apart.
    void pathsAndLinks() {
        QTemporaryDir folder;
        const auto at = [&](const char* name) { return folder.filePath(name); };
        Write(at("file"), "x");
        QVERIFY(QFile::link(at("file"), at("to-file")));
        QVERIFY(QFile::link(folder.path(), at("to-folder")));
        QVERIFY(QFile::link(at("loop-b"), at("loop-a")));
        QVERIFY(QFile::link(at("loop-a"), at("loop-b")));
        QVERIFY(QFile::link(at("nothing"), at("dangling")));
        QVERIFY(QFile::link("/dev/null", at("to-null")));
        HeldPty pty;
        QVERIFY(QFile::link(pty.path, at("to-pty")));

        QCOMPARE(ExaminePortPath(at("to-file")).notSerial, NotSerialKind::RegularFile);
        QCOMPARE(ExaminePortPath(at("to-folder")).notSerial, NotSerialKind::Folder);
        QCOMPARE(ExaminePortPath(at("loop-a")).state, PortState::NotSerialDevice);
        QCOMPARE(ExaminePortPath(at("loop-a")).notSerial, NotSerialKind::LinkLoop);
        QCOMPARE(ExaminePortPath(at("dangling")).state, PortState::MissingTarget);
        QCOMPARE(ExaminePortPath(at("nothing")).state, PortState::NoDevice);
        QCOMPARE(ExaminePortPath(at("file/below")).state, PortState::NoDevice);
        QCOMPARE(ExaminePortPath(at("to-null")).notSerial, NotSerialKind::NullDevice);
        QVERIFY(ExaminePortPath(at("to-pty")).serialPort());
        QVERIFY(ExaminePortPath(at("to-pty")).pseudoTerminal);
        if (QFile::exists("/dev/tty"))
            QCOMPARE(ExaminePortPath("/dev/tty").notSerial, NotSerialKind::SystemTerminal);
    }

    // Every program has /dev/null open: none of them holds a port through it.
    void nobodyHoldsAPortThroughDevNull() {
        QTemporaryDir folder;
        QVERIFY(QFile::link("/dev/null", folder.filePath("COM3")));
        QCOMPARE(FindPortHolder(folder.filePath("COM3")).pid, 0);
        QVERIFY(FindPortHolders({"/dev/null"}).empty());
    }

    // A pseudo-terminal keeps no serial information: the ask for low latency is refused there,
    // silently, and the port opens and closes as ever.
    void lowLatencyRefusedSilently() {
        HeldPty pty;
        LinuxSerialLine line;
        const OpenResult result = line.Open(pty.path);
        QVERIFY(result.opened());
        QVERIFY(!result.lowLatency);
        QCOMPARE(result.driver, QString("pty"));
        QCOMPARE(result.state, PortState::Free);
        QVERIFY(line.SetLine({19200, Parity::None, 8, StopBits::One}));
        line.Close();
        QVERIFY(line.Open(pty.path).opened());
        line.Close();
    }

    // The group named as giving access must give read and write, not read alone.
    void groupThatGivesReadAndWrite_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("named");
        QTest::newRow("read and write") << 0660 << true;
        QTest::newRow("read alone") << 0640 << false;
        QTest::newRow("write alone") << 0620 << false;
        QTest::newRow("neither") << 0600 << false;
    }
    void groupThatGivesReadAndWrite() {
        QFETCH(int, mode);
        QFETCH(bool, named);
        QTemporaryDir folder;
        const QString device = folder.filePath("ttyUSB0");
        Write(device, {});
        QVERIFY(::chmod(QFile::encodeName(device).constData(), mode_t(mode)) == 0);
        QCOMPARE(!DeviceGroup(device).isEmpty(), named);
    }

    // The driver from the device tree: the tty's device or the first above it with a driver of
    // its own (the serial core's port devices are passed), named by its module; the latency
    // timer where the driver has one. Trees as the kernel lays them out.
    void driverFromTheDeviceTree_data() {
        QTest::addColumn<QString>("tty");
        QTest::addColumn<QStringList>("tree");  // device path, bus, driver, module ("" none)
        QTest::addColumn<QString>("latency");   // the latency_timer file's text, "" none
        QTest::addColumn<QString>("driver");
        QTest::addColumn<int>("latencyMs");
        QTest::newRow("FTDI") << "ttyUSB0"
                              << QStringList{"usb1/1-1/1-1:1.0/ttyUSB0", "usb-serial", "ftdi_sio",
                                             "ftdi_sio"}
                              << "16\n"
                              << "ftdi_sio" << 16;
        QTest::newRow("CH340: the module, not the driver ch341-uart")
            << "ttyUSB1"
            << QStringList{"usb1/1-2/1-2:1.0/ttyUSB1", "usb-serial", "ch341-uart", "ch341"} << ""
            << "ch341" << 0;
        QTest::newRow("CDC ACM: the USB interface's driver")
            << "ttyACM0" << QStringList{"usb1/1-3/1-3:1.0", "usb", "cdc_acm", "cdc_acm"} << ""
            << "cdc_acm" << 0;
        QTest::newRow("8250 behind the serial core's port device")
            << "ttyS0" << QStringList{"pnp0/00:00", "pnp", "serial", ""} << ""
            << "serial" << 0;
    }
    void driverFromTheDeviceTree() {
        QFETCH(QString, tty);
        QFETCH(QStringList, tree);
        QFETCH(QString, latency);
        QFETCH(QString, driver);
        QFETCH(int, latencyMs);
        QTemporaryDir sys;
        QDir root(sys.path());
        const QString withDriver = root.filePath("devices/" + tree[0]);
        QString ttyDevice = withDriver;
        const QString driverDir = root.filePath("bus/" + tree[1] + "/drivers/" + tree[2]);
        QVERIFY(root.mkpath(driverDir));
        QVERIFY(root.mkpath(withDriver));
        QVERIFY(QFile::link(driverDir, withDriver + "/driver"));
        if (!tree[3].isEmpty()) {
            QVERIFY(root.mkpath("module/" + tree[3]));
            QVERIFY(QFile::link(root.filePath("module/" + tree[3]), driverDir + "/module"));
        }
        if (tree[1] == "pnp") {
            // The serial core's controller and port below the device that has the driver.
            const QString core = root.filePath("bus/serial-base/drivers/port");
            QVERIFY(root.mkpath(core));
            ttyDevice = withDriver + "/00:00:0/00:00:0.0";
            QVERIFY(root.mkpath(ttyDevice));
            QVERIFY(QFile::link(core, ttyDevice + "/driver"));
        }
        if (!latency.isEmpty()) Write(ttyDevice + "/latency_timer", latency.toLatin1());
        QVERIFY(root.mkpath("class/tty/" + tty));
        QVERIFY(QFile::link(ttyDevice, root.filePath("class/tty/" + tty + "/device")));
        QTemporaryDir dev;
        Write(dev.filePath(tty), {});

        const PortDriver found = ReadPortDriver(dev.filePath(tty), sys.path());
        QCOMPARE(found.name, driver);
        QCOMPARE(found.latencyTimerMs, latencyMs);
    }
};

QTEST_GUILESS_MAIN(PortPathTest)
#include "tst_port_path.moc"
