// The main window on the offscreen platform: its controls at start, the layout, keyboard,
// closing, the busy and wait modes and the two timers.
#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "FormHarness.h"

namespace {
// Busy mode or wait mode, as an operation begins or ends it.
void Mode(TfrmModule& form, OperationStep::Kind kind, bool on) {
    OperationStep step;
    step.kind = kind;
    step.on = on;
    form.Report(step);
}
}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void scrollBarKeys_data();
    void scrollBarKeys();
    void lineSettingRowsAre20PixelsHigh();
    void outcomeIsPaintedBeforeItsTone();
    void firstStartWithoutStoredSettings();
    void storedSettingsAreShown();
    void layout_data();
    void layout();
    void windowHasFixedSizeAndNoCloseOrMaximiseBox();
    void radioGroupLiesOutsideTheClientArea();
    void tabWalksTheControlsInOrder();
    void focusComesBackAfterAnOperation_data();
    void focusComesBackAfterAnOperation();
    void enterPressesTheDefaultButton_data();
    void enterPressesTheDefaultButton();
    void closeRequestIsIgnoredButExitCloses();
    void busyModeBlinksAndKeepsItsPhase();
    void busyTimerIsBoundAndFirstTickIsRed();
    void waitModeSetsAndRestoresCursorAndInput();
    void cardTimerTurnsTheTagIndicatorWhiteOnce();
    void tagTooltipGivesTheControllersLayouts();
    void scrollBarChanges_data();
    void scrollBarChanges();
    void unchangedPositionLeavesThePanelAlone();
    void exceptionInHandlerIsShownAndWindowRecovers();
};

