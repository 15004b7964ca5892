#include "TfrmModule.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>
#include <exception>

#include "ReaderOperations.h"
#include "SystemMenu.h"

TfrmModule::TfrmModule(const ModuleServices& services, QWidget* parent)
    : QWidget(parent), services_(services) {
    if (!services_.processMessages)
        services_.processMessages = [] { QCoreApplication::processEvents(); };
    portNames_ = std::make_unique<PortNames>(services_.machineFolder);
    link_ = std::make_unique<ReaderLink>(*services_.line, *services_.clock, *portNames_,
                                         services_.processMessages);
    store_ = std::make_unique<SettingsStore>(services_.machineFolder);
    CreateControls();
    FormCreate();
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
}

TfrmModule::~TfrmModule() = default;

QString TfrmModule::Text(int row) const {
    if (row < 0 || row >= TextRowCount || LanguageIndex < 0 || LanguageIndex >= LanguageCount)
        return QString();
    return QString::fromUtf8(TextTable[row][LanguageIndex]);
}

void TfrmModule::FormCreate() {
    ScanCommNo = 0;
    ScanBaudRate = QStringLiteral("19200,e,8,1");
    ScanBaudRateNo = 5;
    LanguageFlag = QStringLiteral("English");
    LanguageIndex = 0;
    LoadSettings();

    // A fixed title bar with the system menu and the minimise box, but neither a close nor a
    // maximise box; closeEvent turns away the close requests that still arrive.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    RemoveCloseCommand(*this);

    TagReading = false;
    ReaderFound = false;
    cmbBaudRate->setCurrentIndex(ScanBaudRateNo);
}

void TfrmModule::LoadSettings() {
    KeptSettings settings;
    settings.ScanCommNo = ScanCommNo;
    settings.ScanBaudRate = ScanBaudRate;
    settings.ScanBaudRateNo = ScanBaudRateNo;
    settings.LanguageFlag = LanguageFlag;
    store_->Load(settings);
    ScanCommNo = settings.ScanCommNo;
    ScanBaudRate = settings.ScanBaudRate;
    ScanBaudRateNo = settings.ScanBaudRateNo;
    LanguageFlag = settings.LanguageFlag;
    LanguageIndex = LanguageIndexFromFlag(LanguageFlag);
}

void TfrmModule::SaveScanSettings() {
    store_->SaveScan(ScanCommNo, ScanBaudRateNo, ScanBaudRate);
}

void TfrmModule::SaveLanguageFlag() {
    store_->SaveLanguage(LanguageFlag);
}

void TfrmModule::FormShow() {
    setWindowTitle(Text(RowWindowCaption));
    pnTAVIN->setCaption(Text(RowCompanyLine));
    pnMsg->setCaption(Text(RowStartScanReader));
    pnSerial->setCaption(Text(RowSerial) + QStringLiteral(" : ________"));
    pnVersion->setCaption(Text(RowVersion) + QStringLiteral(" : __.__-__"));
    lblID->setText(Text(RowId) + QLatin1Char(':'));
    lblBaudRate->setText(Text(RowBaudRate) + QLatin1Char(':'));
    pnCardID->setCaption(Text(RowTagId));
    btnScan->setText(Text(RowScanReader));
    btnID->setText(Text(RowSetReaderId));
    btnBaudRate->setText(Text(RowSetReaderBaudRateButton));
    btnReadCard->setText(Text(RowReadTag));
    gbDefault->setTitle(Text(RowFactorySetting));
    btnFactory->setText(Text(RowFactoryDefault));
    btnExit->setText(Text(RowExit));
    btnReset->setText(Text(RowReaderReset));
    btnNoNc->setText(Text(RowSetDiNoNc));
    btnSameCard->setText(Text(RowSetSameCard));
    btnMode->setText(Text(RowSetReaderMode));
    btnAddr->setText(Text(RowSetAddress));
    btnFreq->setText(Text(RowSetFreq));
    btnChannel->setText(Text(RowSetChannel));
}

void TfrmModule::SwitchLanguage(int index, const char* flag) {
    LanguageIndex = index;
    LanguageFlag = QLatin1String(flag);
    SaveLanguageFlag();
    FormShow();
}

void TfrmModule::btnEngClick() {
    SwitchLanguage(0, "English");
}
void TfrmModule::btnGBClick() {
    SwitchLanguage(1, "ChineseGB");
}
void TfrmModule::btnBIG5Click() {
    SwitchLanguage(2, "ChineseBIG5");
}

void TfrmModule::SetBusy(bool busy) {
    if (busy) {
        tmrBusy->start();
        setEnabled(false);
    } else {
        setEnabled(true);
        tmrBusy->stop();
    }
}

void TfrmModule::EnterWaitMode() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    setEnabled(false);
}

void TfrmModule::LeaveWaitMode() {
    setEnabled(true);
    QGuiApplication::restoreOverrideCursor();
}

