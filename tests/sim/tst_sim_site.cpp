// The simulator playing a site, on the real serial stack: readers plugged in and out on a port
// that stays, and an adapter that vanishes and comes back at the same link.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "ReaderLink.h"
#include "SerialLineLinux.h"
#include "SimulatorProcess.h"

namespace {

constexpr int AtTheLink = PortNames::RunOnlyPort;

bool WaitFor(const std::function<bool()>& condition, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(10);
    }
    return true;
}

// Whether this process still has the device open.
bool HoldsOpen(const QString& device) {
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget() == device) return true;
    return false;
}

// The tool's side: the reader link on the real serial line, opened through the link.
struct Tool {
    explicit Tool(const QString& linkPath) : names(QString(), linkPath) {}
    bool Open() { return link.OpenPort(AtTheLink, "19200,e,8,1").opened(); }
    // The serial number and reader number of the reader on the line, or the verdict.
    QString Ask() {
        if (!link.SendCommand("A00B") || link.Verdict(16) != ReplyVerdict::Accepted)
            return link.PortGone() ? "gone" : "none";
        const QByteArray reply = link.LastReply().ReplyText;
        return QString::fromLatin1(reply.mid(5, 8) + ":" + reply.mid(2, 2));
    }

    LinuxSerialLine line;
    SteadyClock clock;
    PortNames names;
    ReaderLink link{line, clock, names, [] { QCoreApplication::processEvents(); }};
};

}  // namespace

class SimSiteTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    QString LinkPath() const { return folder_.filePath("adapter/usb0"); }

  private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("VQ880_SIM")) QSKIP("the simulator program is not known");
        QVERIFY(folder_.isValid());
    }

    // The readers come in turn on the signals; one met again is the one it was, with the
    // number it was given meanwhile.
    void readersComeInTurn_data() {
        QTest::addColumn<bool>("adapterPerReader");
        QTest::newRow("the adapter stays: the port stays open") << false;
        QTest::newRow("each reader brings its adapter: the port hangs up and comes back") << true;
    }
    void readersComeInTurn() {
        QFETCH(bool, adapterPerReader);
        QStringList arguments{"--site", "AAAA0001:3,BBBB0002:4,AAAA0001", "--link-path",
                              LinkPath()};
        if (adapterPerReader) arguments << "--adapter-per-reader";
        SimulatorProcess sim(arguments);
        QVERIFY(sim.started());
        Tool tool(LinkPath());
        QVERIFY(tool.Open());
        QCOMPARE(tool.Ask(), QString("AAAA0001:03"));
        QVERIFY(tool.link.SendCommand("A00CAAAA000107"));  // renumbered while it is there

        sim.UnplugReader();
        if (adapterPerReader) {
            QVERIFY(WaitFor([&] { return !QFileInfo(LinkPath()).isSymLink(); }));
            QCOMPARE(tool.Ask(), QString("gone"));
            QVERIFY(!tool.link.IsOpen());
        } else {
            QVERIFY(WaitFor([&] { return tool.Ask() == "none"; }));
            QVERIFY(tool.link.IsOpen());
        }

        for (const char* expected : {"BBBB0002:04", "AAAA0001:07"}) {
            sim.PlugNextReader();
            if (adapterPerReader) {
                QVERIFY(!sim.NextDevice().isEmpty());
                QCOMPARE(QFileInfo(LinkPath()).symLinkTarget(), sim.device());
                QVERIFY(tool.Open());
            }
            QVERIFY(WaitFor([&] { return tool.Ask() == expected; }));
            if (adapterPerReader) tool.link.ClosePort();
        }
        QCOMPARE(tool.link.IsOpen(), !adapterPerReader);
        QVERIFY(!tool.link.PortGone() || adapterPerReader);
    }

    // Pulled out, the adapter hangs up the tool's open port, which closes it at once; it comes
    // back as a new terminal at the same link, with the same reader.
    void theAdapterVanishesAndComesBack() {
        SimulatorProcess sim({"--commands", "--link-path", LinkPath()});
        QVERIFY(sim.started());
        const QString before = sim.device();
        Tool tool(LinkPath());
        QVERIFY(tool.Open());
        QCOMPARE(tool.Ask(), QString("00001234:01"));

        sim.Command("adapter-out");
        QVERIFY(WaitFor([&] { return !QFileInfo(LinkPath()).isSymLink(); }));
        QCOMPARE(tool.Ask(), QString("gone"));
        QVERIFY(!tool.link.IsOpen());
        QVERIFY(!HoldsOpen(before));  // closed at the hang-up, before the operation's end
        tool.link.ClosePort();        // and closing it again does nothing

        sim.Command("adapter-in");
        QVERIFY(!sim.NextDevice().isEmpty());
        QCOMPARE(QFileInfo(LinkPath()).symLinkTarget(), sim.device());
        QVERIFY(tool.Open());
        QCOMPARE(tool.Ask(), QString("00001234:01"));
        tool.link.ClosePort();

        sim.Stop();
        QVERIFY(!QFileInfo(LinkPath()).isSymLink());  // the link goes with the simulator
    }

    // On a schedule the readers come and go by themselves, and the site is over after its
    // rounds.
    void theScheduleRunsByItself() {
        const QString log = folder_.filePath("schedule.log");
        SimulatorProcess sim({"--site", "AAAA0001:3,BBBB0002", "--plug-ms", "150", "--unplug-ms",
                              "50", "--rounds", "2", "--log", log});
        QVERIFY(sim.started());
        QVERIFY(WaitFor([&] {
            QFile file(log);
            return file.open(QIODevice::ReadOnly) && file.readAll().contains("schedule is over");
        }));
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList steps;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line.contains("is plugged in")) steps << line.mid(line.indexOf("reader ") + 7, 8);
            if (line.contains("is unplugged")) steps << "-";
        }
        QCOMPARE(steps, (QStringList{"-", "BBBB0002", "-", "AAAA0001", "-", "BBBB0002", "-"}));
    }
};

QTEST_GUILESS_MAIN(SimSiteTest)
#include "tst_sim_site.moc"