void MainWindowTest::firstStartWithoutStoredSettings() {
    FormHarness h;
    TfrmModule& f = h.form();
    QCOMPARE(f.windowTitle(), QString("TAVIN VQ880-1W Reader Config V1.70-01"));
    QCOMPARE(Ui(f).pnTAVIN->caption(), QString("TAVIN Technology Corp.   www.example.com"));
    QCOMPARE(Ui(f).pnMsg->caption(), QString("Start Scan Reader!"));
    QCOMPARE(Ui(f).shComm->brushColor(), QColor(255, 0, 0));
    QCOMPARE(Ui(f).shComm->kind(), TShape::Kind::Circle);
    QCOMPARE(Ui(f).pnSerial->caption(), QString("S/N : ________"));
    QCOMPARE(Ui(f).pnVersion->caption(), QString("VER : __.__-__"));
    QCOMPARE(Ui(f).btnScan->text(), QString("Scan Reader"));
    QCOMPARE(Ui(f).lblID->text(), QString("ID:"));
    QCOMPARE(Ui(f).pnID->caption(), QString("__"));
    QCOMPARE(Ui(f).sbID->value(), 1);
    QCOMPARE(Ui(f).btnID->text(), QString("Set Reader ID"));
    QCOMPARE(Ui(f).lblBaudRate->text(), QString("BaudRate:"));
    QCOMPARE(Ui(f).cmbBaudRate->count(), 12);
    QCOMPARE(Ui(f).cmbBaudRate->itemText(0), QString("4800,n,8,1"));
    QCOMPARE(Ui(f).cmbBaudRate->itemText(11), QString("115200,e,8,1"));
    QCOMPARE(Ui(f).cmbBaudRate->currentText(), QString("19200,e,8,1"));
    QVERIFY(Ui(f).chkLock->isChecked());
    QVERIFY(Ui(f).chkLock->text().isEmpty());
    QCOMPARE(Ui(f).btnBaudRate->text(), QString("Set Reader Baud Rate"));
    QCOMPARE(Ui(f).pnSameCard->caption(), QString("0010"));
    QCOMPARE(Ui(f).sbSameCard->value(), 10);
    QCOMPARE(Ui(f).lblSameCard->text(), QString("Sec"));
    QVERIFY(Ui(f).rbNO->isChecked());
    QVERIFY(!Ui(f).rbNC->isChecked());
    QCOMPARE(Ui(f).btnSameCard->text(), QString("Set Same Card"));
    QCOMPARE(Ui(f).btnNoNc->text(), QString("Set DI NO/NC"));
    QCOMPARE(Ui(f).cmbWiegand->currentText(), QString("Wiegand 26 bits"));
    QCOMPARE(Ui(f).cmbWiegand->count(), 3);
    QCOMPARE(Ui(f).cmbRS485->currentText(), QString("RS485 32 bits"));
    QCOMPARE(Ui(f).cmbRS485->count(), 4);
    QCOMPARE(Ui(f).btnMode->text(), QString("Set Reader Mode"));
    QCOMPARE(Ui(f).shCard->brushColor(), QColor(255, 255, 255));
    QCOMPARE(Ui(f).shCard->kind(), TShape::Kind::RoundRect);
    QCOMPARE(Ui(f).pnCardID->caption(), QString("TAG ID"));
    QCOMPARE(Ui(f).btnReadCard->text(), QString("Read TAG"));
    QCOMPARE(Ui(f).gbDefault->title(), QString("Factory Setting"));
    QCOMPARE(Ui(f).pnRSSI->caption(), QString("0"));
    QCOMPARE(Ui(f).sbRSSI->value(), 0);
    QCOMPARE(Ui(f).btnRSSI->text(), QString("Set RSSI Level"));
    QCOMPARE(Ui(f).btnReset->text(), QString("Reader Reset"));
    QCOMPARE(Ui(f).btnFactory->text(), QString("Factory Default"));
    QCOMPARE(Ui(f).btnEng->text(), QString("English"));
    // Red while usable, and not red once disabled, so a locked button does not look clickable.
    QCOMPARE(Ui(f).btnEng->palette().color(QPalette::Active, QPalette::ButtonText), ColorRed);
    QVERIFY(Ui(f).btnEng->palette().color(QPalette::Disabled, QPalette::ButtonText) != ColorRed);
    QVERIFY(Ui(f).btnGB->text().isEmpty());
    QVERIFY(!Ui(f).btnGB->icon().isNull());
    QVERIFY(Ui(f).btnBIG5->text().isEmpty());
    QVERIFY(!Ui(f).btnBIG5->icon().isNull());
    QCOMPARE(Ui(f).btnExit->text(), QString("Exit"));
    QVERIFY(!Ui(f).btnExit->icon().isNull());
    QCOMPARE(Ui(f).GroupBox1->title(), QString("GroupBox1"));
    QCOMPARE(Ui(f).pnAddr->caption(), QString("049"));
    QCOMPARE(Ui(f).sbAddr->value(), 49);
    QCOMPARE(Ui(f).pnFreq->caption(), QString("059"));
    QCOMPARE(Ui(f).sbFreq->value(), 59);
    QCOMPARE(Ui(f).pnChannel->caption(), QString("000"));
    QCOMPARE(Ui(f).sbChannel->value(), 0);
    QVERIFY(!Ui(f).btnAddr->isEnabled());
    QVERIFY(!Ui(f).btnFreq->isEnabled());
    QVERIFY(!Ui(f).btnChannel->isEnabled());
    QCOMPARE(Ui(f).btnAddr->text(), QString("Set Address"));

    QVERIFY(!Ui(f).tmrBusy->isActive());
    QCOMPARE(Ui(f).tmrBusy->interval(), 200);
    QVERIFY(!Ui(f).tmrCard->isActive());
    QCOMPARE(Ui(f).tmrCard->interval(), 1000);

    QCOMPARE(f.context().ScanCommNo, 0);
    QCOMPARE(f.context().ScanBaudRate, QString("19200,e,8,1"));
    QCOMPARE(f.context().ScanBaudRateNo, 5);
    QCOMPARE(f.context().LanguageFlag, QString("English"));
    QCOMPARE(f.context().LanguageIndex, 0);
    QVERIFY(!f.context().ReaderFound);
    QVERIFY(!f.context().TagReading);
    QVERIFY(f.isEnabled());
    QVERIFY(!QGuiApplication::overrideCursor());
    // Starting writes nothing.
    QVERIFY(!h.SettingsFileExists());
}

