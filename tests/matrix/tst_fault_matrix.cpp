// The fault matrix: every operation of the window against every fault of the reader, end to
// end: the real window on the offscreen platform, QSerialPort and the steady clock against the
// simulator program on a pseudo-terminal. Each cell checks the outcome the tool defines, that
// the window and cursor are back, that the port is let go and that the kept settings changed
// only where a scan found the reader. The whole matrix is written to the build tree's
// docs/fault-matrix.md.

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QSerialPort>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <optional>

#include "FaultCells.h"
#include "MatrixReport.h"
#include "PortFormHarness.h"
#include "PortRelease.h"
#include "ReaderLink.h"
#include "SerialLineLinux.h"
#include "SettingsStore.h"
#include "SimulatorProcess.h"

namespace {

// The operations after the scan run at the fastest line: a flood of 2000 bytes then takes
// 0.2 s an exchange instead of 1.1 s.
const QString FastLine = "115200,n,8,1";
constexpr int FastLineIndex = 10;
const QString NewLine = "57600,n,8,1";  // what the line-speed operation asks for
constexpr int NewLineIndex = 8;
const QString TagShown = "TAG ID : 0000048232  0000BC68(H)";

std::optional<QByteArray> FileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll();
}

QString TagsText(int tags, const QString& panelAfter) {
    return QString("%1 tag%2, then %3").arg(tags).arg(tags == 1 ? "" : "s").arg(panelAfter);
}

// What a cell shows in the table: the message panel, or for the tag reading the tags shown
// and the tag panel after the cancel.
QString ExpectedShown(Operation operation, const ExpectedOutcome& expected) {
    if (operation == Operation::ReadTags) return TagsText(expected.tagsShown, "TAG ID");
    return expected.text;
}

// Values that make each setting command the one FaultCells names, and make the operation's
// own effects visible.
void PrepareControls(TfrmModule& form, Operation operation) {
    switch (operation) {
        case Operation::ReaderId:
            Ui(form).sbID->setValue(42);
            break;
        case Operation::LineSpeed:
            Ui(form).cmbBaudRate->setCurrentIndex(NewLineIndex);
            break;
        case Operation::FactoryDefault:
            Ui(form).sbSameCard->setValue(300);  // the preparation puts it back to 10
            break;
        default:
            break;
    }
}

void RunSettingOperation(TfrmModule& form, Operation operation) {
    switch (operation) {
        case Operation::SameCard:
            Ui(form).btnSameCard->click();
            break;
        case Operation::InputNoNc:
            Ui(form).btnNoNc->click();
            break;
        case Operation::ReaderMode:
            Ui(form).btnMode->click();
            break;
        case Operation::ReaderId:
            Ui(form).btnID->click();
            break;
        case Operation::LineSpeed:
            Ui(form).btnBaudRate->click();
            break;
        case Operation::RssiLevel:
            Ui(form).btnRSSI->click();
            break;
        // Out of the operator's reach (disabled, outside the client area): the handlers.
        case Operation::RadioAddress:
            form.btnAddrClick();
            break;
        case Operation::RadioFrequency:
            form.btnFreqClick();
            break;
        case Operation::RadioChannel:
            form.btnChannelClick();
            break;
        case Operation::FactoryDefault:
            Ui(form).btnFactory->click();
            break;
        case Operation::Reset:
            Ui(form).btnReset->click();
            break;
        case Operation::Scan:
        case Operation::ReadTags:
            break;
    }
}

struct ReadingRun {
    int tagCommands = 0;
    QStringList panelAtCommand;  // pnCardID as each "A00F" goes out
    QStringList tagsShown;       // pnCardID at each tag tone
};

// A reading run that the operator cancels while its fourth "A00F" awaits the reply; that
// exchange completes, and the run ends with it. A run whose port went away sends no more
// frames: the operator cancels it half a second after the last one.
ReadingRun ReadTagsAndCancel(PortFormHarness& h, TfrmModule& form) {
    ReadingRun run;
    QTimer quiet;
    quiet.setSingleShot(true);
    quiet.setInterval(500);
    QObject::connect(&quiet, &QTimer::timeout, [&form] {
        if (form.context().TagReading) Ui(form).btnReadCard->click();
    });
    h.observed.onCommand = [&](const QByteArray& text) {
        if (text != "A00F") return;
        run.panelAtCommand << Ui(form).pnCardID->caption();
        quiet.start();
        if (++run.tagCommands == PassesBeforeCancel) Ui(form).btnReadCard->click();
    };
    h.tones.onBeep = [&](int frequencyHz, int durationMs) {
        if (frequencyHz == 1000 && durationMs == 30) run.tagsShown << Ui(form).pnCardID->caption();
    };
    Ui(form).btnReadCard->click();
    h.observed.onCommand = nullptr;
    h.tones.onBeep = nullptr;
    return run;
}

}  // namespace

class FaultMatrixTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cell_data();
    void cell();
    void cleanupTestCase();

  private:
    MatrixReport report_;
    QElapsedTimer elapsed_;
};

void FaultMatrixTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty("VQ880_SIM")) QSKIP("the simulator program is not known");
    elapsed_.start();

    // The lower-case cells test what they claim: these replies have a letter in their check.
    QVERIFY(LowerCaseSpoils("A00B"));
    QVERIFY(LowerCaseSpoils("A00V"));
    QVERIFY(LowerCaseSpoils("A00F"));

    // The port checks can fail: a held port shows as a descriptor and a lock file.
    PortFormHarness h;
    SimulatorProcess sim(h.SimulatorLink(ReaderCom));
    QVERIFY(sim.started());
    const QString path = PortNames(h.machineFolder.path()).LinkPath(ReaderCom);
    LinuxSerialLine line;
    QVERIFY(line.Open(path).opened());
    QVERIFY(HoldsDevice(sim.device()));
    QVERIFY2(!SerialLockFiles(path).isEmpty(), qPrintable(path));
    line.Close();
    QVERIFY(!HoldsDevice(sim.device()));
    QVERIFY(SerialLockFiles(path).isEmpty());
}

void FaultMatrixTest::cell_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<int>("fault");
    for (Operation operation : AllOperations())
        for (Fault fault : AllFaults())
            QTest::newRow(qPrintable(OperationName(operation) + " / " + FaultName(fault)))
                << int(operation) << int(fault);
}

