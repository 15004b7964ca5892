// vq880 ports and --port on what a new user may point them at: one answer to "is this a serial
// port", in the same words in ports, the search's lines and its note; and a device that a COM
// number reaches counting as that COM number. What ports tells of each kind of path is tested
// in-process (tst_port_inventory).
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include "CliHarness.h"

namespace {

QJsonObject Json(const QString& line) {
    return QJsonDocument::fromJson(line.toUtf8()).object();
}

}  // namespace

class PortsCommandTest : public QObject {
    Q_OBJECT
  private slots:
    // --port refuses what is no serial port with exit 64, before anything opens it; a
    // pseudo-terminal stays allowed.
    void portOptionRefusesWhatIsNoPort_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("said");
        QTest::newRow("/dev/null") << "/dev/null"
                                   << "not a serial device (the null device)";
        QTest::newRow("/dev/tty") << "/dev/tty"
                                  << "not a serial device (a console or terminal of the system)";
        QTest::newRow("/dev/ptmx") << "/dev/ptmx"
                                   << "not a serial device (a console or terminal of the system)";
        QTest::newRow("a folder") << "/tmp"
                                  << "not a serial device (a folder)";
        QTest::newRow("nothing there") << "/dev/ttyUSB99"
                                       << "there is no such device";
    }
    void portOptionRefusesWhatIsNoPort() {
        QFETCH(QString, path);
        QFETCH(QString, said);
        CliHarness h;

        const CliResult result = h.Run({"--port", path, "scan"});

        QCOMPARE(result.exitCode, 64);
        QVERIFY(result.out.isEmpty());
        QVERIFY2(result.err.value(0).contains("\"" + path + "\": " + said + "."),
                 qPrintable(result.err.value(0)));
    }

    // A COM number linked to /dev/null: the search's line, its note and ports say the same.
    void oneReasonInTheSameWords() {
        CliHarness h;
        const PortNames names(h.folder.path());
        QFile::remove(names.LinkPath(3));
        QVERIFY(QFile::link("/dev/null", names.LinkPath(3)));
        const QString words =
            "COM3 (" + names.LinkPath(3) + "): not a serial device (the null device)";

        const CliResult scan = h.Run({"--port", "COM3", "scan"});
        const CliResult ports = h.Run({"ports"});
        const CliResult json = h.Run({"--json", "ports"});

        QCOMPARE(scan.exitCode, 2);
        QCOMPARE(scan.out.value(1), "  " + words);
        QCOMPARE(scan.err, QStringList{"vq880: " + words});
        QVERIFY2(ports.out.value(2).endsWith("  not a serial device (the null device)"),
                 qPrintable(ports.out.value(2)));
        // Nobody holds it, though every program has /dev/null open.
        const QJsonObject three = Json(json.out.value(2));
        QCOMPARE(three.value("state").toString(), QString("not-serial-device"));
        QVERIFY(!three.value("present").toBool() && !three.contains("holder"));
    }

    // A device that a COM number reaches, by its stable name or by the link's target, is that
    // COM number and is kept as such; one that none reaches is used for the run alone.
    void aPathThatAComNumberReachesIsThatComNumber_data() {
        QTest::addColumn<QString>("given");  // "by-id", "target" or "unreached"
        QTest::addColumn<bool>("kept");
        QTest::newRow("a /dev/serial/by-id/ name") << "by-id" << true;
        QTest::newRow("the target of the link in ports/") << "target" << true;
        QTest::newRow("a device that no COM number reaches") << "unreached" << false;
    }
    void aPathThatAComNumberReachesIsThatComNumber() {
        QFETCH(QString, given);
        QFETCH(bool, kept);
        CliHarness h;
        SimulatorProcess sim(h.SimArguments());
        QVERIFY(sim.started());
        QString path = sim.device();
        if (given == "by-id") {
            QVERIFY(QDir(h.folder.path()).mkpath("by-id"));
            path = h.folder.filePath("by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
            QVERIFY(QFile::link(sim.device(), path));
        }
        if (given == "unreached") h.LinkMissing(CliHarness::SimPort);

        const CliResult result = h.Run({"--port", path, "scan"});

        QCOMPARE(result.exitCode, 0);
        if (kept) QCOMPARE(result.out.value(0), QString("Get Reader Info Ok. (COM : #14)"));
        QCOMPARE(h.KeptSettings().contains("\"ScanCommNo\"=dword:0000000e"), kept);
    }
};

QTEST_GUILESS_MAIN(PortsCommandTest)
#include "tst_ports_command.moc"
