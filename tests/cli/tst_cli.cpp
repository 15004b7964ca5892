// vq880 end to end: the program itself against the simulator program on a pseudo-terminal, in
// a private machine folder.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>
#include <csignal>
#include <memory>

#include "CliHarness.h"
#include "CommandLine.h"
#include "CommandTable.h"
#include "ManualPage.h"
#include "ReaderProtocol.h"
#include "RecordEntry.h"
#include "SerialLineLinux.h"
#include "TextTable.h"

namespace {
const QStringList Reader{"--serial", "40002718", "--reader-number", "5"};
// The scan on the kept port, or on the first port at the kept line setting: the presence
// check and the version.
const QStringList ScanFrames{"A00B", "A00V"};

// A kept line setting that is not the factory one; the JSON rows' reader listens at it and
// tells a version of its own, so that every value it reports is its own.
const QByteArray KeptAt57600 =
    "\"ScanBaudRate\"=\"57600,n,8,1\"\n\"ScanBaudRateNo\"=dword:00000008\n";
const QStringList ReaderAt57600 = Reader + QStringList{"--version", "02.05-11"};
const QJsonObject Found{{"port", "COM14"},
                        {"line", "57600,n,8,1"},
                        {"serial", "40002718"},
                        {"reader", "05"},
                        {"version", "02.05-11"}};

const ManualPage& Manual() {
    static const ManualPage page(QStringLiteral(VQ880_MANUAL_PATH));
    return page;
}

QJsonObject With(QJsonObject object, const QJsonObject& more) {
    for (auto it = more.begin(); it != more.end(); ++it) object.insert(it.key(), it.value());
    return object;
}

QString TypeName(const QJsonValue& value) {
    switch (value.type()) {
        case QJsonValue::String:
            return "string";
        case QJsonValue::Double:
            return "number";
        case QJsonValue::Object:
            return "object";
        case QJsonValue::Array:
            return "array";
        case QJsonValue::Bool:
            return "boolean";
        default:
            return "null";
    }
}

// What the manual's list of an object's keys finds wrong with it; empty when nothing. An
// object inside is checked against the manual's object of its key's name.
QString KeysDiffer(const QJsonObject& object, const ManualObject& listed) {
    for (const ManualKey& key : listed.keys) {
        if (!object.contains(key.name)) {
            if (key.always) return QStringLiteral("%1: no key %2").arg(listed.name, key.name);
            continue;
        }
        const QJsonValue value = object.value(key.name);
        if (TypeName(value) != key.type)
            return QStringLiteral("%1: %2 is a %3").arg(listed.name, key.name, TypeName(value));
        if (key.type == QLatin1String("object")) {
            const ManualObject* inner = Manual().Object(key.name);
            if (!inner) return QStringLiteral("the manual has no object %1").arg(key.name);
            const QString wrong = KeysDiffer(value.toObject(), *inner);
            if (!wrong.isEmpty()) return wrong;
        }
    }
    for (const QString& name : object.keys())
        if (!listed.Key(name))
            return QStringLiteral("%1: key %2 is not in the manual").arg(listed.name, name);
    return {};
}

QString Compact(const QJsonObject& object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

}  // namespace

namespace {
// A record of Door 1, whose first reader SERA0001 was replaced by SERB0002; a new file each time,
// living as long as the test program.
QString SiteRecord() {
    return CliHarness::LastingFile(
        "site.csv",
        CsvHeader() +
            "2026-12-01T10:00:00.000+01:00,provision,COM14,SERA0001,01.70-01,01,05,05,20,,,,,"
            "Door 1,ok,\n"
            "2026-12-02T10:00:00.000+01:00,provision,COM14,SERB0002,01.70-01,01,05,05,20,,,,,"
            "Door 1,ok,\n");
}

// A plan file that lives as long as the test program.
QString PlanFile(const QByteArray& text) {
    return CliHarness::LastingFile("plan.csv", text);
}
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
    void noReaderSaysWhy_data();
    void noReaderSaysWhy();
    void noPermissionNamesTheGroup();
    void portGivenByPathIsNotKept();
    void traceHoldsEveryExchange();
    void portHeldByAnotherProgramIsNamed();
    void portOptionSearchesOnlyThatPort();
    void languageOptionLeavesTheKeptOne();
    void tagsEndAfterTheCount();
    void tagsEndOnSigint();
    void tagsEndAfterTheSeconds();
    void provisionEndsOnSigintWithASummary();
    void jsonLinesAndExitStatusAreTheManuals_data();
    void jsonLinesAndExitStatusAreTheManuals();
    void recordHoldsWholeEntriesAndIsOnlyAppended();
    void provisionReadersInTurn_data();
    void provisionReadersInTurn();
    void replacementIsConfiguredLikeTheRecord();
    void recordKeepsTheNumberBeforeANewLineSetting();
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