void MainWindowTest::storedSettingsAreShown() {
    FormHarness h;
    h.StoreSettings({7, "9600,n,8,1", 2, "ChineseBIG5"});
    TfrmModule& f = h.form();
    QCOMPARE(f.context().ScanCommNo, 7);
    QCOMPARE(f.context().ScanBaudRate, QString("9600,n,8,1"));
    QCOMPARE(f.context().ScanBaudRateNo, 2);
    QCOMPARE(Ui(f).cmbBaudRate->currentText(), QString("9600,n,8,1"));
    QCOMPARE(f.context().LanguageFlag, QString("ChineseBIG5"));
    QCOMPARE(f.context().LanguageIndex, 2);
    QCOMPARE(Ui(f).btnScan->text(), QString("掃描讀卡機"));
    QVERIFY(!f.context().ReaderFound);
}

// The layout at 96 dpi: every control under its name, with its kind, parent and rectangle.
void MainWindowTest::layout_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("rect");
    struct Row {
        const char* name;
        const char* kind;
        const char* parent;
        int x, y, w, h;
    };
    const Row rows[] = {
        {"pnMsg", "TPanel", "frmModule", 8, 4, 345, 40},
        {"shComm", "TShape", "pnMsg", 310, 8, 23, 20},
        {"pnSerial", "TPanel", "frmModule", 8, 48, 169, 28},
        {"pnVersion", "TPanel", "frmModule", 184, 48, 169, 28},
        {"btnScan", "QPushButton", "frmModule", 8, 78, 345, 43},
        {"lblID", "QLabel", "frmModule", 8, 133, 49, 22},
        {"pnID", "TPanel", "frmModule", 64, 130, 33, 25},
        {"sbID", "QScrollBar", "frmModule", 104, 131, 249, 23},
        {"btnID", "QPushButton", "frmModule", 8, 158, 345, 43},
        {"lblBaudRate", "QLabel", "frmModule", 8, 213, 153, 22},
        {"cmbBaudRate", "QComboBox", "frmModule", 168, 208, 161, 28},
        {"chkLock", "QCheckBox", "frmModule", 336, 212, 17, 17},
        {"btnBaudRate", "QPushButton", "frmModule", 8, 238, 345, 43},
        {"pnSameCard", "TPanel", "frmModule", 8, 290, 57, 25},
        {"sbSameCard", "QScrollBar", "frmModule", 64, 291, 113, 23},
        {"lblSameCard", "QLabel", "frmModule", 184, 293, 33, 22},
        {"gbNoNc", "QGroupBox", "frmModule", 224, 280, 129, 33},
        {"rbNO", "QRadioButton", "gbNoNc", 8, 12, 41, 17},
        {"rbNC", "QRadioButton", "gbNoNc", 64, 12, 41, 17},
        {"btnSameCard", "QPushButton", "frmModule", 8, 318, 185, 43},
        {"btnNoNc", "QPushButton", "frmModule", 200, 318, 153, 43},
        {"cmbWiegand", "QComboBox", "frmModule", 8, 368, 169, 28},
        {"cmbRS485", "QComboBox", "frmModule", 184, 368, 169, 28},
        {"btnMode", "QPushButton", "frmModule", 8, 398, 345, 43},
        {"shCard", "TShape", "frmModule", 10, 451, 29, 20},
        {"pnCardID", "TPanel", "frmModule", 44, 448, 311, 28},
        {"btnReadCard", "QPushButton", "frmModule", 8, 480, 345, 33},
        {"gbDefault", "QGroupBox", "frmModule", 360, 4, 289, 437},
        {"pnRSSI", "TPanel", "gbDefault", 8, 26, 41, 25},
        {"sbRSSI", "QScrollBar", "gbDefault", 48, 27, 233, 23},
        {"btnRSSI", "QPushButton", "gbDefault", 8, 54, 273, 43},
        {"btnReset", "QPushButton", "gbDefault", 8, 272, 273, 65},
        {"btnFactory", "QPushButton", "gbDefault", 8, 352, 273, 73},
        {"btnEng", "QPushButton", "frmModule", 359, 448, 90, 24},
        {"btnGB", "QPushButton", "frmModule", 460, 448, 89, 24},
        {"btnBIG5", "QPushButton", "frmModule", 560, 448, 89, 24},
        {"btnExit", "QPushButton", "frmModule", 360, 480, 289, 33},
        {"pnTAVIN", "TPanel", "frmModule", 8, 517, 641, 21},
        {"GroupBox1", "QGroupBox", "frmModule", 688, 16, 353, 505},
        {"pnAddr", "TPanel", "GroupBox1", 8, 26, 41, 25},
        {"sbAddr", "QScrollBar", "GroupBox1", 48, 27, 233, 23},
        {"btnAddr", "QPushButton", "GroupBox1", 8, 54, 273, 43},
        {"pnFreq", "TPanel", "GroupBox1", 8, 106, 41, 25},
        {"sbFreq", "QScrollBar", "GroupBox1", 48, 107, 233, 23},
        {"btnFreq", "QPushButton", "GroupBox1", 8, 134, 273, 43},
        {"pnChannel", "TPanel", "GroupBox1", 8, 186, 41, 25},
        {"sbChannel", "QScrollBar", "GroupBox1", 48, 187, 233, 23},
        {"btnChannel", "QPushButton", "GroupBox1", 8, 214, 273, 43},
    };
    for (const Row& row : rows)
        QTest::newRow(row.name) << QString(row.kind) << QString(row.parent)
                                << QRect(row.x, row.y, row.w, row.h);
}

