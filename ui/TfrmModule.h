#pragma once

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "CardLayoutsTooltip.h"
#include "ReaderContext.h"
#include "Shapes.h"

// What the window works with: the context's services, and the dispatch of pending window
// messages while the reader is awaited (by default the application's own event processing).
struct ModuleServices : ContextServices {
    ModuleServices() = default;
    ModuleServices(const ContextServices& services) : ContextServices(services) {}  // NOLINT
    std::function<void()> processMessages;
};

inline const QColor ColorYellow{255, 255, 0};
inline const QColor ColorRed{255, 0, 0};
inline const QColor ColorWhite{255, 255, 255};

// The one window of the tool: it lays out the controls, binds their events to the handlers,
// and shows what the reader operations report. The operations themselves live in reader/.
class TfrmModule : public QWidget, public ReaderView {
    Q_OBJECT
  public:
    explicit TfrmModule(const ModuleServices& services, QWidget* parent = nullptr);
    ~TfrmModule() override;

    // The process-wide state behind the window: the link, the kept settings and the flags.
    ReaderContext& context() { return *context_; }
    const ReaderContext& context() const { return *context_; }
    // The text of a row in the current language.
    QString Text(int row) const { return context_->Text(row); }

    void FormCreate();
    void FormShow();
    int busyPhase() const { return busyPhase_; }

    // Shows each step of an operation in the controls.
    void Report(const OperationStep& step) override;
    void ProcessMessages() override;

  public slots:
    void btnScanClick();
    void btnReadCardClick();
    void btnIDClick();
    void btnBaudRateClick();
    void btnSameCardClick();
    void btnNoNcClick();
    void btnModeClick();
    void btnAddrClick();
    void btnFreqClick();
    void btnChannelClick();
    void btnRSSIClick();
    void btnFactoryClick();
    void btnResetClick();
    void btnEngClick();
    void btnGBClick();
    void btnBIG5Click();
    void btnExitClick();
    void sbIDChange();
    void sbSameCardChange();
    void sbAddrChange();
    void sbFreqChange();
    void sbChannelChange();
    void sbRSSIChange();
    void tmrBusyTimer();
    void tmrCardTimer();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Enter presses the focused push button, or else the default button btnScan.
    void keyPressEvent(QKeyEvent* event) override;
    // Notes the application's quit request of a desktop logout.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Busy mode: the link indicator blinks and the window takes no input.
    void SetBusy(bool busy);
    // Wait mode: the hourglass, and the window takes no input.
    void SetWaitMode(bool waiting);
    // The hourglass alone, around a scan.
    void SetHourglass(bool shown);
    // Input back while busy mode goes on: the read button of a reading run is its cancel button.
    void EnableInput();
    // A new text in the message panel or the tag panel, announced to assistive technology.
    void ShowMessage(const QString& text);
    void ShowTagCaption(const QString& text);
    void ShowReader(const ReaderIdentity& reader);
    void ShowTag(const Tag& tag);
    void ShowFactoryValues();
    // A reading run holds the port: every control that would start another exchange, leave
    // the program or change the language is locked, in this order: btnExit, btnScan,
    // btnFactory, btnID, btnBaudRate, gbDefault, btnEng, btnGB, btnBIG5, btnNoNc,
    // btnSameCard, btnMode; the read button carries the cancel caption. Unlocking frees them
    // in the same order and gives the read button its caption back.
    void LockForReading();
    void UnlockAfterReading();
    void CreateControls();
    void SwitchLanguage(int language);
    void BindEvents();
    void SetTabOrder();
    // The controls a reading run locks, in the order they are locked.
    std::array<QWidget*, 12> ReadingLockedControls() const;
    // Runs an event handler; an exception that escapes it is shown in an error message box
    // and the window is put back to idle, and the message loop goes on.
    void RunHandler(const std::function<void()>& handler);
    // Busy and wait mode disable the whole window, which takes the focus away; it goes back to
    // the control that had it when the operation began (normally the button clicked).
    void DisableKeepingFocus();
    // At a desktop logout or shutdown: a reading run in progress ends after its pass.
    void EndReadingRun();
    // Names for assistive technology in the current language, and what the indicators' colours
    // say.
    void ShowAccessibleNames();
    void DescribeIndicators();
    void EnableGivingFocusBack();

    // Controls, under the names of the layout.
    TPanel* pnMsg;
    TShape* shComm;
    TPanel* pnSerial;
    TPanel* pnVersion;
    QPushButton* btnScan;
    QLabel* lblID;
    TPanel* pnID;
    QScrollBar* sbID;
    QPushButton* btnID;
    QLabel* lblBaudRate;
    QComboBox* cmbBaudRate;
    QCheckBox* chkLock;
    QPushButton* btnBaudRate;
    TPanel* pnSameCard;
    QScrollBar* sbSameCard;
    QLabel* lblSameCard;
    QGroupBox* gbNoNc;
    QRadioButton* rbNO;
    QRadioButton* rbNC;
    QPushButton* btnSameCard;
    QPushButton* btnNoNc;
    QComboBox* cmbWiegand;
    QComboBox* cmbRS485;
    QPushButton* btnMode;
    TShape* shCard;
    TPanel* pnCardID;
    QPushButton* btnReadCard;
    QGroupBox* gbDefault;
    TPanel* pnRSSI;
    QScrollBar* sbRSSI;
    QPushButton* btnRSSI;
    QPushButton* btnReset;
    QPushButton* btnFactory;
    QPushButton* btnEng;
    QPushButton* btnGB;
    QPushButton* btnBIG5;
    QPushButton* btnExit;
    TPanel* pnTAVIN;
    QGroupBox* GroupBox1;
    TPanel* pnAddr;
    QScrollBar* sbAddr;
    QPushButton* btnAddr;
    TPanel* pnFreq;
    QScrollBar* sbFreq;
    QPushButton* btnFreq;
    TPanel* pnChannel;
    QScrollBar* sbChannel;
    QPushButton* btnChannel;
    QTimer* tmrBusy;
    QTimer* tmrCard;

    class MessageFirstTone;
    ModuleServices services_;
    std::unique_ptr<ToneSink> tone_;
    bool messageUnpainted_ = false;
    std::unique_ptr<ReaderContext> context_;
    std::unique_ptr<CardLayoutsTooltip> cardTooltip_;
    QString savedReadCaption_;  // btnReadCard's caption while a reading run holds the port
    bool readingLocked_ = false;
    int busyPhase_ = 0;
    bool exitRequested_ = false;
    bool shown_ = false;
    int handlerDepth_ = 0;
    bool quitRequested_ = false;
    QPointer<QWidget> focusBeforeDisable_;
};