    // The factory default takes the reader back to the factory line setting, and the kept
    // place with it.
    QCOMPARE(h.Run({"factory-default"}).exitCode, 0);
    QCOMPARE(h.Run({"scan"}).out.value(4), QString("BaudRate: 19200,e,8,1"));
}

void CliTest::readerThatDoesNotConfirmIsAnError_data() {
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<int>("status");
    QTest::newRow("silent after the scan: three presence checks")
        << QStringList{"--fault", "silent", "--fault-after", "2"}
        << QStringList{"set-same-card", "10"} << "Set Same Card Error"
        << ScanFrames + QStringList{"A00B", "A00B", "A00B"} << 1;
    QTest::newRow("factory default tries twice")
        << QStringList{"--fault", "silent", "--fault-after", "2"} << QStringList{"factory-default"}
        << "Set Default Error" << ScanFrames + QStringList{"A00B", "A00B"} << 1;
    // The device hangs up: the port's failure, not a reader that did not confirm, whatever the
    // moment.
    QTest::newRow("vanishes after the presence check: the port went away")
        << QStringList{"--fault", "disconnect", "--fault-after", "3"}
        << QStringList{"set-rssi", "10"} << "Set RSSI Level Error"
        << ScanFrames + QStringList{"A00B", "A00O0A"} << 74;
    QTest::newRow("vanishes at the setting's presence check: the port went away")
        << QStringList{"--fault", "disconnect", "--fault-after", "2"}
        << QStringList{"set-rssi", "10"} << "Set RSSI Level Error"
        << ScanFrames + QStringList{"A00B"} << 74;
    QTest::newRow("vanishes when the search asks for the version: the port went away")
        << QStringList{"--fault", "disconnect", "--fault-after", "1"}
        << QStringList{"set-same-card", "10"} << "Get Reader Info Error. (COM : #14)" << ScanFrames
        << 74;
    QTest::newRow("vanishes at the search's presence check: the port went away")
        << QStringList{"--fault", "disconnect", "--fault-after", "0"} << QStringList{"set-id", "3"}
        << "Reader Not Find" << QStringList{"A00B"} << 74;
    QTest::newRow("version not told")
        << QStringList{"--fault", "silent", "--fault-after", "1"} << QStringList{"scan"}
        << "Get Reader Info Error. (COM : #14)" << QStringList{"A00B", "A00V", "A00V", "A00V"} << 1;
}

void CliTest::readerThatDoesNotConfirmIsAnError() {
    QFETCH(QStringList, simulator);
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QFETCH(QStringList, frames);
    QFETCH(int, status);
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader + simulator));
    QVERIFY(sim.started());

    const CliResult result = h.Run(arguments);

    QCOMPARE(result.exitCode, status);
    QCOMPARE(result.out.value(0), message);
    QCOMPARE(h.Frames(), frames);
    // The port is closed and left as it was: the device opens again.
    // (A simulator that played the pulled adapter has ended by itself.)
    if (!sim.process().waitForFinished(300)) {
        LinuxSerialLine other;
        QVERIFY(other.Open(sim.device()).opened());
        other.Close();
    }
}

void CliTest::noReaderIsExitTwo() {
    CliHarness h;
    h.LinkMissing(CliHarness::SimPort);

    const CliResult result = h.Run({"set-id", "3"});

    QCOMPARE(result.exitCode, 2);
    // "Reader Not Find", a line for each of the sixteen ports, the hint.
    QCOMPARE(result.out.size(), 18);
    QCOMPARE(result.out.first(), QString("Reader Not Find"));
    QCOMPARE(result.out[14], "  COM14 (" + PortNames(h.folder.path()).LinkPath(14) +
                                 "): its link points at " + h.folder.filePath("no-such-device") +
                                 ", which is not there");
    QVERIFY2(result.out.last().startsWith("Hint: COM1 is assigned to"),
             qPrintable(result.out.last()));
    QVERIFY(h.KeptSettings().isEmpty());
}

void CliTest::noReaderSaysWhy_data() {
    QTest::addColumn<QStringList>("simulator");  // none: no simulator
    QTest::addColumn<bool>("held");              // the port held by this test, as the window does
    QTest::addColumn<QString>("state");          // COM14's
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("said");  // in COM14's line
    QTest::newRow("a link to a missing device") << QStringList{} << false << "missing-link-target"
                                                << "missing-link-target"
                                                << "which is not there";
    QTest::newRow("held by another program") << Reader << true << "in-use"
                                             << "in-use"
                                             << "in use by tst_cli (process";
    // The asked port stands for the kept place: three presence checks there, and the port scan
    // does not try it again at the same line setting. An adapter that turns round too late
    // loses each reply's LF.
    QTest::newRow("an adapter that turns round too late")
        << Reader + QStringList{"--fault", "slow-turnaround"} << false << "answered"
        << "noise"
        << "at 19200,e,8,1: 3 without a whole frame";
    QTest::newRow("wrong check characters")
        << Reader + QStringList{"--fault", "wrong-check"} << false << "answered"
        << "wrong-check"
        << "at 19200,e,8,1: 3 with wrong check characters";
    QTest::newRow("a reader at another line setting")
        << Reader + QStringList{"--line", "9600,n,8,1"} << false << "silent"
        << "silent"
        << "silent at 19200,e,8,1";
}

void CliTest::noReaderSaysWhy() {
    QFETCH(QStringList, simulator);
    QFETCH(bool, held);
    QFETCH(QString, state);
    QFETCH(QString, cause);
    QFETCH(QString, said);
    CliHarness h;
    std::unique_ptr<SimulatorProcess> sim;
    if (simulator.isEmpty()) {
        h.LinkMissing(CliHarness::SimPort);
    } else {
        sim = std::make_unique<SimulatorProcess>(h.SimArguments(simulator));
        QVERIFY(sim->started());
    }
    LinuxSerialLine holder;
    if (held) QVERIFY(holder.Open(PortNames(h.folder.path()).DevicePath(CliHarness::SimPort)));

    const CliResult result = h.Run({"--json", "--port", "COM14", "scan"});
    holder.Close();

    QCOMPARE(result.exitCode, 2);
    const QJsonObject object = QJsonDocument::fromJson(result.out.value(0).toUtf8()).object();
    const QJsonArray ports = object.value("ports").toArray();
    QCOMPARE(ports.size(), 1);
    const QJsonObject port = ports[0].toObject();
    QCOMPARE(port.value("port").toString(), QString("COM14"));
    QCOMPARE(port.value("state").toString(), state);
    QVERIFY2(port.value("text").toString().contains(said),
             qPrintable(port.value("text").toString()));
    QCOMPARE(object.value("hint").toObject().value("cause").toString(), cause);
}