void MainWindowTest::layout() {
    QFETCH(QString, kind);
    QFETCH(QString, parent);
    QFETCH(QRect, rect);
    FormHarness h;
    TfrmModule& f = h.form();
    auto* control = f.findChild<QWidget*>(QTest::currentDataTag());
    QVERIFY(control);
    QCOMPARE(QString(control->metaObject()->className()), kind);
    QVERIFY(control->parentWidget());
    QCOMPARE(control->parentWidget()->objectName(), parent);
    QCOMPARE(control->geometry(), rect);
}

void MainWindowTest::windowHasFixedSizeAndNoCloseOrMaximiseBox() {
    FormHarness h;
    TfrmModule& f = h.form();
    QCOMPARE(f.size(), QSize(656, 541));
    QCOMPARE(f.minimumSize(), QSize(656, 541));
    QCOMPARE(f.maximumSize(), QSize(656, 541));
    f.resize(800, 600);
    QCOMPARE(f.size(), QSize(656, 541));
    const Qt::WindowFlags flags = f.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    f.showMinimized();
    QVERIFY(f.isMinimized());
    f.showNormal();
    QVERIFY(!f.isMinimized());
    QCOMPARE(f.size(), QSize(656, 541));
    // Showing it again rewrites the captions but starts no operation.
    QVERIFY(!Ui(f).tmrBusy->isActive());
}

void MainWindowTest::radioGroupLiesOutsideTheClientArea() {
    FormHarness h;
    TfrmModule& f = h.form();
    QVERIFY(Ui(f).GroupBox1->geometry().left() >= f.width());
    QVERIFY(Ui(f).GroupBox1->visibleRegion().isEmpty());
    for (QPushButton* button : {Ui(f).btnAddr, Ui(f).btnFreq, Ui(f).btnChannel}) {
        QVERIFY(button->visibleRegion().isEmpty());
        QVERIFY(!button->isEnabled());
    }
    // A language switch re-captions them and leaves them disabled.
    f.btnGBClick();
    QCOMPARE(Ui(f).btnAddr->text(), QString("设定位址"));
    QVERIFY(!Ui(f).btnAddr->isEnabled());
}

void MainWindowTest::tabWalksTheControlsInOrder() {
    FormHarness h;
    TfrmModule& f = h.form();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Ui(f).btnScan));

    const QList<QWidget*> expected{
        Ui(f).sbID,       Ui(f).btnID,      Ui(f).cmbBaudRate, Ui(f).btnBaudRate, Ui(f).btnReadCard,
        Ui(f).btnExit,    Ui(f).btnFactory, Ui(f).btnReset,    Ui(f).btnRSSI,     Ui(f).sbRSSI,
        Ui(f).btnEng,     Ui(f).btnGB,      Ui(f).btnBIG5,     Ui(f).chkLock,     Ui(f).btnSameCard,
        Ui(f).btnNoNc,    Ui(f).rbNO,       Ui(f).cmbWiegand,  Ui(f).cmbRS485,    Ui(f).btnMode,
        Ui(f).sbSameCard, Ui(f).btnScan,
    };
    QList<QWidget*> walked;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget();
    }
    auto names = [](const QList<QWidget*>& widgets) {
        QStringList list;
        for (QWidget* w : widgets) list << (w ? w->objectName() : QString("(none)"));
        return list;
    };
    QCOMPARE(names(walked), names(expected));
}

