// vq880 end to end: the program itself against the simulator program on a pseudo-terminal, in
// a private machine folder.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <csignal>

#include "CliHarness.h"
#include "SerialLineLinux.h"
#include "TextTable.h"

namespace {
const QStringList Reader{"--serial", "40002718", "--reader-number", "5"};
// The scan on the kept port, or on the first port at the kept line setting: the presence
// check and the version.
const QStringList ScanFrames{"A00B", "A00V"};
}  // namespace

class CliTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("VQ880_SIM")) QSKIP("the simulator program is not known");
    }

    void commandsSendTheWindowsFrames_data();
    void commandsSendTheWindowsFrames();
    void scanKeepsWhereItFoundTheReader();
    void readerThatDoesNotConfirmIsAnError_data();
    void readerThatDoesNotConfirmIsAnError();
    void noReaderIsExitTwo();
    void portHeldByAnotherProgramIsNamed();
    void portOptionSearchesOnlyThatPort();
    void languageOptionLeavesTheKeptOne();
    void tagsEndAfterTheCount();
    void tagsEndOnSigint();
    void tagsEndAfterTheSeconds();
    void provisionEndsOnSigintWithASummary();
    void jsonLinesParse_data();
    void jsonLinesParse();
    void provisionThreeReadersInTurn();
    void usageErrorsTouchNoPort_data();
    void usageErrorsTouchNoPort();
};

void CliTest::commandsSendTheWindowsFrames_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("output");
    QTest::addColumn<QStringList>("frames");
    const QStringList check = ScanFrames + QStringList{"A00B"};
    QTest::newRow("scan prints the panels")
        << QStringList{"scan"}
        << QStringList{"Get Reader Info Ok. (COM : #14)", "S/N : 40002718", "VER : 01.70-01",
                       "ID: 05", "BaudRate: 19200,e,8,1"}
        << ScanFrames;
    QTest::newRow("set-id sends two digits with the serial")
        << QStringList{"set-id", "7"} << QStringList{"Set Reader ID Ok"}
        << check + QStringList{"A00C4000271807"};
    QTest::newRow("set-same-card sends four digits")
        << QStringList{"set-same-card", "10"} << QStringList{"Set Same Card Ok"}
        << check + QStringList{"A00N0010"};
    QTest::newRow("set-input nc") << QStringList{"set-input", "nc"}
                                  << QStringList{"Set DI NO/NC Ok"} << check + QStringList{"A00M0"};
    QTest::newRow("set-mode takes the bits")
        << QStringList{"set-mode", "--rs485", "40", "--wiegand", "34"}
        << QStringList{"Set Reader Mode Ok"} << check + QStringList{"A00L21"};
    QTest::newRow("set-rssi sends hexadecimal")
        << QStringList{"set-rssi", "200"} << QStringList{"Set RSSI Level Ok"}
        << check + QStringList{"A00OC8"};
    QTest::newRow("factory-default")
        << QStringList{"factory-default"} << QStringList{"Set Default Ok"}
        << check + QStringList{"A00X5A"};
    QTest::newRow("reset has no presence check")
        << QStringList{"reset"} << QStringList{"Reader Reset Ok"}
        << ScanFrames + QStringList{"A00HR"};
    QTest::newRow("set-line-speed finds the reader again at the new setting")
        << QStringList{"set-line-speed", "38400,n,8,1"} << QStringList{"Set Reader BaudRate Ok"}
        << check + QStringList{"A00E6"} + ScanFrames;
}

void CliTest::commandsSendTheWindowsFrames() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, output);
    QFETCH(QStringList, frames);
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader));
    QVERIFY(sim.started());

    const CliResult result = h.Run(arguments);

    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, output);
    QCOMPARE(h.Frames(), frames);
}

