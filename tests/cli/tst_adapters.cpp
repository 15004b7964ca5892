// vq880 through the adapters technicians have: one that echoes every frame, one that holds what
// it receives and hands it on in batches. Against the simulator program on a pseudo-terminal.
#include <QtTest>

#include "CliHarness.h"

class AdaptersTest : public QObject {
    Q_OBJECT
  private slots:
    // The reader is found and set behind the echo; the trace shows each echo as an event of its
    // own, the frame that was written, with the reply behind it accepted.
    void anEchoingAdapterWorks() {
        CliHarness h;
        SimulatorProcess sim(h.SimArguments({"--fault", "echo"}));
        QVERIFY(sim.started());
        const QString trace = h.folder.filePath("trace.txt");

        const CliResult result = h.Run({"--trace=" + trace, "set-same-card", "5"});

        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringList{"Set Same Card Ok"});
        QFile file(trace);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList events;  // of COM14, each "write", "echo" or "verdict" with its details
        for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
            const QString event = line.section(' ', 3);
            if (line.section(' ', 1, 1) == "COM14" &&
                (event.startsWith("write ") || event.startsWith("echo ") ||
                 event.startsWith("verdict ")))
                events << event;
        }
        QCOMPARE(events.size(), 3 * h.Frames().size());
        for (int i = 0; i + 2 < events.size(); i += 3) {
            QCOMPARE(events[i + 1], "echo " + events[i].section(' ', 1));
            QCOMPARE(events[i + 2], QString("verdict accepted"));
        }
    }

    // An FTDI adapter at its 16 ms: the search and the setting succeed, only later.
    void anAdapterThatHandsOnInBatchesWorks() {
        CliHarness h;
        SimulatorProcess sim(h.SimArguments({"--batch-ms", "16"}));
        QVERIFY(sim.started());

        const CliResult result = h.Run({"set-same-card", "5"});

        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QStringList{"Set Same Card Ok"});
        QCOMPARE(h.Frames(), (QStringList{"A00B", "A00V", "A00B", "A00N0005"}));
    }
};

QTEST_GUILESS_MAIN(AdaptersTest)
#include "tst_adapters.moc"