void MainWindowTest::focusComesBackAfterAnOperation_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("a scan") << "btnScan";
    QTest::newRow("a setting in wait mode") << "btnSameCard";
    QTest::newRow("the RSSI level, in its group box") << "btnRSSI";
    QTest::newRow("the factory default") << "btnFactory";
    QTest::newRow("a reading run: the cancel button has the focus throughout") << "btnReadCard";
}

// Disabling the window for an operation takes the focus away; the keyboard finds it again on
// the button it used.
void MainWindowTest::focusComesBackAfterAnOperation() {
    QFETCH(QString, button);
    FormHarness h;
    TfrmModule& f = h.form();
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QVERIFY(h.FindReader());
    auto* pressed = f.findChild<QPushButton*>(button);
    pressed->setFocus();
    QWidget* focusInRun = nullptr;
    if (button == "btnReadCard")
        h.clock.AfterMs(500, [&] {
            focusInRun = QApplication::focusWidget();
            // The cancel, from the keyboard; a click when nothing has the focus, to end the run.
            if (focusInRun)
                QTest::keyClick(focusInRun, Qt::Key_Space);
            else
                Ui(f).btnReadCard->click();
        });
    QTest::keyClick(pressed, Qt::Key_Space);
    QVERIFY(f.isEnabled());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(pressed));
    if (button == "btnReadCard") QCOMPARE(focusInRun, static_cast<QWidget*>(pressed));
}

void MainWindowTest::enterPressesTheDefaultButton_data() {
    QTest::addColumn<QString>("focused");
    QTest::addColumn<QString>("pressed");
    QTest::newRow("Enter on a scroll bar presses btnScan") << "sbID"
                                                           << "btnScan";
    QTest::newRow("Enter on a drop-down list presses btnScan") << "cmbWiegand"
                                                               << "btnScan";
    QTest::newRow("Enter on the check box presses btnScan") << "chkLock"
                                                            << "btnScan";
    QTest::newRow("Enter on btnScan presses btnScan") << "btnScan"
                                                      << "btnScan";
    QTest::newRow("Enter on another button presses that button") << "btnRSSI"
                                                                 << "btnRSSI";
}

void MainWindowTest::enterPressesTheDefaultButton() {
    QFETCH(QString, focused);
    QFETCH(QString, pressed);
    FormHarness h;
    TfrmModule& f = h.form();
    QVERIFY(Ui(f).btnScan->isDefault());
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    auto* focus = f.findChild<QWidget*>(focused);
    focus->setFocus();
    QCOMPARE(QApplication::focusWidget(), focus);

    QSignalSpy scanClicks(Ui(f).btnScan, &QPushButton::clicked);
    QSignalSpy pressedClicks(f.findChild<QPushButton*>(pressed), &QPushButton::clicked);
    QTest::keyClick(focus, Qt::Key_Return);
    QCOMPARE(pressedClicks.count(), 1);
    QCOMPARE(scanClicks.count(), pressed == "btnScan" ? 1 : 0);
    if (pressed == "btnScan") {
        // The click reached the discovery: it went looking for the reader on the ports.
        QVERIFY(!h.observed.uses.isEmpty());
    }
}

void MainWindowTest::closeRequestIsIgnoredButExitCloses() {
    FormHarness h;
    TfrmModule& f = h.form();
    QVERIFY(!f.close());
    QVERIFY(f.isVisible());
    QCloseEvent request;
    QApplication::sendEvent(&f, &request);
    QVERIFY(!request.isAccepted());
    QVERIFY(f.isVisible());

    Ui(f).btnExit->click();
    QVERIFY(!f.isVisible());
    // Leaving writes nothing.
    QVERIFY(!h.SettingsFileExists());
}