void CliTest::scanKeepsWhereItFoundTheReader() {
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader + QStringList{"--line", "57600,n,8,1"}));
    QVERIFY(sim.started());

    QCOMPARE(h.Run({"--all-line-settings", "scan"}).exitCode, 0);
    QVERIFY(h.KeptSettings().contains("\"ScanCommNo\"=dword:0000000e"));
    QVERIFY(h.KeptSettings().contains("\"ScanBaudRate\"=\"57600,n,8,1\""));

    // The next run tries the kept place first and finds the reader there at once.
    const int before = h.Frames().size();
    const CliResult again = h.Run({"set-same-card", "5"});
    QCOMPARE(again.exitCode, 0);
    QCOMPARE(h.Frames().mid(before), (QStringList{"A00B", "A00V", "A00B", "A00N0005"}));

    // After a new line setting the kept place follows it, so a third run finds it locked.
    QCOMPARE(h.Run({"set-line-speed", "115200,n,8,1"}).exitCode, 0);
    QVERIFY(h.KeptSettings().contains("\"ScanBaudRate\"=\"115200,n,8,1\""));
    QCOMPARE(h.Run({"scan"}).out.value(4), QString("BaudRate: 115200,n,8,1"));
}

void CliTest::readerThatDoesNotConfirmIsAnError_data() {
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("frames");
    QTest::newRow("silent after the scan: three presence checks")
        << QStringList{"--fault", "silent", "--fault-after", "2"}
        << QStringList{"set-same-card", "10"} << "Set Same Card Error"
        << ScanFrames + QStringList{"A00B", "A00B", "A00B"};
    QTest::newRow("factory default tries twice")
        << QStringList{"--fault", "silent", "--fault-after", "2"} << QStringList{"factory-default"}
        << "Set Default Error" << ScanFrames + QStringList{"A00B", "A00B"};
    QTest::newRow("vanishes after the presence check")
        << QStringList{"--fault", "disconnect", "--fault-after", "3"}
        << QStringList{"set-rssi", "10"} << "Set RSSI Level Error"
        << ScanFrames + QStringList{"A00B", "A00O0A"};
    QTest::newRow("version not told")
        << QStringList{"--fault", "silent", "--fault-after", "1"} << QStringList{"scan"}
        << "Get Reader Info Error. (COM : #14)" << QStringList{"A00B", "A00V", "A00V", "A00V"};
}

void CliTest::readerThatDoesNotConfirmIsAnError() {
    QFETCH(QStringList, simulator);
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QFETCH(QStringList, frames);
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader + simulator));
    QVERIFY(sim.started());

    const CliResult result = h.Run(arguments);

    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.out.value(0), message);
    QCOMPARE(h.Frames(), frames);
    // The port is closed and left as it was: the device opens again.
    // (A simulator that played the pulled adapter has ended by itself.)
    if (!sim.process().waitForFinished(300)) {
        LinuxSerialLine other;
        QVERIFY(other.Open(sim.device()) != InvalidPortHandle);
        other.Close();
    }
}

void CliTest::noReaderIsExitTwo() {
    CliHarness h;
    h.LinkMissing(CliHarness::SimPort);

    const CliResult result = h.Run({"set-id", "3"});

    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.out, QStringList{"Reader Not Find"});
    QVERIFY(h.KeptSettings().isEmpty());
}

void CliTest::portHeldByAnotherProgramIsNamed() {
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader));
    QVERIFY(sim.started());
    // Held as the window holds it: through the same port name.
    LinuxSerialLine window;
    QVERIFY(window.Open(PortNames(h.folder.path()).DevicePath(CliHarness::SimPort)) !=
            InvalidPortHandle);

    const CliResult result = h.Run({"--port", "COM14", "scan"});
    window.Close();

    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.err.size(), 1);
    QVERIFY2(result.err[0].contains("COM14") && result.err[0].contains("in use"),
             qPrintable(result.err[0]));
    QVERIFY(h.Frames().isEmpty());
}

void CliTest::portOptionSearchesOnlyThatPort() {
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader));
    QVERIFY(sim.started());

    const CliResult elsewhere = h.Run({"--port", "COM13", "--all-line-settings", "scan"});
    QCOMPARE(elsewhere.exitCode, 2);
    QVERIFY(h.Frames().isEmpty());

    const CliResult here = h.Run({"--port", "COM14", "scan"});
    QCOMPARE(here.exitCode, 0);
    QCOMPARE(h.Frames(), ScanFrames);
    QVERIFY(h.KeptSettings().contains("\"ScanCommNo\"=dword:0000000e"));
}