// A device the user may not open: the group that may is named, and joining it is the hint. The
// tests run as root in CI, where permissions stop nobody: the tool then runs as the user nobody,
// and the device belongs to the group dialout.
void CliTest::noPermissionNamesTheGroup() {
    if (::geteuid() != 0) QSKIP("needs root, to run the tool as another user");
    if (QStandardPaths::findExecutable("setpriv").isEmpty()) QSKIP("setpriv is missing");
    const group* dialout = ::getgrnam("dialout");
    if (!dialout) QSKIP("this system has no group dialout");
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader));
    QVERIFY(sim.started());
    const QByteArray device = QFile::encodeName(sim.device());
    QVERIFY(::chown(device.constData(), 0, dialout->gr_gid) == 0);
    QVERIFY(::chmod(device.constData(), 0660) == 0);
    QVERIFY(QFile::setPermissions(
        h.folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                             QFileDevice::ReadOther | QFileDevice::ExeOther));

    const CliResult result =
        CliHarness::Finish(h.Start({"--reuid=65534", "--regid=65534", "--clear-groups", "--",
                                    VQ880_CLI_PATH, "--json", "--port", "COM14", "scan"},
                                   QStandardPaths::findExecutable("setpriv")));

    QCOMPARE(result.exitCode, 2);
    const QJsonObject object = QJsonDocument::fromJson(result.out.value(0).toUtf8()).object();
    const QJsonObject port = object.value("ports").toArray().at(0).toObject();
    QCOMPARE(port.value("state").toString(), QString("no-permission"));
    QCOMPARE(port.value("group").toString(), QString("dialout"));
    const QJsonObject hint = object.value("hint").toObject();
    QCOMPARE(hint.value("cause").toString(), QString("no-permission"));
    QVERIFY2(hint.value("text").toString().contains("usermod -aG dialout"),
             qPrintable(hint.value("text").toString()));

    // ports tells the same without opening it.
    const CliResult ports =
        CliHarness::Finish(h.Start({"--reuid=65534", "--regid=65534", "--clear-groups", "--",
                                    VQ880_CLI_PATH, "--json", "ports"},
                                   QStandardPaths::findExecutable("setpriv")));
    QCOMPARE(ports.exitCode, 0);
    const QJsonObject fourteen = QJsonDocument::fromJson(ports.out.value(13).toUtf8()).object();
    QCOMPARE(fourteen.value("port").toString(), QString("COM14"));
    QCOMPARE(fourteen.value("state").toString(), QString("no-permission"));
    QCOMPARE(fourteen.value("group").toString(), QString("dialout"));
    QVERIFY(h.Frames().isEmpty());
}

// A device given by its path that no COM number reaches: used for the run, not kept, said once.
void CliTest::portGivenByPathIsNotKept() {
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader));
    QVERIFY(sim.started());
    h.LinkMissing(CliHarness::SimPort);

    const CliResult result = h.Run({"--json", "--port", sim.device(), "set-same-card", "5"});

    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err.size(), 1);
    QVERIFY2(result.err[0].contains(sim.device()) && result.err[0].contains("not kept"),
             qPrintable(result.err[0]));
    const QJsonObject object = QJsonDocument::fromJson(result.out.value(0).toUtf8()).object();
    QCOMPARE(object.value("port").toString(), sim.device());
    QCOMPARE(object.value("result").toString(), QString("ok"));
    QCOMPARE(h.Frames(), (QStringList{"A00B", "A00V", "A00B", "A00N0005"}));
    QVERIFY(!h.KeptSettings().contains("ScanCommNo"));

    // Every message names it by its path, never by a number made up for it.
    const CliResult scan = h.Run({"--port", sim.device(), "scan"});
    QCOMPARE(scan.out.value(0), "Get Reader Info Ok. (COM : " + sim.device() + ")");
}

// The trace holds every frame the simulator received, each with its reply and verdict, and
// tracing changes none of the frames.
void CliTest::traceHoldsEveryExchange() {
    CliHarness h;
    SimulatorProcess sim(
        h.SimArguments(Reader + QStringList{"--fault", "wrong-check", "--fault-after", "2"}));
    QVERIFY(sim.started());
    const QString trace = h.folder.filePath("trace.txt");

    const CliResult result = h.Run({"--trace=" + trace, "set-same-card", "5"});

    QCOMPARE(result.exitCode, 1);
    QFile file(trace);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines =
        QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(lines.value(0).startsWith("# vq880 trace 1"));
    static const QRegularExpression event(QStringLiteral(
        "^(\\d+\\.\\d{3}) COM14 19200,e,8,1 (open|write|read|verdict|close)( .*)?$"));
    QStringList written, verdicts;
    double last = 0;
    for (const QString& line : lines.mid(1)) {
        if (line.contains(" refused ")) continue;  // the other ports lead nowhere
        const auto match = event.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        const double ms = match.captured(1).toDouble();
        if (match.captured(2) == "write") {
            QVERIFY2(ms >= last, qPrintable(line));  // frames in the order of time
            last = ms;
            const QByteArray frame =
                QByteArray::fromHex(line.section(' ', 4).section('|', 0, 0).toLatin1());
            written << QString::fromLatin1(frame.mid(1, frame.size() - 4));
        }
        if (match.captured(2) == "verdict") verdicts << match.captured(3).trimmed();
    }
    QCOMPARE(written, h.Frames());
    QCOMPARE(verdicts.size(), written.size());
    QCOMPARE(verdicts.mid(0, 2), (QStringList{"accepted", "accepted"}));
    QVERIFY(verdicts.size() > 2);
    for (const QString& verdict : verdicts.mid(2)) QCOMPARE(verdict, QString("wrong-check"));

    // A trace that cannot be made is a usage error, before any port is touched.
    const int frames = h.Frames().size();
    const CliResult refused =
        h.Run({"--trace=" + h.folder.filePath("no-folder/trace.txt"), "scan"});
    QCOMPARE(refused.exitCode, 64);
    QCOMPARE(refused.err.size(), 1);
    QVERIFY2(refused.err[0].contains("cannot be created"), qPrintable(refused.err[0]));
    QCOMPARE(h.Frames().size(), frames);
}

void CliTest::portHeldByAnotherProgramIsNamed() {
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader));
    QVERIFY(sim.started());
    // Held as the window holds it: through the same port name.
    LinuxSerialLine window;
    QVERIFY(window.Open(PortNames(h.folder.path()).DevicePath(CliHarness::SimPort)).opened());

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
    QCOMPARE(
        result.out,
        (QStringList{
            "TAG ID : 0000000001  00000001(H)  Wiegand 26: 000,00001  Wiegand 34: 00000,00001",
            "TAG ID : -2147483648  80000000(H)  Wiegand 26: 000,00000  Wiegand 34: 32768,00000",
            "TAG ID : 0000000001  00000001(H)  Wiegand 26: 000,00001  Wiegand 34: 00000,00001"}));
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

    QVERIFY2(CliHarness::Signal(tags, SIGINT), "vq880 tags ended before the stop signal");
    QVERIFY(tags->waitForFinished(3000));
    const CliResult result = CliHarness::Finish(tags);

    QCOMPARE(result.exitCode, 0);
    QVERIFY(!result.out.isEmpty());
    for (const QString& line : result.out)
        QCOMPARE(line, QString("TAG ID : 0000048225  0000BC61(H)  Wiegand 26: 000,48225  "
                               "Wiegand 34: 00000,48225"));
    // The port is free again.
    LinuxSerialLine other;
    QVERIFY(other.Open(sim.device()).opened());
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
    QVERIFY2(CliHarness::Signal(provision, SIGINT), "vq880 provision ended before the stop signal");
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