void MainWindowTest::busyModeBlinksAndKeepsItsPhase() {
    FormHarness h;
    TfrmModule& f = h.form();
    Mode(f, OperationStep::Kind::Busy, true);
    QVERIFY(Ui(f).tmrBusy->isActive());
    QVERIFY(!f.isEnabled());
    QVERIFY(!QGuiApplication::overrideCursor());  // busy mode leaves the cursor alone
    f.tmrBusyTimer();
    QCOMPARE(Ui(f).shComm->brushColor(), ColorRed);
    f.tmrBusyTimer();
    QCOMPARE(Ui(f).shComm->brushColor(), ColorYellow);
    f.tmrBusyTimer();
    QCOMPARE(Ui(f).shComm->brushColor(), ColorRed);
    Mode(f, OperationStep::Kind::Busy, false);
    QVERIFY(f.isEnabled());
    QVERIFY(!Ui(f).tmrBusy->isActive());
    QCOMPARE(Ui(f).shComm->brushColor(), ColorRed);  // leaving keeps the colour of the last tick

    // The next busy period goes on from where the last one stopped.
    Ui(f).shComm->setBrushColor(ColorRed);
    Mode(f, OperationStep::Kind::Busy, true);
    f.tmrBusyTimer();
    QCOMPARE(Ui(f).shComm->brushColor(), ColorYellow);
    Mode(f, OperationStep::Kind::Busy, false);
}

void MainWindowTest::busyTimerIsBoundAndFirstTickIsRed() {
    FormHarness h;
    TfrmModule& f = h.form();
    Ui(f).shComm->setBrushColor(ColorYellow);
    QCOMPARE(f.busyPhase(), 0);
    Mode(f, OperationStep::Kind::Busy, true);
    QTRY_COMPARE_WITH_TIMEOUT(f.busyPhase(), 1, 5000);
    QCOMPARE(Ui(f).shComm->brushColor(), ColorRed);
    QTRY_COMPARE_WITH_TIMEOUT(Ui(f).shComm->brushColor(), ColorYellow, 5000);
    Mode(f, OperationStep::Kind::Busy, false);
    QVERIFY(f.isEnabled());
}

void MainWindowTest::waitModeSetsAndRestoresCursorAndInput() {
    FormHarness h;
    TfrmModule& f = h.form();
    Mode(f, OperationStep::Kind::Waiting, true);
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QVERIFY(!f.isEnabled());
    QVERIFY(!Ui(f).btnScan->isEnabled());
    QVERIFY(!Ui(f).tmrBusy->isActive());
    Mode(f, OperationStep::Kind::Waiting, false);
    QVERIFY(f.isEnabled());
    QVERIFY(Ui(f).btnScan->isEnabled());
    QVERIFY(!QGuiApplication::overrideCursor());
    // The radio buttons stay disabled of their own accord.
    QVERIFY(!Ui(f).btnAddr->isEnabled());
}

// A tag read shows it and starts tmrCard, whose tick turns the tag indicator white once. Started
// only from the stopped state: a tag read while it runs does not push the white back.
void MainWindowTest::cardTimerTurnsTheTagIndicatorWhiteOnce() {
    FormHarness h;
    TfrmModule& f = h.form();
    OperationStep tag;
    tag.kind = OperationStep::Kind::TagRead;
    tag.tag = {"0000BC61", 0xBC61};
    QElapsedTimer since;
    since.start();
    f.Report(tag);
    QCOMPARE(Ui(f).shCard->brushColor(), ColorYellow);
    QCOMPARE(Ui(f).pnCardID->caption(), QString("TAG ID : 0000048225  0000BC61(H)"));
    QVERIFY(Ui(f).tmrCard->isActive());

    QTest::qWait(400);
    f.Report(tag);
    // Unless the machine was too slow to see it before the tick. The timer is a coarse one,
    // which Qt may set up to 5 % of its interval later: restarted, it would have over 900 ms
    // left.
    if (Ui(f).tmrCard->isActive() && since.elapsed() < 900)
        QVERIFY2(Ui(f).tmrCard->remainingTime() <= 1050 - 400 + 20,
                 qPrintable(QString::number(Ui(f).tmrCard->remainingTime())));

    // Its tick turns the tag indicator white and stops the timer.
    QTRY_COMPARE_WITH_TIMEOUT(Ui(f).shCard->brushColor(), ColorWhite, 5000);
    QVERIFY(!Ui(f).tmrCard->isActive());
    f.Report(tag);
    QVERIFY(Ui(f).tmrCard->isActive());
    f.tmrCardTimer();
    QVERIFY(!Ui(f).tmrCard->isActive());
}

