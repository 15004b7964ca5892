#include "TfrmModule.h"

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>
#include <exception>

#include "AccessibleInterfaces.h"
#include "AccessibleTexts.h"
#include "DiagnosisTexts.h"
#include "ReaderCaptions.h"
#include "ReaderOperations.h"
#include "SystemMenu.h"
#include "TextTable.h"

// A tone blocks without dispatching events: a message shown just before it is painted first,
// so that the outcome shows while the tone sounds.
class TfrmModule::MessageFirstTone final : public ToneSink {
  public:
    MessageFirstTone(TfrmModule& window, ToneSink& tone) : window_(window), tone_(tone) {}
    void Beep(int frequencyHz, int durationMs) override {
        if (window_.messageUnpainted_) {
            window_.pnMsg->repaint();
            window_.messageUnpainted_ = false;
        }
        tone_.Beep(frequencyHz, durationMs);
    }

  private:
    TfrmModule& window_;
    ToneSink& tone_;
};

TfrmModule::TfrmModule(const ModuleServices& services, QWidget* parent)
    : QWidget(parent), services_(services) {
    tone_ = std::make_unique<MessageFirstTone>(*this, *services.tone);
    ContextServices contextServices = services_;
    contextServices.tone = tone_.get();
    context_ = std::make_unique<ReaderContext>(*this, contextServices);
    InstallAccessibleInterfaces();
    CreateControls();
    cardTooltip_ = std::make_unique<CardLayoutsTooltip>(*pnCardID);
    FormCreate();
    ShowAccessibleNames();
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
}

TfrmModule::~TfrmModule() = default;

void TfrmModule::FormCreate() {
    context_->LoadSettings();

    // A fixed title bar with the system menu and the minimise box, but neither a close nor a
    // maximise box; closeEvent turns away the close requests that still arrive.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    RemoveCloseCommand(*this);

    context_->TagReading = false;
    context_->ReaderFound = false;
    cmbBaudRate->setCurrentIndex(context_->ScanBaudRateNo);
}

void TfrmModule::FormShow() {
    setWindowTitle(Text(RowWindowCaption));
    pnTAVIN->setCaption(Text(RowCompanyLine));
    pnMsg->setCaption(Text(RowStartScanReader));
    pnSerial->setCaption(UnknownSerialCaption(context_->LanguageIndex));
    pnVersion->setCaption(UnknownVersionCaption(context_->LanguageIndex));
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
    ShowAccessibleNames();
}

void TfrmModule::ShowAccessibleNames() {
    const int language = context_->LanguageIndex;
    const auto name = [language](AccessibleText text) { return AccessibleName(text, language); };
    sbID->setAccessibleName(name(AccessibleText::ReaderNumber));
    sbSameCard->setAccessibleName(name(AccessibleText::SameCardSeconds));
    sbRSSI->setAccessibleName(name(AccessibleText::RssiLevel));
    chkLock->setAccessibleName(name(AccessibleText::LockLineSetting));
    // A list is named after what it chooses; its value is the item chosen.
    cmbBaudRate->setAccessibleName(Text(RowBaudRate));
    cmbWiegand->setAccessibleName(name(AccessibleText::WiegandFormat));
    cmbRS485->setAccessibleName(name(AccessibleText::Rs485Format));
    // A group without a title: its radio buttons say only "NO" and "NC".
    gbNoNc->setAccessibleName(name(AccessibleText::InputNoNc));
    btnGB->setAccessibleName(name(AccessibleText::SimplifiedChinese));
    btnBIG5->setAccessibleName(name(AccessibleText::TraditionalChinese));
    shComm->setAccessibleName(name(AccessibleText::ReaderStatus));
    shCard->setAccessibleName(name(AccessibleText::TagStatus));
    DescribeIndicators();
}

void TfrmModule::DescribeIndicators() {
    const int language = context_->LanguageIndex;
    const AccessibleText comm = tmrBusy->isActive() ? AccessibleText::Busy
                                : shComm->brushColor() == ColorYellow
                                    ? AccessibleText::ReaderFound
                                    : AccessibleText::ReaderNotFound;
    const AccessibleText card =
        shCard->brushColor() == ColorYellow ? AccessibleText::TagRead : AccessibleText::NoTag;
    // Set only on a change: each new description is announced.
    for (auto [shape, text] : {std::pair{shComm, comm}, std::pair{shCard, card}})
        if (shape->accessibleDescription() != AccessibleName(text, language))
            shape->setAccessibleDescription(AccessibleName(text, language));
}

void TfrmModule::SwitchLanguage(int language) {
    context_->SetLanguage(QLatin1String(LanguageFlags[language]));
    FormShow();
}

void TfrmModule::btnEngClick() {
    SwitchLanguage(0);
}
void TfrmModule::btnGBClick() {
    SwitchLanguage(1);
}
void TfrmModule::btnBIG5Click() {
    SwitchLanguage(2);
}

