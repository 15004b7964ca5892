// Readers and adapters that come and go, on the real serial stack against the simulator playing
// a site: provision follows readers that bring their own adapter and goes on after one lost its
// port, one run holds its port, and tags --follow waits for a silent reader and its adapter.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>
#include <csignal>
#include <functional>

#include "CliHarness.h"
#include "SerialLineLinux.h"

namespace {

// The next line vq880 prints, or an empty one when none comes in time.
QByteArray NextLine(QProcess* process, int timeoutMs = 15000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!process->canReadLine() && !deadline.hasExpired() &&
           process->state() != QProcess::NotRunning)
        process->waitForReadyRead(50);
    return process->canReadLine() ? process->readLine().trimmed() : QByteArray();
}

QJsonObject NextObject(QProcess* process) {
    return QJsonDocument::fromJson(NextLine(process)).object();
}

// Objects until one that `wanted` takes; that one, or an empty one when none comes in time.
QJsonObject ObjectWhere(QProcess* process, const std::function<bool(const QJsonObject&)>& wanted,
                        QStringList* events = nullptr) {
    for (QJsonObject object = NextObject(process); !object.isEmpty();
         object = NextObject(process)) {
        if (events && object.contains("event")) *events << object.value("event").toString();
        if (wanted(object)) return object;
    }
    return {};
}

// A run of vq880, ended with the test should the test end first: a run left behind would hold
// its port's claim, and every simulator's terminal that later takes the same name with it.
struct Run {
    explicit Run(QProcess* started) : process(started) {}
    CliResult Finish() { return CliHarness::Finish(process.release()); }
    QProcess* operator->() const { return process.get(); }
    operator QProcess*() const { return process.get(); }  // NOLINT
    std::unique_ptr<QProcess> process;                    // killed when it goes
};

bool IsTag(const QJsonObject& object) {
    return object.contains("tag");
}
auto IsEvent(const QString& name) {
    return [name](const QJsonObject& object) { return object.value("event") == name; };
}

QByteArray KeptAt(int comNumber) {
    return QByteArray("\"ScanCommNo\"=dword:") +
           QByteArray::number(comNumber, 16).rightJustified(8, '0') + "\n";
}

}  // namespace

class FollowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("VQ880_SIM")) QSKIP("the simulator program is not known");
    }

    // Each reader brings its own adapter: unplugged, it takes the port's device with it. That is
    // a reader leaving, whatever the kept settings held and however long the port stays away.
    void provisionFollowsReadersOnTheirOwnAdapters_data() {
        QTest::addColumn<QByteArray>("kept");
        QTest::addColumn<int>("awayMs");
        QTest::newRow("nothing kept, the next reader plugged in at once") << QByteArray() << 0;
        QTest::newRow("this port kept, each adapter away a second") << KeptAt(14) << 1000;
        QTest::newRow("another port kept, each adapter away a second") << KeptAt(3) << 1000;
    }
    void provisionFollowsReadersOnTheirOwnAdapters() {
        QFETCH(QByteArray, kept);
        QFETCH(int, awayMs);
        CliHarness h;
        h.Keep(kept);
        SimulatorProcess sim(
            h.SimArguments({"--site", "SERA0001:1,SERB0002:1,SERC0003:1", "--adapter-per-reader"}));
        QVERIFY(sim.started());
        Run provision(h.Start({"--json", "provision", "--first-id", "5", "--count", "3"}));

        const QStringList serials{"SERA0001", "SERB0002", "SERC0003"};
        for (int i = 0; i < serials.size(); ++i) {
            const QJsonObject reader = NextObject(provision);
            QCOMPARE(reader.value("serial").toString(), serials[i]);
            QCOMPARE(reader.value("reader").toString(), QStringLiteral("0%1").arg(5 + i));
            QCOMPARE(reader.value("result").toString(), QString("ok"));
            if (i == serials.size() - 1) break;
            sim.UnplugReader();  // and its adapter
            QTest::qWait(awayMs);
            sim.PlugNextReader();
            QVERIFY(!sim.NextDevice().isEmpty());
        }
        const CliResult result = provision.Finish();

        QCOMPARE(result.exitCode, 0);
        const QJsonObject summary = QJsonDocument::fromJson(result.out.last().toUtf8()).object();
        QCOMPARE(summary.value("ok").toInt(), 3);
        QCOMPARE(summary.value("result").toString(), QString("ok"));
    }

    // The port lost while a reader is written fails that reader, with the setting not confirmed
    // in its record entry; the run goes on with the next reader, and says so at its end.
    void provisionGoesOnAfterAReaderLostItsPort() {
        CliHarness h;
        const QString record = QDir(h.folder.path()).filePath("site.csv");
        // Its port goes as the same-card time is sent: the scan's two frames, the number's two,
        // then the same-card time's presence check are answered.
        auto first = std::make_unique<SimulatorProcess>(h.SimArguments(
            {"--serial", "SERA0001", "--fault", "disconnect", "--fault-after", "5"}));
        QVERIFY(first->started());
        Run provision(h.Start(
            {"--json", "provision", "--first-id", "5", "--same-card", "20", "--record", record}));

        const QJsonObject lost = NextObject(provision);
        QCOMPARE(lost.value("serial").toString(), QString("SERA0001"));
        QCOMPARE(lost.value("result").toString(), QString("port-gone"));
        QCOMPARE(lost.value("failed").toString(), QString("same-card"));
        QVERIFY(first->process().waitForFinished(3000));
        first.reset();
        SimulatorProcess second(h.SimArguments({"--serial", "SERB0002"}, 1));
        QVERIFY(second.started());
        const QJsonObject next = NextObject(provision);
        QCOMPARE(next.value("serial").toString(), QString("SERB0002"));
        QCOMPARE(next.value("reader").toString(), QString("06"));  // the first took 05
        QCOMPARE(next.value("result").toString(), QString("ok"));
        QVERIFY(CliHarness::Signal(provision, SIGTERM));
        const CliResult result = provision.Finish();

        QCOMPARE(result.exitCode, 74);
        const QJsonObject summary = QJsonDocument::fromJson(result.out.last().toUtf8()).object();
        QCOMPARE(summary.value("readers").toArray().size(), 2);
        QCOMPARE(summary.value("port-gone").toInt(), 1);
        QFile file(record);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> entries = file.readAll().split('\n');
        QCOMPARE(entries.size(), 4);  // the header, two entries, nothing after the last line feed
        QVERIFY2(entries[1].contains(",SERA0001,") && entries[1].endsWith(",port-gone,same-card"),
                 entries[1].constData());
        QVERIFY2(entries[2].contains(",SERB0002,") && entries[2].endsWith(",ok,"),
                 entries[2].constData());
    }

    // While one provision run holds its port, between readers too, whoever else comes is
    // refused it, with the run named; the reader keeps the number that run gave it.
    void oneRunPerPort_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("waits");  // for readers elsewhere, until a stop signal
        QTest::newRow("a second provision given the port: refused at once")
            << QStringList{"--port", "COM14", "provision", "--first-id", "30"} << false;
        QTest::newRow("a scan of the port: refused")
            << QStringList{"--port", "COM14", "scan"} << false;
        QTest::newRow("a second provision that searches: the port passed over")
            << QStringList{"provision", "--first-id", "30"} << true;
    }
    void oneRunPerPort() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, waits);
        CliHarness h;
        SimulatorProcess sim(h.SimArguments());
        QVERIFY(sim.started());
        Run first(h.Start({"--port", "COM14", "provision", "--first-id", "20"}));
        QCOMPARE(NextLine(first), QByteArray("20 00001234 id=20 Ok"));
        const QString holder =
            QStringLiteral("in use by vq880 (process %1)").arg(first->processId());

        Run second(h.Start(arguments));
        if (waits) {
            QByteArray said;
            QTRY_VERIFY2_WITH_TIMEOUT(
                (said += second->readAllStandardError()).contains(holder.toUtf8()),
                said.constData(), 15000);
            QVERIFY(CliHarness::Signal(second, SIGTERM));
        }
        const CliResult refused = second.Finish();
        // The window, or any program that opens the port through its name.
        LinuxSerialLine window;
        const OpenResult open = window.Open(PortNames(h.folder.path()).DevicePath(14));
        window.Close();
        QVERIFY(CliHarness::Signal(first, SIGTERM));
        const CliResult result = first.Finish();

        QCOMPARE(refused.exitCode, 2);
        if (!waits)
            QVERIFY2(refused.err.join('\n').contains(holder), qPrintable(refused.err.join('\n')));
        QCOMPARE(open.state, PortState::InUse);
        QCOMPARE(open.holderName, QString("vq880"));
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(h.Frames().filter(QRegularExpression("^A00C")), QStringList{"A00C0000123420"});
    }

    // With --follow the reading waits for a reader gone silent and for its adapter pulled out,
    // says each loss and return with its time, and reads on.
    void tagsFollowTheReaderAndItsAdapter() {
        CliHarness h;
        SimulatorProcess sim(h.SimArguments({"--commands"}));
        QVERIFY(sim.started());
        Run tags(h.Start({"--json", "tags", "--follow"}));
        QStringList events;
        QVERIFY(!ObjectWhere(tags, IsTag, &events).isEmpty());

        sim.Command("adapter-out");
        QVERIFY(!ObjectWhere(tags, IsEvent("port-gone"), &events).isEmpty());
        sim.Command("adapter-in");
        QVERIFY(!sim.NextDevice().isEmpty());
        const QJsonObject back = ObjectWhere(tags, IsEvent("port-back"), &events);
        QCOMPARE(back.value("port").toString(), QString("COM14"));
        QVERIFY(!ObjectWhere(tags, IsTag, &events).isEmpty());

        sim.Command("unplug");
        const QJsonObject silent = ObjectWhere(tags, IsEvent("reader-silent"), &events);
        QVERIFY(!silent.value("time").toString().isEmpty());
        sim.Command("plug");
        QVERIFY(!ObjectWhere(tags, IsEvent("reader-back"), &events).isEmpty());
        QVERIFY(!ObjectWhere(tags, IsTag, &events).isEmpty());
        QVERIFY(CliHarness::Signal(tags, SIGTERM));
        const CliResult result = tags.Finish();

        QCOMPARE(events, (QStringList{"port-gone", "port-back", "reader-silent", "reader-back"}));
        QCOMPARE(result.exitCode, 0);
        const QJsonObject end = QJsonDocument::fromJson(result.out.last().toUtf8()).object();
        QCOMPARE(end.value("result").toString(), QString("ok"));
    }
};

QTEST_GUILESS_MAIN(FollowTest)
#include "tst_follow.moc"