namespace {
// FilesLimited: the reader there, and no file vq880 writes may grow past 512 bytes.
enum Situation { ReaderThere, NoReader, PortHeld, FilesLimited };
// What ends the run from outside: nothing, SIGTERM once a line was printed or once a frame was
// sent, or the simulator's device taken away once a line was printed, as a pulled USB adapter
// (and then SIGTERM a while later); or SIGTERM once a simulator that came after the start was
// told of.
enum Stop {
    Never,
    AfterALine,
    AfterAFrame,
    DeviceGoneAfterALine,
    DeviceGoneThenStop,
    SimulatorComes
};
}  // namespace

void CliTest::jsonLinesAndExitStatusAreTheManuals_data() {
    QTest::addColumn<int>("situation");
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("stop");
    QTest::addColumn<int>("status");
    // The manual's objects, one a line in order; "Tag+" stands for one or more.
    QTest::addColumn<QStringList>("objects");
    // For each object, values that its keys must have.
    QTest::addColumn<QJsonArray>("values");
    QStringList commands;
    QList<int> statuses;
    const auto row = [&](const char* name, Situation situation, const QStringList& simulator,
                         const QStringList& arguments, Stop stop, int status,
                         const QStringList& objects, const QJsonArray& values) {
        commands << arguments.value(0);
        statuses << status;
        QTest::newRow(name) << int(situation) << simulator << arguments << int(stop) << status
                            << objects << values;
    };
    const QJsonObject written{{"id", "09"},
                              {"same-card", 20},
                              {"input", "nc"},
                              {"rssi", 200},
                              {"mode", "rs485-40,wiegand-34"},
                              {"line-speed", "38400,n,8,1"}};
    const QJsonObject provisioned{
        {"reader", "09"}, {"serial", "40002718"}, {"written", written}, {"result", "ok"}};

    row("scan: the reader as it was found", ReaderThere, {}, {"scan"}, Never, 0, {"Reader"},
        {With(Found, {{"command", "scan"}, {"result", "ok"}})});
    row("tags --count: each tag as it was read, then how many", ReaderThere,
        {"--tags", "00000001,80000000"}, {"tags", "--count", "2"}, Never, 0,
        {"Tag", "Tag", "End of reading"},
        {QJsonObject{{"tag", "00000001"},
                     {"decimal", 1},
                     {"wiegand26", "000,00001"},
                     {"wiegand34", "00000,00001"}},
         QJsonObject{{"tag", "80000000"},
                     {"decimal", -2147483647 - 1},
                     {"wiegand26", "000,00000"},
                     {"wiegand34", "32768,00000"}},
         QJsonObject{{"command", "tags"}, {"result", "ok"}, {"tags", 2}}});
    row("tags ended by a stop signal: done, and how many without a count", ReaderThere, {},
        {"tags"}, AfterALine, 0, {"Tag+", "End of reading"},
        {QJsonObject{{"tag", "0000BC61"}, {"decimal", 48225}},
         QJsonObject{{"command", "tags"}, {"result", "ok"}}});
    row("set-id: the number before and after", ReaderThere, {}, {"set-id", "7"}, Never, 0,
        {"Reader"},
        {With(Found, {{"command", "set-id"}, {"result", "ok"}, {"reader-after", "07"}})});
    row("set-line-speed: the new line setting", ReaderThere, {}, {"set-line-speed", "38400,n,8,1"},
        Never, 0, {"Reader"},
        {With(Found, {{"result", "ok"}, {"line", "38400,n,8,1"}, {"line-after", "38400,n,8,1"}})});
    row("set-same-card", ReaderThere, {}, {"set-same-card", "10"}, Never, 0, {"Reader"},
        {With(Found, {{"command", "set-same-card"}, {"result", "ok"}})});
    row("set-input", ReaderThere, {}, {"set-input", "nc"}, Never, 0, {"Reader"},
        {With(Found, {{"result", "ok"}})});
    row("set-mode", ReaderThere, {}, {"set-mode", "--rs485", "40", "--wiegand", "34"}, Never, 0,
        {"Reader"}, {With(Found, {{"result", "ok"}})});
    row("set-rssi", ReaderThere, {}, {"set-rssi", "200"}, Never, 0, {"Reader"},
        {With(Found, {{"result", "ok"}})});
    row("factory-default: the number and line setting it brings back", ReaderThere, {},
        {"factory-default"}, Never, 0, {"Reader"},
        {With(Found, {{"result", "ok"}, {"reader-after", "01"}, {"line-after", "19200,e,8,1"}})});
    row("reset", ReaderThere, {}, {"reset"}, Never, 0, {"Reader"},
        {With(Found, {{"result", "ok"}})});
    row("provision: each reader with what it was given, then the summary", ReaderThere, {},
        {"provision", "--first-id", "9", "--same-card", "20", "--input", "nc", "--rs485", "40",
         "--wiegand", "34", "--rssi", "200", "--line-speed", "38400,n,8,1", "--count", "1"},
        Never, 0, {"Provisioned reader", "Summary"},
        {With(provisioned, {{"event", "reader"}}), QJsonObject{{"event", "summary"},
                                                               {"readers", QJsonArray{provisioned}},
                                                               {"ok", 1},
                                                               {"error", 0},
                                                               {"result", "ok"}}});
    const QJsonObject planned{{"reader", "12"},
                              {"serial", "40002718"},
                              {"written", QJsonObject{{"id", "12"}, {"same-card", 30}}},
                              {"label", "Door 1"},
                              {"result", "ok"}};
    row("provision --plan: the plan's number, settings and label", ReaderThere, {},
        {"provision", "--plan", PlanFile("serial,number,same-card,label\n40002718,12,30,Door 1\n")},
        Never, 0, {"Provisioned reader", "Summary"},
        {With(planned, {{"event", "reader"}}),
         QJsonObject{{"readers", QJsonArray{planned}}, {"not-in-plan", QJsonArray()}, {"ok", 1}}});
    row("provision --plan, a reader not in the plan: left alone, exit 2", ReaderThere, {},
        {"provision", "--plan", PlanFile("serial,number\nSERX0001,12\n")}, AfterALine, 2,
        {"Not in the plan", "Summary"},
        {QJsonObject{{"event", "not-in-plan"}, {"serial", "40002718"}},
         QJsonObject{{"readers", QJsonArray()},
                     {"not-in-plan", QJsonArray{"40002718"}},
                     {"result", "no-reader"}}});
    row("the reader does not confirm: exit 1, the reader as found", ReaderThere,
        {"--fault", "silent", "--fault-after", "2"}, {"set-same-card", "10"}, Never, 1, {"Reader"},
        {With(Found, {{"result", "error"}})});
    row("not found again at the new line setting: exit 1, the reader as found", ReaderThere,
        {"--fault", "silent", "--fault-after", "4"}, {"set-line-speed", "38400,n,8,1"}, Never, 1,
        {"Reader"}, {With(Found, {{"result", "error"}, {"line", "38400,n,8,1"}})});
    row("the version not told: exit 1", ReaderThere, {"--fault", "silent", "--fault-after", "1"},
        {"scan"}, Never, 1, {"Not found"}, {QJsonObject{{"command", "scan"}, {"result", "error"}}});
    row("provision, a setting not confirmed: exit 1, that setting named", ReaderThere,
        {"--fault", "silent", "--fault-after", "4"},
        {"provision", "--first-id", "9", "--same-card", "20", "--count", "1"}, Never, 1,
        {"Provisioned reader", "Summary"},
        {QJsonObject{{"result", "error"},
                     {"failed", "same-card"},
                     {"written", QJsonObject{{"id", "09"}, {"same-card", 20}}}},
         QJsonObject{{"ok", 0}, {"error", 1}, {"result", "error"}}});
    row("no reader: exit 2", NoReader, {}, {"set-rssi", "9"}, Never, 2, {"Not found"},
        {QJsonObject{{"command", "set-rssi"}, {"result", "no-reader"}}});
    row("the port held by another program: exit 2, the port named", PortHeld, {},
        {"scan", "--port", "COM14"}, Never, 2, {"Not found"},
        {QJsonObject{{"result", "no-reader"}, {"port", "COM14"}}});
    row("provision stopped before a reader came: exit 2", ReaderThere, {"--line", "9600,n,8,1"},
        {"provision", "--first-id", "9"}, AfterAFrame, 2, {"Summary"},
        {QJsonObject{{"readers", QJsonArray()}, {"ok", 0}, {"error", 0}, {"result", "no-reader"}}});
    row("tags, the port gone in the middle: exit 74, the tags read", ReaderThere, {}, {"tags"},
        DeviceGoneAfterALine, 74, {"Tag+", "End of reading"},
        {QJsonObject{{"tag", "0000BC61"}}, QJsonObject{{"result", "port-gone"}}});
    row("a setting whose port goes away before the reply: exit 74, the port named", ReaderThere,
        {"--fault", "disconnect", "--fault-after", "3"}, {"set-same-card", "10"}, Never, 74,
        {"Reader"}, {With(Found, {{"result", "port-gone"}})});
    row("provision, the port gone while the reader is unplugged: a reader that left, exit 0",
        ReaderThere, {}, {"provision", "--first-id", "9"}, DeviceGoneThenStop, 0,
        {"Provisioned reader", "Summary"},
        {QJsonObject{{"result", "ok"}}, QJsonObject{{"ok", 1}, {"result", "ok"}}});
    row("provision, a reader's port gone while it is written: exit 74, the setting named",
        ReaderThere, {"--fault", "disconnect", "--fault-after", "5"},
        {"provision", "--first-id", "9", "--same-card", "20"}, AfterALine, 74,
        {"Provisioned reader", "Summary"},
        {QJsonObject{{"result", "port-gone"},
                     {"failed", "same-card"},
                     {"written", QJsonObject{{"id", "09"}, {"same-card", 20}}}},
         QJsonObject{{"ok", 0}, {"error", 1}, {"port-gone", 1}, {"result", "port-gone"}}});
    row("a setting whose port goes away during the search: exit 74", ReaderThere,
        {"--fault", "disconnect", "--fault-after", "0"}, {"set-rssi", "9"}, Never, 74,
        {"Not found"}, {QJsonObject{{"command", "set-rssi"}, {"result", "port-gone"}}});
    row("tags, the reader silent: exit 69, said apart from the passes without a tag", ReaderThere,
        {"--fault", "silent", "--fault-after", "2"}, {"tags", "--count", "3"}, Never, 69,
        {"Lost or back", "End of reading"},
        {QJsonObject{{"event", "reader-silent"}, {"port", "COM14"}},
         QJsonObject{{"result", "silent"}, {"tags", 0}}});
    row("ports --watch: each port that comes or goes, with its time", NoReader, {},
        {"ports", "--watch"}, SimulatorComes, 0, {"Port change"},
        {QJsonObject{{"event", "appeared"}, {"port", "COM14"}, {"present", true}}});
    row("a usage error: exit 64, no object", ReaderThere, {}, {"set-id", "0"}, Never, 64, {}, {});
    row("a trace that cannot be written: exit 73, the setting done", FilesLimited, {},
        {"set-same-card", "10", "--trace=" + PlanFile({})}, Never, 73, {"Reader"},
        {With(Found, {{"result", "ok"}})});
    row("ports: each COM number, then each device that none reaches", ReaderThere, {}, {"ports"},
        Never, 0, {"Port+"}, {QJsonObject{{"command", "ports"}}});
    row("site: each door of the record, then the plan's doors not yet done", NoReader, {},
        {"site", SiteRecord(), "--plan",
         PlanFile("serial,number,label\nSERA0001,6,Door 1\nSERC0003,7,Door 3\n")},
        Never, 0, {"Door", "Door", "Site summary"},
        {QJsonObject{{"door", "Door 1"}, {"reader", "05"}, {"replaced", QJsonArray{"SERA0001"}}},
         QJsonObject{{"door", "Door 3"}, {"done", false}},
         QJsonObject{{"doors", 1}, {"look", 1}, {"not-done", 1}}});
    row("provision --like: what the record holds there, then the reader and the summary",
        ReaderThere, {}, {"provision", "--like", "Door 1", "--record", SiteRecord()}, Never, 0,
        {"Replacement", "Provisioned reader", "Summary"},
        {QJsonObject{{"event", "like"},
                     {"not-recorded", QJsonArray{"input", "mode", "rssi", "line-speed"}}},
         QJsonObject{{"reader", "05"}, {"label", "Door 1"}}, QJsonObject{{"ok", 1}}});

    // A command of the command table without its row, or missing from the manual, fails here,
    // and so does a command of the manual that the table lacks, or an exit status of the manual
    // that no row produces.
    QStringList table;
    for (const CommandRow& info : CommandTable()) {
        table << info.name;
        QVERIFY2(commands.contains(info.name), qPrintable(info.name));
        bool listed = false;
        for (const ManualObject& object : Manual().objects)
            listed = listed || object.commands.contains(info.name);
        QVERIFY2(listed, qPrintable(info.name));
    }
    for (const ManualObject& object : Manual().objects)
        for (const QString& command : object.commands)
            QVERIFY2(table.contains(command), qPrintable(object.name + ": " + command));
    QVERIFY(!Manual().exitStatuses.isEmpty());
    for (int status : Manual().exitStatuses)
        QVERIFY2(statuses.contains(status), qPrintable(QString::number(status)));
}