void TfrmModule::SetBusy(bool busy) {
    if (busy) {
        tmrBusy->start();
        DescribeIndicators();
        DisableKeepingFocus();
    } else {
        EnableGivingFocusBack();
        tmrBusy->stop();
        DescribeIndicators();
    }
}

void TfrmModule::SetWaitMode(bool waiting) {
    if (waiting) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        DisableKeepingFocus();
    } else {
        EnableGivingFocusBack();
        QGuiApplication::restoreOverrideCursor();
    }
}

void TfrmModule::SetHourglass(bool shown) {
    if (shown)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void TfrmModule::EnableInput() {
    setEnabled(true);
    // The read button is now the cancel button: Space or Enter cancels the run.
    btnReadCard->setFocus();
    focusBeforeDisable_ = btnReadCard;
}

void TfrmModule::DisableKeepingFocus() {
    // Wait mode and busy mode nest: the focus of the outermost one is the one kept.
    if (isEnabled()) focusBeforeDisable_ = QApplication::focusWidget();
    setEnabled(false);
}

void TfrmModule::EnableGivingFocusBack() {
    setEnabled(true);
    QWidget* focus = focusBeforeDisable_;
    if (focus && isAncestorOf(focus) && focus->isEnabled() && focus->isVisibleTo(this))
        focus->setFocus();
}

void TfrmModule::Report(const OperationStep& step) {
    using Kind = OperationStep::Kind;
    const int language = context_->LanguageIndex;
    switch (step.kind) {
        case Kind::Busy:
            SetBusy(step.on);
            break;
        case Kind::Waiting:
            SetWaitMode(step.on);
            break;
        case Kind::Hourglass:
            SetHourglass(step.on);
            break;
        case Kind::ScanStarted:
            ShowMessage(step.message.Text(language));
            pnSerial->setCaption(UnknownSerialCaption(language));
            pnVersion->setCaption(UnknownVersionCaption(language));
            pnID->setCaption(QStringLiteral("__"));
            break;
        case Kind::Message:
            ShowMessage(step.message.Text(language));
            break;
        case Kind::Verdict:
            shComm->setBrushColor(step.on ? ColorYellow : ColorRed);
            DescribeIndicators();
            break;
        case Kind::LineSetting:
            cmbBaudRate->setCurrentIndex(step.lineIndex);
            break;
        case Kind::ReaderAnswered:
            ShowReader(step.reader);
            break;
        case Kind::VersionRead:
            pnVersion->setCaption(VersionCaption(step.reader.version, language));
            break;
        case Kind::FactoryValues:
            ShowFactoryValues();
            break;
        case Kind::ReadingStarted:
            LockForReading();
            break;
        case Kind::ReadingListening:
            EnableInput();
            break;
        case Kind::TagRead:
            ShowTag(step.tag);
            break;
        case Kind::ReadingStopped:
            shCard->setBrushColor(ColorWhite);
            DescribeIndicators();
            break;
        case Kind::ReadingEnded:
            ShowTagCaption(Text(RowTagId));
            UnlockAfterReading();
            break;
    }
}

void TfrmModule::ShowMessage(const QString& text) {
    pnMsg->setCaption(text);
    messageUnpainted_ = true;
    // Why the last scan found no reader belongs to its "Reader Not Find" alone.
    pnMsg->setToolTip({});
    // A new message is announced as it appears; the focus stays where it is.
    QAccessibleEvent changed(pnMsg, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void TfrmModule::ShowTagCaption(const QString& text) {
    pnCardID->setCaption(text);
    // A tag's controller layouts belong to that tag's caption (PassEnded sets them).
    pnCardID->setToolTip({});
    QAccessibleEvent changed(pnCardID, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void TfrmModule::ShowReader(const ReaderIdentity& reader) {
    pnSerial->setCaption(SerialCaption(reader.serialNumber, context_->LanguageIndex));
    pnID->setCaption(QString::fromLatin1(reader.readerNumber));
    // The scroll bar keeps its position within 1 to 99 ("00" puts it at 1); its change handler
    // runs only when the position really changes. Characters that are no decimal number stay
    // in the panel as they came, and the scroll bar where it was.
    if (const auto number = reader.number()) sbID->setValue(*number);
}

void TfrmModule::ShowTag(const Tag& tag) {
    ShowTagCaption(TagCaption(tag, context_->LanguageIndex));
    shCard->setBrushColor(ColorYellow);
    DescribeIndicators();
    // Started only from the stopped state: a tag read while it runs does not push the white
    // back.
    if (!tmrCard->isActive()) tmrCard->start();
}

void TfrmModule::ShowFactoryValues() {
    // In this order; each change handler runs only when its position really changes.
    sbAddr->setValue(FactoryRadioAddress);
    sbFreq->setValue(FactoryRadioFrequency);
    sbChannel->setValue(FactoryRadioChannel);
    sbSameCard->setValue(FactorySameCardSeconds);
    sbID->setValue(FactoryReaderNumber);
    cmbBaudRate->setCurrentIndex(FactoryLineIndex);
}

std::array<QWidget*, 12> TfrmModule::ReadingLockedControls() const {
    return {btnExit, btnScan, btnFactory, btnID,   btnBaudRate, gbDefault,
            btnEng,  btnGB,   btnBIG5,    btnNoNc, btnSameCard, btnMode};
}

void TfrmModule::LockForReading() {
    savedReadCaption_ = btnReadCard->text();
    btnReadCard->setText(Text(RowCancelReadTag));
    for (QWidget* control : ReadingLockedControls()) control->setEnabled(false);
    readingLocked_ = true;
}

void TfrmModule::UnlockAfterReading() {
    for (QWidget* control : ReadingLockedControls()) control->setEnabled(true);
    btnReadCard->setText(savedReadCaption_);
    readingLocked_ = false;
}

void TfrmModule::ProcessMessages() {
    if (services_.processMessages)
        services_.processMessages();
    else
        QCoreApplication::processEvents();
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
    DescribeIndicators();
    tmrCard->stop();
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
        context_->EndInterruptedOperation();
        if (readingLocked_) {
            pnCardID->setCaption(Text(RowTagId));
            UnlockAfterReading();
        }
        tmrBusy->stop();
        while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
        EnableGivingFocusBack();
    }
    // A box owned by a disabled window would be disabled with it.
    QMessageBox::critical(isEnabled() ? this : nullptr, QGuiApplication::applicationDisplayName(),
                          failure);
}

// Each handler hands the operation what its controls hold at the click.
void TfrmModule::btnScanClick() {
    RunHandler([this] {
        const ScanResult result = ScanReader(*context_, chkLock->isChecked());
        if (result.answered) return;
        // What happened at each port, and the likeliest cause, for the one who points at the
        // message.
        const Diagnosis diagnosis = Diagnose(result);
        const int language = context_->LanguageIndex;
        pnMsg->setToolTip(PortLines(diagnosis, context_->portNames(), language).join('\n') +
                          QStringLiteral("\n\n") +
                          HintText(diagnosis, context_->portNames(), language));
    });
}
void TfrmModule::btnReadCardClick() {
    RunHandler([this] {
        // During a run the button is its cancel button.
        if (context_->TagReading)
            CancelReadTags(*context_);
        else
            ReadTags(*context_, cardTooltip_.get());
    });
}
void TfrmModule::btnIDClick() {
    RunHandler([this] { SetReaderId(*context_, pnID->caption()); });
}
void TfrmModule::btnBaudRateClick() {
    RunHandler([this] { SetLineSpeed(*context_, cmbBaudRate->currentIndex()); });
}
void TfrmModule::btnSameCardClick() {
    RunHandler([this] { SetSameCard(*context_, sbSameCard->value()); });
}
void TfrmModule::btnNoNcClick() {
    // rbNC is the other of the pair: "not NO".
    RunHandler([this] { SetInputNoNc(*context_, rbNO->isChecked()); });
}
void TfrmModule::btnModeClick() {
    RunHandler(
        [this] { SetReaderMode(*context_, cmbRS485->currentIndex(), cmbWiegand->currentIndex()); });
}
void TfrmModule::btnAddrClick() {
    RunHandler([this] { SetRadioAddress(*context_, sbAddr->value()); });
}
void TfrmModule::btnFreqClick() {
    RunHandler([this] { SetRadioFrequency(*context_, sbFreq->value()); });
}
void TfrmModule::btnChannelClick() {
    RunHandler([this] { SetRadioChannel(*context_, sbChannel->value()); });
}
void TfrmModule::btnRSSIClick() {
    RunHandler([this] { SetRssiLevel(*context_, sbRSSI->value()); });
}
void TfrmModule::btnFactoryClick() {
    RunHandler([this] { SetFactoryDefault(*context_); });
}
void TfrmModule::btnResetClick() {
    RunHandler([this] { ResetReader(*context_); });
}

void TfrmModule::btnExitClick() {
    exitRequested_ = true;
    close();
}

void TfrmModule::closeEvent(QCloseEvent* event) {
    // Only btnExit closes the window; the title bar and Alt+F4 do not. A desktop logout or
    // shutdown asks while the desktop saves its state, or asks the application to quit; it is
    // never held up.
    if (exitRequested_ || quitRequested_ || (qApp && qApp->isSavingSession())) {
        EndReadingRun();
        event->accept();
    } else {
        event->ignore();
    }
}

void TfrmModule::EndReadingRun() {
    // As the cancel click does: the run ends after its pass and closes the port, before the
    // window goes.
    CancelReadTags(*context_);
}

bool TfrmModule::eventFilter(QObject* watched, QEvent* event) {
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
        quitRequested_ = true;
        EndReadingRun();
    }
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