void CliTest::languageOptionLeavesTheKeptOne() {
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader));
    QVERIFY(sim.started());

    const CliResult result = h.Run({"--language", "chinesebig5", "set-same-card", "3"});

    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QStringList{QString::fromUtf8(TextTable[RowSetSameCardOk][2])});
    QVERIFY(!h.KeptSettings().contains("LanguageFlag"));
}

void CliTest::tagsEndAfterTheCount() {
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader + QStringList{"--tags", "00000001,80000000"}));
    QVERIFY(sim.started());

    const CliResult result = h.Run({"tags", "--count", "3"});

    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out,
             (QStringList{"TAG ID : 0000000001  00000001(H)", "TAG ID : -2147483648  80000000(H)",
                          "TAG ID : 0000000001  00000001(H)"}));
    // The third tag ends the run inside its pass: no exchange follows it.
    QCOMPARE(h.Frames(), ScanFrames + (QStringList{"A00F", "A00F", "A00F"}));
}

void CliTest::tagsEndOnSigint() {
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader));
    QVERIFY(sim.started());
    QProcess* tags = h.Start({"tags"});
    QVERIFY(tags->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(tags->canReadLine(), 10000);

    ::kill(pid_t(tags->processId()), SIGINT);
    QVERIFY(tags->waitForFinished(3000));
    const CliResult result = CliHarness::Finish(tags);

    QCOMPARE(result.exitCode, 0);
    QVERIFY(!result.out.isEmpty());
    for (const QString& line : result.out)
        QCOMPARE(line, QString("TAG ID : 0000048225  0000BC61(H)"));
    // The port is free again.
    LinuxSerialLine other;
    QVERIFY(other.Open(sim.device()) != InvalidPortHandle);
    other.Close();
}

void CliTest::tagsEndAfterTheSeconds() {
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader));
    QVERIFY(sim.started());

    const CliResult result = h.Run({"tags", "--seconds", "1"});

    QCOMPARE(result.exitCode, 0);
    QVERIFY(!result.out.isEmpty());
    QCOMPARE(h.Frames().count("A00F"), result.out.size());
}

void CliTest::provisionEndsOnSigintWithASummary() {
    CliHarness h;
    QProcess* provision = h.Start({"--json", "provision", "--first-id", "9"});
    QVERIFY(provision->waitForStarted());
    SimulatorProcess sim(h.SimArguments({"--serial", "SERD0004"}));
    QVERIFY(sim.started());
    QTRY_VERIFY_WITH_TIMEOUT(provision->canReadLine(), 15000);

    // Stopped while it waits for the reader to be unplugged.
    ::kill(pid_t(provision->processId()), SIGINT);
    QVERIFY(provision->waitForFinished(5000));
    const CliResult result = CliHarness::Finish(provision);

    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out.size(), 2);
    const QJsonObject summary = QJsonDocument::fromJson(result.out[1].toUtf8()).object();
    QCOMPARE(summary.value("event").toString(), QString("summary"));
    QCOMPARE(summary.value("ok").toInt(), 1);
    const QJsonObject reader = summary.value("readers").toArray().first().toObject();
    QCOMPARE(reader.value("reader").toString(), QString("09"));
    QCOMPARE(reader.value("serial").toString(), QString("SERD0004"));
}

void CliTest::jsonLinesParse_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("scan") << QStringList{"--json", "scan"} << "serial"
                          << "40002718";
    QTest::newRow("setting") << QStringList{"--json", "set-rssi", "9"} << "result"
                             << "ok";
    QTest::newRow("tags") << QStringList{"--json", "tags", "--count", "2"} << "tag"
                          << "0000BC61";
}

void CliTest::jsonLinesParse() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, key);
    QFETCH(QString, value);
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader));
    QVERIFY(sim.started());

    const CliResult result = h.Run(arguments);

    QCOMPARE(result.exitCode, 0);
    QVERIFY(!result.out.isEmpty());
    QStringList values;
    for (const QString& line : result.out) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8(), &error);
        QVERIFY2(document.isObject(), qPrintable(line));
        values << document.object().value(key).toString();
    }
    QCOMPARE(values.first(), value);
}

