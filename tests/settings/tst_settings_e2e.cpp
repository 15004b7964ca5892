// The setting operations through the real serial line: QSerialPort against the simulator
// program on a pseudo-terminal, on the machine's own clock.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "Clock.h"
#include "FormHarness.h"
#include "PortNames.h"
#include "QtSerialLine.h"
#include "ReaderOperations.h"
#include "SimulatorProcess.h"

class SettingsEndToEndTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void newNumberAndLineSpeedThenFactoryDefault();

  private:
    std::unique_ptr<QTemporaryDir> folder_;
};

void SettingsEndToEndTest::init() {
    folder_ = std::make_unique<QTemporaryDir>();
    // COM1 and COM2 lead nowhere, so a port scan passes them at once and reaches COM3.
    QDir(folder_->path()).mkpath("ports");
    const PortNames names(folder_->path());
    QFile::link(folder_->filePath("absent-1"), names.LinkPath(1));
    QFile::link(folder_->filePath("absent-2"), names.LinkPath(2));
}

void SettingsEndToEndTest::newNumberAndLineSpeedThenFactoryDefault() {
    SimulatorProcess sim({"--line", "19200,e,8,1", "--reader-number", "5", "--serial", "40002718",
                          "--link", "COM3", "--machine-folder", folder_->path()});
    QVERIFY2(sim.started(), "the simulator program did not start");

    QtSerialLine line;
    SteadyClock clock;
    VirtualClock toneClock;  // the tones are recorded, not waited for
    ToneRecorder tones(toneClock);
    ModuleServices services;
    services.line = &line;
    services.clock = &clock;
    services.tone = &tones;
    services.machineFolder = folder_->path();
    services.processMessages = [] { QCoreApplication::processEvents(); };
    TfrmModule form(services);
    form.show();

    form.btnScanClick();
    QVERIFY(form.ReaderFound);
    QCOMPARE(form.ScanCommNo, 3);
    QCOMPARE(form.pnID->caption(), QString("05"));

    form.sbID->setValue(42);
    form.btnIDClick();
    QCOMPARE(form.pnMsg->caption(), QString("Set Reader ID Ok"));
    form.cmbBaudRate->setCurrentIndex(8);  // "57600,n,8,1"
    form.btnBaudRateClick();
    QCOMPARE(form.pnMsg->caption(), QString("Set Reader BaudRate Ok"));
    QCOMPARE(form.ScanBaudRate, QString("57600,n,8,1"));

    // The scan finds the reader where the tool now expects it, under its new number.
    form.btnScanClick();
    QVERIFY(form.ReaderFound);
    QCOMPARE(form.ScanBaudRate, QString("57600,n,8,1"));
    QCOMPARE(form.pnID->caption(), QString("42"));
    QCOMPARE(form.pnSerial->caption(), QString("S/N : 40002718"));

    form.sbSameCard->setValue(300);
    form.btnFactoryClick();
    QCOMPARE(form.pnMsg->caption(), QString("Set Default Ok"));
    QCOMPARE(form.shComm->brushColor(), ColorYellow);
    QCOMPARE(form.pnSameCard->caption(), QString("0010"));
    QCOMPARE(form.ScanBaudRate, QString("57600,n,8,1"));

    // Back at its default the reader answers at 19200 baud (a pseudo-terminal carries no
    // parity, so the port scan meets it at the first 19200 setting) under number 01.
    form.chkLock->setChecked(false);
    form.btnScanClick();
    QVERIFY(form.ReaderFound);
    QCOMPARE(form.ScanCommNo, 3);
    QVERIFY2(form.ScanBaudRate.startsWith("19200,"), qPrintable(form.ScanBaudRate));
    QCOMPARE(form.pnID->caption(), QString("01"));

    form.btnResetClick();
    QCOMPARE(form.pnMsg->caption(), QString("Reader Reset Ok"));
    QVERIFY(form.isEnabled());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
}

QTEST_MAIN(SettingsEndToEndTest)
#include "tst_settings_e2e.moc"
