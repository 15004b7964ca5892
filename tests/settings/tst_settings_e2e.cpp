// The setting operations through the real serial line: QSerialPort against the simulator
// program on a pseudo-terminal, on the machine's own clock.
#include <QtTest>

#include "PortFormHarness.h"
#include "SimulatorProcess.h"

class SettingsEndToEndTest : public QObject {
    Q_OBJECT
  private slots:
    void newNumberAndLineSpeedThenFactoryDefault();
};

void SettingsEndToEndTest::newNumberAndLineSpeedThenFactoryDefault() {
    // The tones are recorded, not waited for.
    PortFormHarness h(PortFormHarness::ToneTime::NotWaited);
    // COM1 and COM2 lead nowhere, so a port scan passes them at once and reaches COM3.
    h.LinkMissingPort(1);
    h.LinkMissingPort(2);
    SimulatorProcess sim(
        QStringList{"--line", "19200,e,8,1", "--reader-number", "5", "--serial", "40002718"} +
        h.SimulatorLink(3));
    QVERIFY2(sim.started(), "the simulator program did not start");
    TfrmModule& form = h.form();

    form.btnScanClick();
    QVERIFY(form.context().ReaderFound);
    QCOMPARE(form.context().ScanCommNo, 3);
    QCOMPARE(Ui(form).pnID->caption(), QString("05"));

    Ui(form).sbID->setValue(42);
    form.btnIDClick();
    QCOMPARE(Ui(form).pnMsg->caption(), QString("Set Reader ID Ok"));
    Ui(form).cmbBaudRate->setCurrentIndex(8);  // "57600,n,8,1"
    form.btnBaudRateClick();
    QCOMPARE(Ui(form).pnMsg->caption(), QString("Set Reader BaudRate Ok"));
    QCOMPARE(form.context().ScanBaudRate, QString("57600,n,8,1"));

    // The scan finds the reader where the tool now expects it, under its new number.
    form.btnScanClick();
    QVERIFY(form.context().ReaderFound);
    QCOMPARE(form.context().ScanBaudRate, QString("57600,n,8,1"));
    QCOMPARE(Ui(form).pnID->caption(), QString("42"));
    QCOMPARE(Ui(form).pnSerial->caption(), QString("S/N : 40002718"));

    Ui(form).sbSameCard->setValue(300);
    form.btnFactoryClick();
    QCOMPARE(Ui(form).pnMsg->caption(), QString("Set Default Ok"));
    QCOMPARE(Ui(form).shComm->brushColor(), ColorYellow);
    QCOMPARE(Ui(form).pnSameCard->caption(), QString("0010"));
    QCOMPARE(form.context().ScanBaudRate, QString("57600,n,8,1"));

    // Back at its default the reader answers at 19200 baud (a pseudo-terminal carries no
    // parity, so the port scan meets it at the first 19200 setting) under number 01.
    Ui(form).chkLock->setChecked(false);
    form.btnScanClick();
    QVERIFY(form.context().ReaderFound);
    QCOMPARE(form.context().ScanCommNo, 3);
    QVERIFY2(form.context().ScanBaudRate.startsWith("19200,"),
             qPrintable(form.context().ScanBaudRate));
    QCOMPARE(Ui(form).pnID->caption(), QString("01"));

    form.btnResetClick();
    QCOMPARE(Ui(form).pnMsg->caption(), QString("Reader Reset Ok"));
    QVERIFY(form.isEnabled());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
}

QTEST_MAIN(SettingsEndToEndTest)
#include "tst_settings_e2e.moc"