void CliTest::provisionThreeReadersInTurn() {
    CliHarness h;
    QProcess* provision = h.Start({"--port", "COM14", "provision", "--first-id", "5", "--same-card",
                                   "20", "--input", "nc", "--count", "3"});
    QVERIFY(provision->waitForStarted());
    const QStringList serials{"SERA0001", "SERB0002", "SERC0003"};
    QStringList reports;
    for (int i = 0; i < serials.size(); ++i) {
        // Each reader comes with the factory number 1, and goes when it has been reported.
        SimulatorProcess sim(h.SimArguments({"--serial", serials[i]}, i));
        QVERIFY(sim.started());
        QTRY_VERIFY_WITH_TIMEOUT(provision->canReadLine(), 15000);
        reports << QString::fromUtf8(provision->readLine()).trimmed();
    }
    const CliResult result = CliHarness::Finish(provision);

    QCOMPARE(result.exitCode, 0);
    QCOMPARE(reports, (QStringList{"05 SERA0001 id=05 same-card=20 input=nc Ok",
                                   "06 SERB0002 id=06 same-card=20 input=nc Ok",
                                   "07 SERC0003 id=07 same-card=20 input=nc Ok"}));
    QCOMPARE(result.out, QStringList{"Summary: 3 readers"} + reports);
    for (int i = 0; i < serials.size(); ++i)
        QCOMPARE(h.Frames(i).filter(QRegularExpression("^A00[CNM]")),
                 (QStringList{"A00C" + serials[i] + QString::asprintf("%02d", 5 + i), "A00N0020",
                              "A00M0"}));
}

void CliTest::usageErrorsTouchNoPort_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("named");
    QTest::newRow("no command") << QStringList{} << "No command";
    QTest::newRow("unknown command") << QStringList{"scna"} << "scna";
    QTest::newRow("unknown option") << QStringList{"--quick", "scan"} << "quick";
    QTest::newRow("reader number 0") << QStringList{"set-id", "0"} << "reader number";
    QTest::newRow("reader number 100") << QStringList{"set-id", "100"} << "reader number";
    QTest::newRow("reader number not a number") << QStringList{"set-id", "7a"} << "7a";
    QTest::newRow("missing argument") << QStringList{"set-id"} << "needs an argument";
    QTest::newRow("extra argument") << QStringList{"scan", "now"} << "now";
    QTest::newRow("line setting not in the table")
        << QStringList{"set-line-speed", "38400,o,8,1"} << "38400,o,8,1";
    QTest::newRow("same card 10000") << QStringList{"set-same-card", "10000"} << "same-card";
    QTest::newRow("input neither no nor nc") << QStringList{"set-input", "open"} << "open";
    QTest::newRow("rs485 bits") << QStringList{"set-mode", "--rs485", "30", "--wiegand", "26"}
                                << "--rs485";
    QTest::newRow("rs485 without wiegand")
        << QStringList{"set-mode", "--rs485", "32"} << "--wiegand";
    QTest::newRow("rssi 251") << QStringList{"set-rssi", "251"} << "RSSI";
    QTest::newRow("port COM17") << QStringList{"--port", "COM17", "scan"} << "COM17";
    QTest::newRow("port not a COM name")
        << QStringList{"--port", "/dev/ttyS0", "scan"} << "/dev/ttyS0";
    QTest::newRow("count 0") << QStringList{"tags", "--count", "0"} << "--count";
    QTest::newRow("seconds -1") << QStringList{"tags", "--seconds", "-1"} << "--seconds";
    QTest::newRow("option of another command")
        << QStringList{"set-id", "5", "--count", "2"} << "--count";
    QTest::newRow("provision without first id") << QStringList{"provision"} << "--first-id";
    QTest::newRow("language") << QStringList{"--language", "french", "scan"} << "french";
}

void CliTest::usageErrorsTouchNoPort() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, named);
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader));
    QVERIFY(sim.started());

    const CliResult result = h.Run(arguments);

    QCOMPARE(result.exitCode, 64);
    QVERIFY(result.out.isEmpty());
    QCOMPARE(result.err.size(), 2);
    QVERIFY2(result.err[0].contains(named), qPrintable(result.err[0]));
    QVERIFY(result.err[1].startsWith("Usage: vq880"));
    QVERIFY(h.Frames().isEmpty());
    QVERIFY(h.KeptSettings().isEmpty());
}

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