void CliTest::jsonLinesAndExitStatusAreTheManuals() {
    QFETCH(int, situation);
    QFETCH(QStringList, simulator);
    QFETCH(QStringList, arguments);
    QFETCH(int, stop);
    QFETCH(int, status);
    QFETCH(QStringList, objects);
    QFETCH(QJsonArray, values);
    CliHarness h;
    h.Keep(KeptAt57600);
    if (situation == FilesLimited) h.fileSizeLimit = 512;
    std::unique_ptr<SimulatorProcess> sim;
    if (situation != NoReader) {
        // At the kept line, unless the row puts it elsewhere.
        const QStringList line =
            simulator.contains("--line") ? QStringList{} : QStringList{"--line", "57600,n,8,1"};
        sim = std::make_unique<SimulatorProcess>(h.SimArguments(ReaderAt57600 + line + simulator));
        QVERIFY(sim->started());
    }
    LinuxSerialLine holder;  // as the window holds it: through the same port name
    if (situation == PortHeld)
        QVERIFY(holder.Open(PortNames(h.folder.path()).DevicePath(CliHarness::SimPort)).opened());

    QProcess* process = h.Start(QStringList{"--json"} + arguments);
    QVERIFY(process->waitForStarted());
    if (stop == SimulatorComes) {
        // Once the watch has taken its first look.
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += process->readAllStandardError()).contains("Ctrl+C"),
                                 15000);
        sim = std::make_unique<SimulatorProcess>(h.SimArguments(ReaderAt57600));
        QVERIFY(sim->started());
    }
    if (stop == AfterALine || stop == DeviceGoneAfterALine || stop == DeviceGoneThenStop ||
        stop == SimulatorComes)
        QTRY_VERIFY_WITH_TIMEOUT(process->canReadLine(), 15000);
    if (stop == AfterAFrame) QTRY_VERIFY_WITH_TIMEOUT(!h.Frames().isEmpty(), 15000);
    if (stop == DeviceGoneAfterALine || stop == DeviceGoneThenStop) sim->Kill();
    if (stop == DeviceGoneThenStop) {
        // Its link goes with it, so that no terminal that later takes the freed name is taken
        // for it; the run looks for the next reader meanwhile.
        h.LinkMissing(CliHarness::SimPort);
        QTest::qWait(500);
    }
    if (stop == AfterALine || stop == AfterAFrame || stop == DeviceGoneThenStop ||
        stop == SimulatorComes)
        QVERIFY2(CliHarness::Signal(process, SIGTERM), "vq880 ended before the stop signal");
    const CliResult result = CliHarness::Finish(process);
    if (situation == PortHeld) holder.Close();

    QCOMPARE(result.exitCode, status);
    QVERIFY(Manual().exitStatuses.contains(status));
    int line = 0;
    int tagLines = 0;
    QJsonObject last;
    for (int i = 0; i < objects.size(); ++i) {
        QString name = objects[i];
        const bool repeated = name.endsWith('+');
        if (repeated) name.chop(1);
        const ManualObject* listed = Manual().Object(name);
        QVERIFY2(listed, qPrintable(name));
        QVERIFY2(listed->commands.contains(arguments.first()), qPrintable(name));
        do {
            QVERIFY2(line < result.out.size(), qPrintable(name + " is not printed"));
            const QJsonDocument document = QJsonDocument::fromJson(result.out[line++].toUtf8());
            QVERIFY2(document.isObject(), qPrintable(result.out[line - 1]));
            last = document.object();
            const QString wrong = KeysDiffer(last, *listed);
            QVERIFY2(wrong.isEmpty(), qPrintable(wrong + " in " + Compact(last)));
            const QJsonObject expected = values[i].toObject();
            for (auto it = expected.begin(); it != expected.end(); ++it)
                QVERIFY2(last.value(it.key()) == it.value(),
                         qPrintable(it.key() + " in " + Compact(last)));
            if (name == QLatin1String("Tag")) {
                ++tagLines;
                // A time a script can sort and compare across time zones.
                const QString time = last.value("time").toString();
                QVERIFY2(QRegularExpression(R"(^\d{4}-\d\d-\d\dT[\d:.]{12}([+-]\d\d:\d\d|Z)$)")
                             .match(time)
                             .hasMatch(),
                         qPrintable(time));
            }
        } while (repeated && result.out.size() - line > objects.size() - i - 1);
    }
    QCOMPARE(result.out.size(), line);
    // The count of a reading is of the lines it printed; the last object's result is the one
    // of the exit status.
    if (last.contains("tags")) QCOMPARE(last.value("tags").toInt(), tagLines);
    // ports tells of the ports, not of an outcome, and always ends with 0; a file that could
    // not be written is told by the exit status above the reader's outcome.
    if (!objects.isEmpty() && arguments.first() != "ports" && status != ExitCannotWrite)
        QCOMPARE(Manual().resultStatus.value(last.value("result").toString(), -1), status);
}

