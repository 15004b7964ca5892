#pragma once

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "Clock.h"
#include "PortNames.h"
#include "ReaderLink.h"
#include "SerialLine.h"
#include "SettingsStore.h"
#include "Shapes.h"
#include "TextTable.h"
#include "ToneSink.h"

// What the window works with: the serial line, the clock of the pauses and the reply window,
// the speaker, and the machine folder that holds the kept settings and the port assignments.
struct ModuleServices {
    SerialLine* line = nullptr;
    Clock* clock = nullptr;
    ToneSink* tone = nullptr;
    QString machineFolder;
    // Dispatches pending window messages while the reader is awaited; by default the
    // application's own event processing.
    std::function<void()> processMessages;
};

inline const QColor ColorYellow{255, 255, 0};
inline const QColor ColorRed{255, 0, 0};
inline const QColor ColorWhite{255, 255, 255};

// The one window of the tool. The reader operations behind its buttons live in reader/.
class TfrmModule : public QWidget {
    Q_OBJECT
public:
    explicit TfrmModule(const ModuleServices& services, QWidget* parent = nullptr);
    ~TfrmModule() override;

    // Kept settings and process-wide state, one instance each for the whole run.
    int ScanCommNo = 0;
    QString ScanBaudRate;
    int ScanBaudRateNo = 0;
    QString LanguageFlag;
    int LanguageIndex = 0;
    bool ReaderFound = false;
    bool TagReading = false;

    // The text of a row in the current language.
    QString Text(int row) const;

    void FormCreate();
    void FormShow();
    void SetBusy(bool busy);
    void EnterWaitMode();
    void LeaveWaitMode();
    void LoadSettings();
    void SaveScanSettings();
    void SaveLanguageFlag();
    // Lights nothing itself: starts tmrCard unless it already runs, so a tag read while it runs
    // does not push the white back.
    void StartCardTimer();
    void Beep(int frequencyHz, int durationMs);

    // Dispatches the window's pending messages, as the link does while it waits for a reply.
    void ProcessMessages() {
        if (services_.processMessages)
            services_.processMessages();
        else
            QCoreApplication::processEvents();
    }

    ReaderLink& link() { return *link_; }
    Clock& clock() { return *services_.clock; }
    int busyPhase() const { return busyPhase_; }

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
    void CreateControls();
    void SwitchLanguage(int index, const char* flag);
    void BindEvents();
    void SetTabOrder();
    // Runs an event handler; an exception that escapes it is shown in an error message box
    // and the window is put back to idle, and the message loop goes on.
    void RunHandler(const std::function<void()>& handler);

    ModuleServices services_;
    std::unique_ptr<PortNames> portNames_;
    std::unique_ptr<ReaderLink> link_;
    std::unique_ptr<SettingsStore> store_;
    int busyPhase_ = 0;
    bool exitRequested_ = false;
    bool shown_ = false;
    int handlerDepth_ = 0;
    bool quitRequested_ = false;
};