void MainWindowTest::scrollBarChanges_data() {
    QTest::addColumn<QString>("bar");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<QString>("shown");
    QTest::newRow("sbID 7 shows two digits") << "sbID"
                                             << "pnID" << QList<int>{7} << "07";
    QTest::newRow("sbID 99") << "sbID"
                             << "pnID" << QList<int>{99} << "99";
    QTest::newRow("sbID keeps to its range") << "sbID"
                                             << "pnID" << QList<int>{150} << "99";
    QTest::newRow("sbSameCard 0 shows four digits") << "sbSameCard"
                                                    << "pnSameCard" << QList<int>{0} << "0000";
    QTest::newRow("sbSameCard 9999") << "sbSameCard"
                                     << "pnSameCard" << QList<int>{9999} << "9999";
    QTest::newRow("sbAddr 255") << "sbAddr"
                                << "pnAddr" << QList<int>{255} << "255";
    QTest::newRow("sbAddr 0") << "sbAddr"
                              << "pnAddr" << QList<int>{0} << "000";
    QTest::newRow("sbFreq 5") << "sbFreq"
                              << "pnFreq" << QList<int>{5} << "005";
    QTest::newRow("sbChannel 17") << "sbChannel"
                                  << "pnChannel" << QList<int>{17} << "017";
    QTest::newRow("sbRSSI 250") << "sbRSSI"
                                << "pnRSSI" << QList<int>{250} << "250";
    QTest::newRow("sbRSSI to 1 and back to 0 shows three digits")
        << "sbRSSI"
        << "pnRSSI" << QList<int>{1, 0} << "000";
}

void MainWindowTest::scrollBarChanges() {
    QFETCH(QString, bar);
    QFETCH(QString, panel);
    QFETCH(QList<int>, positions);
    QFETCH(QString, shown);
    FormHarness h;
    TfrmModule& f = h.form();
    auto* scrollBar = f.findChild<QScrollBar*>(bar);
    for (int position : positions) scrollBar->setValue(position);
    QCOMPARE(f.findChild<TPanel*>(panel)->caption(), shown);
    QVERIFY(h.observed.uses.isEmpty());  // a change sends nothing
}

void MainWindowTest::unchangedPositionLeavesThePanelAlone() {
    FormHarness h;
    TfrmModule& f = h.form();
    Ui(f).sbRSSI->setValue(0);
    QCOMPARE(Ui(f).pnRSSI->caption(), QString("0"));
    Ui(f).sbID->setValue(1);
    QCOMPARE(Ui(f).pnID->caption(), QString("__"));
    // A page step by the keyboard moves by 10.
    Ui(f).sbSameCard->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(Ui(f).pnSameCard->caption(), QString("0020"));
    Ui(f).sbSameCard->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(Ui(f).pnSameCard->caption(), QString("0019"));
}

void MainWindowTest::exceptionInHandlerIsShownAndWindowRecovers() {
    FormHarness h;
    TfrmModule& f = h.form();
    h.tones.onBeep = [](int, int) { throw std::runtime_error("the speaker failed"); };
    QString shown;
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        shown = box->text();
        box->accept();
    });
    f.btnSameCardClick();  // refused without a reader: a low tone, which throws here
    QCOMPARE(shown, QString("the speaker failed"));
    QVERIFY(f.isEnabled());
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(!Ui(f).tmrBusy->isActive());
    QVERIFY(f.isVisible());
}