void CliTest::recordHoldsWholeEntriesAndIsOnlyAppended() {
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader));
    QVERIFY(sim.started());
    const QString csv = QDir(h.folder.path()).filePath("site.csv");
    const auto lines = [&csv] {
        QFile file(csv);
        return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>();
    };
    QCOMPARE(h.Run({"set-same-card", "10", "--record", csv}).exitCode, 0);
    const QList<QByteArray> first = lines();
    QCOMPARE(first.size(), 3);  // the header, the entry, and nothing after the last line feed
    QVERIFY(first[0].startsWith("time,command,port,serial,version,reader-before,reader-after,id,"));
    QVERIFY2(first[1].contains(",set-same-card,COM14,40002718,01.70-01,05,05,,10,,,,,,ok,"),
             first[1].constData());

    // Killed while it waits for the next reader: each entry it made is whole, the header is not
    // written again, and the first entry is as it was.
    QProcess* provision = h.Start({"provision", "--first-id", "5", "--record", csv});
    QTRY_VERIFY_WITH_TIMEOUT(provision->canReadLine(), 15000);
    provision->kill();
    CliHarness::Finish(provision);
    const QList<QByteArray> after = lines();
    QCOMPARE(after.size(), 4);
    QCOMPARE(after.mid(0, 2), first.mid(0, 2));
    QVERIFY2(after[2].contains(",provision,COM14,40002718,01.70-01,05,05,05,"),
             after[2].constData());
    QVERIFY(after.last().isEmpty());

    // JSON lines, for a record whose name ends in .jsonl.
    const QString jsonl = QDir(h.folder.path()).filePath("site.jsonl");
    QCOMPARE(h.Run({"set-id", "7", "--record", jsonl}).exitCode, 0);
    QFile file(jsonl);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject entry = QJsonDocument::fromJson(file.readLine()).object();
    QCOMPARE(entry.value("reader-before").toString(), QString("05"));
    QCOMPARE(entry.value("reader-after").toString(), QString("07"));
    QCOMPARE(entry.value("written").toObject(), (QJsonObject{{"id", "07"}}));
    QCOMPARE(entry.value("result").toString(), QString("ok"));
    QVERIFY(file.atEnd());

    // A FIFO in the record's place: refused before the port is touched.
    const int framesBefore = h.Frames().size();
    const QString fifo = QDir(h.folder.path()).filePath("fifo.csv");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(h.Run({"set-rssi", "9", "--record", fifo}).exitCode, 64);
    QCOMPARE(h.Frames().size(), framesBefore);
}