// The phase lives on across busy periods, so each one goes on from where the last stopped.
void TfrmModule::tmrBusyTimer() {
    if (busyPhase_ == 1) {
        busyPhase_ = 0;
        shComm->setBrushColor(ColorYellow);
    } else {
        busyPhase_ = 1;
        shComm->setBrushColor(ColorRed);
    }
}

void TfrmModule::tmrCardTimer() {
    shCard->setBrushColor(ColorWhite);
    tmrCard->stop();
}

void TfrmModule::StartCardTimer() {
    // QTimer::start() would restart a running timer and push the white back.
    if (!tmrCard->isActive()) tmrCard->start();
}

void TfrmModule::Beep(int frequencyHz, int durationMs) {
    if (services_.tone) services_.tone->Beep(frequencyHz, durationMs);
}

void TfrmModule::sbIDChange() {
    pnID->setCaption(QString::asprintf("%02d", sbID->value()));
}
void TfrmModule::sbSameCardChange() {
    pnSameCard->setCaption(QString::asprintf("%04d", sbSameCard->value()));
}
void TfrmModule::sbAddrChange() {
    pnAddr->setCaption(QString::asprintf("%03d", sbAddr->value()));
}
void TfrmModule::sbFreqChange() {
    pnFreq->setCaption(QString::asprintf("%03d", sbFreq->value()));
}
void TfrmModule::sbChannelChange() {
    pnChannel->setCaption(QString::asprintf("%03d", sbChannel->value()));
}
void TfrmModule::sbRSSIChange() {
    pnRSSI->setCaption(QString::asprintf("%03d", sbRSSI->value()));
}

void TfrmModule::RunHandler(const std::function<void()>& handler) {
    ++handlerDepth_;
    QString failure;
    try {
        handler();
    } catch (const std::exception& error) {
        failure = QString::fromLocal8Bit(error.what());
    } catch (...) {
        failure = QStringLiteral("Unknown error");
    }
    --handlerDepth_;
    if (failure.isNull()) return;
    // The operation was cut short: leave nothing of it behind at the outermost handler.
    if (handlerDepth_ == 0) {
        if (link_->PortHandle != InvalidPortHandle) link_->ClosePort();
        tmrBusy->stop();
        while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
        setEnabled(true);
    }
    // A box owned by a disabled window would be disabled with it.
    QMessageBox::critical(isEnabled() ? this : nullptr, QGuiApplication::applicationDisplayName(),
                          failure);
}

void TfrmModule::btnScanClick() {
    RunHandler([this] { ScanReader(*this); });
}
void TfrmModule::btnReadCardClick() {
    RunHandler([this] { ReadTags(*this); });
}
void TfrmModule::btnIDClick() {
    RunHandler([this] { SetReaderId(*this); });
}
void TfrmModule::btnBaudRateClick() {
    RunHandler([this] { SetLineSpeed(*this); });
}
void TfrmModule::btnSameCardClick() {
    RunHandler([this] { SetSameCard(*this); });
}
void TfrmModule::btnNoNcClick() {
    RunHandler([this] { SetInputNoNc(*this); });
}
void TfrmModule::btnModeClick() {
    RunHandler([this] { SetReaderMode(*this); });
}
void TfrmModule::btnAddrClick() {
    RunHandler([this] { SetRadioAddress(*this); });
}
void TfrmModule::btnFreqClick() {
    RunHandler([this] { SetRadioFrequency(*this); });
}
void TfrmModule::btnChannelClick() {
    RunHandler([this] { SetRadioChannel(*this); });
}
void TfrmModule::btnRSSIClick() {
    RunHandler([this] { SetRssiLevel(*this); });
}
void TfrmModule::btnFactoryClick() {
    RunHandler([this] { SetFactoryDefault(*this); });
}
void TfrmModule::btnResetClick() {
    RunHandler([this] { ResetReader(*this); });
}

void TfrmModule::btnExitClick() {
    exitRequested_ = true;
    close();
}

void TfrmModule::closeEvent(QCloseEvent* event) {
    // Only btnExit closes the window; the title bar and Alt+F4 do not. A desktop logout or
    // shutdown asks while the desktop saves its state, or asks the application to quit; it is
    // never held up.
    if (exitRequested_ || quitRequested_ || (qApp && qApp->isSavingSession()))
        event->accept();
    else
        event->ignore();
}

bool TfrmModule::eventFilter(QObject* watched, QEvent* event) {
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit)
        quitRequested_ = true;
    return QWidget::eventFilter(watched, event);
}

void TfrmModule::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;  // a restore from the task bar is no new show
    if (!shown_) {
        shown_ = true;
        if (QScreen* desktop = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(desktop->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    FormShow();
}

void TfrmModule::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (enter && modifiers == Qt::NoModifier) {
        // A push button that has the focus is the default button while it has it.
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        QPushButton* target = focused && focused->isEnabled() ? focused : btnScan;
        if (target->isEnabled()) {
            target->click();
            event->accept();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}