void MainWindowTest::scrollBarKeys_data() {
    QTest::addColumn<QString>("bar");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("shown");  // the panel after the key, from the window's start
    const auto row = [](const char* name, const char* bar, Qt::Key key, const char* panel,
                        const char* shown) {
        QTest::newRow(name) << bar << int(key) << panel << shown;
    };
    row("Right adds the small step", "sbSameCard", Qt::Key_Right, "pnSameCard", "0011");
    row("Down adds the small step", "sbSameCard", Qt::Key_Down, "pnSameCard", "0011");
    row("Left takes it away", "sbSameCard", Qt::Key_Left, "pnSameCard", "0009");
    row("Up takes it away", "sbSameCard", Qt::Key_Up, "pnSameCard", "0009");
    row("Page Down adds the large step", "sbSameCard", Qt::Key_PageDown, "pnSameCard", "0020");
    row("Page Up takes it away", "sbSameCard", Qt::Key_PageUp, "pnSameCard", "0000");
    row("Home goes to the lowest", "sbSameCard", Qt::Key_Home, "pnSameCard", "0000");
    row("End goes to the highest", "sbSameCard", Qt::Key_End, "pnSameCard", "9999");
    row("reader number: Right", "sbID", Qt::Key_Right, "pnID", "02");
    row("reader number: End", "sbID", Qt::Key_End, "pnID", "99");
    row("RSSI level: Right", "sbRSSI", Qt::Key_Right, "pnRSSI", "001");
    row("radio address: Left", "sbAddr", Qt::Key_Left, "pnAddr", "048");
    row("radio frequency: Page Down", "sbFreq", Qt::Key_PageDown, "pnFreq", "069");
    row("radio channel: End", "sbChannel", Qt::Key_End, "pnChannel", "255");
}

// Real key events on the focused scroll bar; the change handler shows the new position.
void MainWindowTest::scrollBarKeys() {
    QFETCH(QString, bar);
    QFETCH(int, key);
    QFETCH(QString, panel);
    QFETCH(QString, shown);
    FormHarness h;
    TfrmModule& f = h.form();
    auto* scrollBar = f.findChild<QScrollBar*>(bar);
    QVERIFY(scrollBar);
    scrollBar->setFocus();

    QTest::keyClick(scrollBar, Qt::Key(key));

    QCOMPARE(f.findChild<TPanel*>(panel)->caption(), shown);
}

void MainWindowTest::lineSettingRowsAre20PixelsHigh() {
    FormHarness h;
    QComboBox* list = Ui(h.form()).cmbBaudRate;
    list->showPopup();
    QAbstractItemView* rows = list->view();
    QVERIFY(rows->isVisible());
    for (int i = 0; i < list->count(); i += 11)
        QCOMPARE(rows->visualRect(rows->model()->index(i, 0)).height(), 20);
    list->hidePopup();
}

// Notes the caption of a panel each time it is painted.
class PaintedCaption : public QObject {
  public:
    explicit PaintedCaption(TPanel* panel) : panel_(panel) { panel->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) last = panel_->caption();
        return false;
    }
    QString last;

  private:
    TPanel* panel_;
};

// The tone blocks without dispatching events: the outcome must be on the screen as it sounds.
void MainWindowTest::outcomeIsPaintedBeforeItsTone() {
    FormHarness h;
    TfrmModule& f = h.form();
    PaintedCaption painted(Ui(f).pnMsg);
    QString shownDuringTone;
    h.tones.onBeep = [&](int, int) { shownDuringTone = painted.last; };

    Ui(f).pnMsg->setCaption("something else");
    QCoreApplication::processEvents();
    QCOMPARE(painted.last, QString("something else"));

    f.btnSameCardClick();  // refused without a reader: "Start Scan Reader!" and a low tone

    QCOMPARE(shownDuringTone, QString("Start Scan Reader!"));
}

void MainWindowTest::tagTooltipGivesTheControllersLayouts() {
    FormHarness h({.tags = {0x004D7603}});
    TPanel* const panel = Ui(h.form()).pnCardID;
    QVERIFY(h.FindReader());
    QString caption, tooltip;
    h.clock.AfterMs(400, [&] { caption = panel->caption(), tooltip = panel->toolTip(); });
    h.ReadTagsFor(600);
    QCOMPARE(caption, QString("TAG ID : 0005076483  004D7603(H)"));
    QCOMPARE(tooltip, QString("Wiegand 26: 077,30211\nWiegand 34: 00077,30211"));
    // The run's end puts "TAG ID" back, and the tooltip of the tag goes with it.
    QCOMPARE(panel->caption(), QString("TAG ID"));
    QVERIFY(panel->toolTip().isEmpty());
}

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