void CliTest::provisionReadersInTurn_data() {
    QTest::addColumn<QByteArray>("kept");
    QTest::addColumn<QStringList>("arrival");  // the simulator's line, where readers arrive
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("reports");
    // The commands each reader receives besides the presence checks, a command sent again at
    // once counted once; "A00C*" stands for its serial number and its number.
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QString>("movedTo");  // the baud rate of the line speed written
    QTest::addColumn<QByteArray>("plan");  // the text of the file "PLAN" stands for
    QTest::newRow("three readers, each numbered in turn")
        << QByteArray() << QStringList{}
        << QStringList{"--port", "COM14",   "provision", "--first-id", "5", "--same-card",
                       "20",     "--input", "nc",        "--count",    "3"}
        << QStringList{"05 SERA0001 id=05 same-card=20 input=nc Ok",
                       "06 SERB0002 id=06 same-card=20 input=nc Ok",
                       "07 SERC0003 id=07 same-card=20 input=nc Ok"}
        << QStringList{"A00V", "A00C*", "A00N0020", "A00M0"} << QString() << QByteArray();
    QTest::newRow("every setting at the factory line, the line speed last")
        << QByteArray() << QStringList{}
        << QStringList{"provision", "--first-id", "5", "--same-card", "20", "--input", "nc",
                       "--rs485", "40", "--wiegand", "34", "--rssi", "200", "--line-speed",
                       "57600,n,8,1", "--count", "2"}
        << QStringList{
               "05 SERA0001 id=05 same-card=20 input=nc mode=rs485-40,wiegand-34 rssi=200 "
               "line-speed=57600,n,8,1 Ok",
               "06 SERB0002 id=06 same-card=20 input=nc mode=rs485-40,wiegand-34 rssi=200 "
               "line-speed=57600,n,8,1 Ok"}
        << QStringList{"A00V", "A00C*", "A00N0020", "A00M0", "A00L21", "A00OC8", "A00E8", "A00V"}
        << "57600" << QByteArray();
    QTest::newRow("every setting at a kept line, zeros too, the line speed last")
        << KeptAt57600 << QStringList{"--line", "57600,n,8,1"}
        << QStringList{"provision", "--first-id", "98", "--same-card", "0", "--input", "no",
                       "--rs485", "24", "--wiegand", "42", "--rssi", "0", "--line-speed",
                       "115200,n,8,1", "--count", "2"}
        << QStringList{
               "98 SERA0001 id=98 same-card=0 input=no mode=rs485-24,wiegand-42 rssi=0 "
               "line-speed=115200,n,8,1 Ok",
               "99 SERB0002 id=99 same-card=0 input=no mode=rs485-24,wiegand-42 rssi=0 "
               "line-speed=115200,n,8,1 Ok"}
        << QStringList{"A00V", "A00C*", "A00N0000", "A00M1", "A00L02", "A00O00", "A00EA", "A00V"}
        << "115200" << QByteArray();
    QTest::newRow("a plan: each reader its row's number and label, the options fill the rest")
        << QByteArray() << QStringList{}
        << QStringList{"provision", "--plan", "PLAN", "--same-card", "20", "--input", "nc"}
        << QStringList{"21 SERA0001 id=21 same-card=20 input=nc Ok  Door 1",
                       "05 SERB0002 id=05 same-card=20 input=nc Ok",
                       "33 SERC0003 id=33 same-card=20 input=nc Ok  Lane 2, exit"}
        << QStringList{"A00V", "A00C*", "A00N0020", "A00M0"} << QString()
        << QByteArray(
               "number,serial,label\n33,SERC0003,\"Lane 2, exit\"\n21,SERA0001,Door 1\n"
               "5,SERB0002,\n");
}

