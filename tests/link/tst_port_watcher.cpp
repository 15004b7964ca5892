// The port watcher against the simulator's link in ports/: pseudo-terminals make no device
// events, the link and the terminal themselves make folder events.
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "PortNames.h"
#include "PortWatcher.h"
#include "SimulatorProcess.h"

namespace {

constexpr int SimPort = 14;

// Each change as "appeared COM14 /dev/pts/4".
QStringList Texts(const std::vector<PortChange>& changes) {
    QStringList texts;
    for (const PortChange& change : changes)
        texts << QStringLiteral("%1 COM%2 %3")
                     .arg(PortChangeName(change.kind))
                     .arg(change.entry.comNumber)
                     .arg(change.entry.target);
    return texts;
}

}  // namespace

class PortWatcherTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    QStringList reported_;
    std::unique_ptr<PortWatcher> watcher_;

    QString Appeared(const QString& device) { return "appeared COM14 " + device; }
    QString Gone(const QString& device) { return "gone COM14 " + device; }
    QStringList SimArguments() const {
        return {"--link", PortNames::PortName(SimPort), "--machine-folder", folder_.path(),
                "--commands"};
    }

  private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("VQ880_SIM")) QSKIP("the simulator program is not known");
        QVERIFY(folder_.isValid());  // no ports/ yet: the simulator makes it
    }
    void init() {
        reported_.clear();
        watcher_ = std::make_unique<PortWatcher>(
            folder_.path(), [this](const std::vector<PortChange>& changes) {
                reported_ << Texts(changes);
                for (const PortChange& change : changes) {
                    const PortEntry& entry = change.entry;
                    QCOMPARE(entry.link, PortNames(folder_.path()).LinkPath(SimPort));
                    QCOMPARE(entry.linkTarget, entry.target);  // what the link led to then
                }
            });
        QVERIFY(watcher_->Start().portLinks);
    }
    void cleanup() { watcher_.reset(); }

    // The simulator's port appears once, and goes once, however it goes.
    void aPortAppearsAndGoes_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("the simulator ends: its link is removed") << "stop";
        QTest::newRow("the simulator is killed: its link stays, its terminal goes") << "kill";
        QTest::newRow("the adapter is pulled out") << "adapter-out";
    }
    void aPortAppearsAndGoes() {
        QFETCH(QString, how);
        SimulatorProcess sim(SimArguments());
        QVERIFY(sim.started());
        QTRY_COMPARE(reported_, QStringList{Appeared(sim.device())});

        if (how == "stop")
            sim.Stop();
        else if (how == "kill")
            sim.Kill();
        else
            sim.Command(how.toLatin1());
        const QStringList expected{Appeared(sim.device()), Gone(sim.device())};
        QTRY_COMPARE(reported_, expected);
        QTest::qWait(4 * PortWatcher::SettleMs);
        QCOMPARE(reported_, expected);  // and nothing more
    }

    // An adapter that comes back is a port that appears again, at its new device.
    void anAdapterComesBack() {
        SimulatorProcess sim(SimArguments());
        QVERIFY(sim.started());
        const QString first = sim.device();
        QTRY_COMPARE(reported_, QStringList{Appeared(first)});
        sim.Command("adapter-out");
        QTRY_COMPARE(reported_.size(), 2);
        sim.Command("adapter-in");
        QVERIFY(!sim.NextDevice().isEmpty());
        QTRY_COMPARE(reported_,
                     (QStringList{Appeared(first), Gone(first), Appeared(sim.device())}));
    }
};

QTEST_GUILESS_MAIN(PortWatcherTest)
#include "tst_port_watcher.moc"