void FaultMatrixTest::cell() {
    QFETCH(int, operation);
    QFETCH(int, fault);
    const auto op = Operation(operation);
    const auto injected = Fault(fault);
    const ExpectedOutcome expected = Expected(op, injected);
    MatrixReport::Cell& record = report_.At(op, injected);
    record.expected = ExpectedShown(op, expected);

    PortFormHarness h(PortFormHarness::ToneTime::NotWaited);
    for (int com = 1; com <= 16; ++com)
        if (com != ReaderCom) h.LinkMissingPort(com);
    const QString folder = h.machineFolder.path();
    const QString portPath = PortNames(folder).LinkPath(ReaderCom);
    const QString storeFile = SettingsStore(folder).filePath();
    const QStringList reader = ReaderArguments() + h.SimulatorLink(ReaderCom);

    std::unique_ptr<SimulatorProcess> sim;
    if (op == Operation::Scan) {
        // A fresh store, chkLock as the window opens: COM1 to COM16 at "19200,e,8,1".
        sim = std::make_unique<SimulatorProcess>(reader + FaultArguments(op, injected));
        QVERIFY(sim->started());
    } else {
        // A healthy reader is found by a real scan; the faulty one then takes its place.
        SettingsStore(folder).SaveScan(0, FastLineIndex, FastLine);
        const QStringList fast = reader + QStringList{"--line", FastLine};
        {
            SimulatorProcess healthy(fast);
            QVERIFY(healthy.started());
            Ui(h.form()).btnScan->click();
            QVERIFY(h.form().context().ReaderFound);
            QCOMPARE(h.form().context().ScanBaudRate, FastLine);
        }
        sim = std::make_unique<SimulatorProcess>(fast + FaultArguments(op, injected));
        QVERIFY(sim->started());
    }
    TfrmModule& form = h.form();
    QVERIFY(Ui(form).chkLock->isChecked());
    const std::optional<QByteArray> storeBefore = FileBytes(storeFile);
    const int tonesBefore = int(h.tones.tones.size());

    ReadingRun run;
    if (op == Operation::Scan) {
        Ui(form).btnScan->click();
        record.shown = Ui(form).pnMsg->caption();
    } else if (op == Operation::ReadTags) {
        run = ReadTagsAndCancel(h, form);
        record.shown = TagsText(int(run.tagsShown.size()), Ui(form).pnCardID->caption());
    } else {
        // The radio buttons start disabled and stay so: only their handlers reach them.
        QVERIFY(!Ui(form).btnAddr->isEnabled() && !Ui(form).btnFreq->isEnabled() &&
                !Ui(form).btnChannel->isEnabled());
        PrepareControls(form, op);
        RunSettingOperation(form, op);
        record.shown = Ui(form).pnMsg->caption();
    }

    // The outcome, as the panel, the indicator and the tone show it.
    QCOMPARE(record.shown, record.expected);
    QCOMPARE(Ui(form).pnMsg->caption(), expected.text);
    QCOMPARE(Ui(form).shComm->brushColor(), expected.indicator);
    QVERIFY(h.tones.tones.size() > tonesBefore);
    QVERIFY(expected.indicator == ColorYellow ? h.tones.Last(1000, 300) : h.tones.Last(300, 300));
    QVERIFY(form.isEnabled());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);

    // What each operation leaves behind.
    if (op == Operation::Scan) {
        QCOMPARE(form.context().ReaderFound, expected.success);
        QCOMPARE(QFile::exists(storeFile), expected.storeWritten);
        if (expected.storeWritten) {
            KeptSettings kept;
            SettingsStore(folder).Load(kept);
            QCOMPARE(kept.ScanCommNo, ReaderCom);
            QCOMPARE(kept.ScanBaudRateNo, 5);
            QCOMPARE(kept.ScanBaudRate, QString("19200,e,8,1"));
        }
    } else {
        QVERIFY(storeBefore.has_value());
        QCOMPARE(FileBytes(storeFile), storeBefore);
        QVERIFY(form.context().ReaderFound);
    }
    if (op == Operation::ReadTags) {
        // No frame goes to a port that went away, after the one that met it gone.
        QCOMPARE(run.tagCommands,
                 injected == Fault::Vanishes ? VanishAfterFrames(op) + 1 : PassesBeforeCancel);
        for (const QString& tag : run.tagsShown) QCOMPARE(tag, TagShown);
        // The tag panel never showed a tag that the reader did not send.
        if (expected.tagsShown == 0)
            for (const QString& panel : run.panelAtCommand) QCOMPARE(panel, QString("TAG ID"));
        QCOMPARE(Ui(form).pnCardID->caption(), QString("TAG ID"));
        QCOMPARE(Ui(form).btnReadCard->text(), QString("Read TAG"));
        QVERIFY(!form.context().TagReading);
        QVERIFY(Ui(form).btnScan->isEnabled());
        QVERIFY(Ui(form).gbDefault->isEnabled());
        QCOMPARE(Ui(form).shCard->brushColor(), ColorWhite);
    }
    if (op == Operation::LineSpeed) {
        // The tool follows the reader to the new line only when it confirmed the change.
        QCOMPARE(form.context().ScanBaudRate, expected.success ? NewLine : FastLine);
        QCOMPARE(form.context().ScanBaudRateNo, expected.success ? NewLineIndex : FastLineIndex);
    }
    if (op == Operation::FactoryDefault) {
        QCOMPARE(Ui(form).pnSameCard->caption(), QString("0010"));
        QCOMPARE(Ui(form).cmbBaudRate->currentIndex(), 5);
        QCOMPARE(form.context().ScanBaudRate, FastLine);
    }

    // The port is let go.
    QVERIFY(!HoldsDevice(sim->device()));
    QVERIFY(SerialLockFiles(portPath).isEmpty());
    if (injected == Fault::Vanishes) {
        // The reader's device is gone with it: a new open fails for absence, not as busy.
        QProcess& gone = sim->process();
        QVERIFY(gone.state() == QProcess::NotRunning || gone.waitForFinished(5000));
        QSerialPort probe(portPath);
        QVERIFY(!probe.open(QIODevice::ReadWrite));
        QCOMPARE(probe.error(), QSerialPort::DeviceNotFoundError);
    } else {
        LinuxSerialLine fresh;
        SteadyClock clock;
        const PortNames names(folder);
        ReaderLink link(fresh, clock, names, {});
        QVERIFY(link.OpenPort(ReaderCom, form.context().ScanBaudRate));
        link.ClosePort();
    }
    record.pass = true;
}

void FaultMatrixTest::cleanupTestCase() {
    const double seconds = elapsed_.isValid() ? elapsed_.elapsed() / 1000.0 : 0;
    qInfo("fault matrix: %d cells not as defined, %.1f s", report_.Failures(), seconds);
    if (!report_.Complete()) {
        qInfo("only part of the matrix ran: %s is left as it is", VQ880_FAULT_MATRIX_PATH);
        return;
    }
    QVERIFY2(report_.Write(QStringLiteral(VQ880_FAULT_MATRIX_PATH)), VQ880_FAULT_MATRIX_PATH);
}

QTEST_MAIN(FaultMatrixTest)
#include "tst_fault_matrix.moc"