void CliTest::provisionReadersInTurn() {
    QFETCH(QByteArray, kept);
    QFETCH(QStringList, arrival);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, reports);
    QFETCH(QStringList, commands);
    QFETCH(QString, movedTo);
    QFETCH(QByteArray, plan);
    if (!plan.isEmpty()) arguments.replaceInStrings("PLAN", PlanFile(plan));
    CliHarness h;
    h.Keep(kept);
    QProcess* provision = h.Start(arguments);
    QVERIFY(provision->waitForStarted());
    const QStringList serials{"SERA0001", "SERB0002", "SERC0003"};
    QStringList printed;
    std::unique_ptr<SimulatorProcess> before;
    for (int i = 0; i < reports.size(); ++i) {
        // The tool takes a reader for gone after two checks without an answer, 100 ms apart.
        // The next one comes after that, so that what it receives at the line setting the last
        // one was moved to can only be the search for it.
        if (i > 0 && !movedTo.isEmpty()) QTest::qWait(1000);
        // The first one comes when the tool already looks for it at a port without its device,
        // as when the adapter is plugged in after the start.
        if (i == 0) QTest::qWait(300);
        // Each reader comes with the factory number 1 on the same adapter, and is taken off the
        // line when it has been reported; the port stays, as on a bench.
        auto sim = std::make_unique<SimulatorProcess>(
            h.SimArguments(QStringList{"--serial", serials[i]} + arrival, i));
        QVERIFY(sim->started());
        before.reset();
        QTRY_VERIFY_WITH_TIMEOUT(provision->canReadLine(), 15000);
        printed << QString::fromUtf8(provision->readLine()).trimmed();
        sim->UnplugReader();
        before = std::move(sim);
    }
    const CliResult result = CliHarness::Finish(provision);

    QCOMPARE(result.exitCode, 0);
    QCOMPARE(printed, reports);
    // The last reader listens at the line speed it was given: the next command looks there.
    if (!movedTo.isEmpty())
        QVERIFY(h.KeptSettings().contains("\"ScanBaudRate\"=\"" + movedTo.toLatin1() + ","));
    QCOMPARE(result.out,
             QStringList{QStringLiteral("Summary: %1 readers").arg(reports.size())} + reports);
    for (int i = 0; i < reports.size(); ++i) {
        QStringList received;
        for (const QString& frame : h.Frames(i))
            if (frame != "A00B" && (received.isEmpty() || received.last() != frame))
                received << frame;
        QStringList expected = commands;
        expected.replaceInStrings("A00C*", "A00C" + serials[i] + reports[i].left(2));
        QCOMPARE(received, expected);
        if (i > 0 && !movedTo.isEmpty())
            QVERIFY(!h.Log(i).contains("the line is at " + movedTo.toLatin1() + " baud"));
    }
}

// A new line setting makes the tool find the reader again; the record still holds the number the
// reader had when it came, not the one it was just given.
void CliTest::recordKeepsTheNumberBeforeANewLineSetting() {
    CliHarness h;
    SimulatorProcess sim(h.SimArguments({"--serial", "40002718", "--reader-number", "78"}));
    QVERIFY(sim.started());
    const QString csv = QDir(h.folder.path()).filePath("site.csv");

    const CliResult result = h.Run({"provision", "--first-id", "6", "--line-speed", "9600,n,8,1",
                                    "--count", "1", "--record", csv});

    QCOMPARE(result.exitCode, 0);
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QVERIFY2(lines.value(1).contains(",provision,COM14,40002718,01.70-01,78,06,06,"),
             lines.value(1).constData());
}

// A reader replaced at a door: the new one is given what the record holds for the old one,
// the line setting last, and the record then holds it at that door in the old one's place.
void CliTest::replacementIsConfiguredLikeTheRecord() {
    CliHarness h;
    const QString record = QDir(h.folder.path()).filePath("site.csv");
    QFile file(record);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(CsvHeader() +
               "2026-12-01T10:00:00.000+01:00,provision,COM14,SERA0001,01.70-01,01,05,05,20,,"
               "\"rs485-64,wiegand-42\",100,\"38400,n,8,1\",Door 1,ok,\n"
               "2026-12-01T10:05:00.000+01:00,set-rssi,COM14,SERA0001,01.70-01,05,05,,,,,120,,,"
               "ok,\n");
    file.close();
    SimulatorProcess sim(h.SimArguments({"--serial", "SERB0002"}));
    QVERIFY(sim.started());

    const CliResult result =
        h.Run({"--port", "COM14", "provision", "--like", "Door 1", "--record", record});

    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out.value(0),
             QString("The reader for Door 1 gets what the record holds there; not recorded, so it "
                     "keeps its own: input."));
    QStringList received;
    for (const QString& frame : h.Frames())
        if (frame != "A00B") received << frame;
    QCOMPARE(received, QStringList({"A00V", "A00CSERB000205", "A00N0020", "A00L32", "A00O78",
                                    "A00E6", "A00V"}));
    const CliResult site = h.Run({"site", record});
    QCOMPARE(site.exitCode, 0);
    QVERIFY2(site.out.value(0).startsWith("Door 1  S/N SERB0002  reader 05  same-card=20 "
                                          "mode=rs485-64,wiegand-42 rssi=120 "
                                          "line-speed=38400,n,8,1"),
             qPrintable(site.out.value(0)));
    QCOMPARE(site.out.value(1), QString("  ! Door 1: S/N SERA0001 replaced by S/N SERB0002"));
}

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
