// Discovery and tag reading end to end: the real window, QSerialPort and the steady clock
// against the simulator program on a pseudo-terminal.

#include <QTimer>
#include <QtTest>

#include "PortFormHarness.h"
#include "SimulatorProcess.h"

class TestDiscoveryPty : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("VQ880_SIM")) QSKIP("the simulator program is not known");
    }

    void unlockedScanFindsTheReaderAtItsSpeed() {
        PortFormHarness h;
        h.LinkMissingPort(1);
        SimulatorProcess sim(h.SimulatorLink(2) + QStringList{"--line", "38400,e,8,1", "--serial",
                                                              "SIM00042", "--reader-number", "23",
                                                              "--version", "02.10-07"});
        QVERIFY(sim.started());
        TfrmModule& f = h.form();
        Ui(f).chkLock->setChecked(false);

        Ui(f).btnScan->click();

        QVERIFY(f.context().ReaderFound);
        QCOMPARE(Ui(f).pnMsg->caption(), QString("Get Reader Info Ok. (COM : #2)"));
        QCOMPARE(Ui(f).pnSerial->caption(), QString("S/N : SIM00042"));
        QCOMPARE(Ui(f).pnID->caption(), QString("23"));
        QCOMPARE(Ui(f).sbID->value(), 23);
        QCOMPARE(Ui(f).pnVersion->caption(), QString("VER : 02.10-07"));
        QCOMPARE(Ui(f).shComm->brushColor(), ColorYellow);
        // A pseudo-terminal carries no parity, so the first setting at the reader's speed is
        // heard: "38400,n,8,1".
        QCOMPARE(f.context().ScanCommNo, 2);
        QCOMPARE(f.context().ScanBaudRateNo, 6);
        QCOMPARE(f.context().ScanBaudRate, QString("38400,n,8,1"));
        QCOMPARE(Ui(f).cmbBaudRate->currentIndex(), 6);
        QVERIFY(h.tones.Last(1000, 300));
        QVERIFY(!QGuiApplication::overrideCursor());
        QVERIFY(f.isEnabled());
    }

    void readingRunShowsTheTagsInTurnUntilCancelled() {
        PortFormHarness h;
        SimulatorProcess sim(h.SimulatorLink(4) +
                             QStringList{"--tags", "00000001,0000BC61,80000000"});
        QVERIFY(sim.started());
        TfrmModule& f = h.form();
        f.context().ScanCommNo = 4;  // where a scan would find it; the saved port is tried first
        Ui(f).btnScan->click();
        QVERIFY(f.context().ReaderFound);
        QStringList shown;
        h.tones.onBeep = [&](int frequency, int duration) {
            if (frequency == 1000 && duration == 30) shown << Ui(f).pnCardID->caption();
        };
        QString captionAtCancel;
        QTimer::singleShot(1500, &f, [&] {
            captionAtCancel = Ui(f).btnReadCard->text();
            Ui(f).btnReadCard->click();
        });

        Ui(f).btnReadCard->click();

        QCOMPARE(captionAtCancel, QString("Cancel Read TAG"));
        QVERIFY2(shown.size() >= 6, qPrintable(QString::number(shown.size())));
        const QStringList tags = {"TAG ID : 0000000001  00000001(H)",
                                  "TAG ID : 0000048225  0000BC61(H)",
                                  "TAG ID : -2147483648  80000000(H)"};
        const qsizetype first = tags.indexOf(shown[0]);
        QVERIFY(first >= 0);
        for (qsizetype i = 0; i < shown.size(); ++i)
            QCOMPARE(shown[i], tags[(first + i) % tags.size()]);
        QCOMPARE(Ui(f).btnReadCard->text(), QString("Read TAG"));
        QCOMPARE(Ui(f).pnCardID->caption(), QString("TAG ID"));
        QCOMPARE(Ui(f).shComm->brushColor(), ColorYellow);
        QVERIFY(!f.context().TagReading);
        // The port is free again: the simulator's device opens.
        LinuxSerialLine other;
        QVERIFY(other.Open(sim.device()).opened());
        other.Close();
    }

    void readerThatVanishesLeavesTheRunToItsCancel() {
        PortFormHarness h;
        SimulatorProcess sim(h.SimulatorLink(4) + QStringList{"--tags", "00000005"});
        QVERIFY(sim.started());
        TfrmModule& f = h.form();
        f.context().ScanCommNo = 4;
        Ui(f).btnScan->click();
        QVERIFY(f.context().ReaderFound);
        int tagsBefore = 0, tagsAfter = 0;
        bool gone = false;
        h.tones.onBeep = [&](int, int duration) {
            if (duration == 30) (gone ? tagsAfter : tagsBefore)++;
        };
        QTimer::singleShot(600, &f, [&] {
            sim.Kill();
            // Its link goes too: a terminal that later takes the freed name is no reader of it.
            QFile::remove(PortNames(h.machineFolder.path()).LinkPath(4));
            gone = true;
        });
        QTimer::singleShot(2000, &f, [&] { Ui(f).btnReadCard->click(); });

        Ui(f).btnReadCard->click();

        QVERIFY(gone);
        QVERIFY(tagsBefore > 0);
        QCOMPARE(tagsAfter, 0);
        QVERIFY(!f.context().TagReading);
        QCOMPARE(Ui(f).btnReadCard->text(), QString("Read TAG"));
        QVERIFY(h.tones.Last(1000, 300));
        QVERIFY(Ui(f).btnScan->isEnabled());
        QVERIFY(f.isEnabled());
    }

    // The adapter pulled out during a reading run and put back at the same link: nothing is
    // read while it is away, then the port is opened again and the tags show as before.
    void readingRunPicksTheReaderUpAgain() {
        PortFormHarness h;
        SimulatorProcess sim(h.SimulatorLink(4) + QStringList{"--tags", "00000005", "--commands"});
        QVERIFY(sim.started());
        TfrmModule& f = h.form();
        f.context().ScanCommNo = 4;
        Ui(f).btnScan->click();
        QVERIFY(f.context().ReaderFound);
        enum Phase { Before, Leaving, Away, Back };
        Phase phase = Before;
        int tags[4] = {};
        QString captionAfter;
        h.tones.onBeep = [&](int, int duration) {
            if (duration != 30) return;
            ++tags[phase];
            if (phase == Back) captionAfter = Ui(f).pnCardID->caption();
        };
        QTimer::singleShot(600, &f, [&] {
            sim.Command("adapter-out");
            phase = Leaving;  // a tag already on its way may still come
        });
        QTimer::singleShot(750, &f, [&] { phase = Away; });
        QTimer::singleShot(1400, &f, [&] {
            phase = Back;
            sim.Command("adapter-in");
        });
        QTimer::singleShot(2600, &f, [&] { Ui(f).btnReadCard->click(); });

        Ui(f).btnReadCard->click();

        QVERIFY(tags[Before] > 0);
        QCOMPARE(tags[Away], 0);
        QVERIFY(tags[Back] > 0);
        QCOMPARE(captionAfter, QString("TAG ID : 0000000005  00000005(H)"));
        QVERIFY(!f.context().TagReading);
        QCOMPARE(Ui(f).btnReadCard->text(), QString("Read TAG"));
        QVERIFY(f.isEnabled());
        // The port is free again: the simulator's new device opens.
        LinuxSerialLine other;
        QVERIFY(other.Open(PortNames(h.machineFolder.path()).DevicePath(4)).opened());
        other.Close();
    }
};

QTEST_MAIN(TestDiscoveryPty)
#include "tst_discovery_pty.moc"
