#pragma once

// The window's controls by the names of the layout, found in the window as a test sees them:
//   Ui(h.form()).btnReadCard->click();

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

#include "Shapes.h"
#include "TfrmModule.h"

struct WindowControls {
    explicit WindowControls(TfrmModule& window) : window_(window) {}

  private:
    TfrmModule& window_;
    template <typename Control>
    Control* Find(const char* name) const {
        Control* control = window_.findChild<Control*>(QLatin1String(name));
        if (!control) qFatal("the window has no control named %s", name);
        return control;
    }

  public:
    TPanel* pnMsg = Find<TPanel>("pnMsg");
    TShape* shComm = Find<TShape>("shComm");
    TPanel* pnSerial = Find<TPanel>("pnSerial");
    TPanel* pnVersion = Find<TPanel>("pnVersion");
    QPushButton* btnScan = Find<QPushButton>("btnScan");
    QLabel* lblID = Find<QLabel>("lblID");
    TPanel* pnID = Find<TPanel>("pnID");
    QScrollBar* sbID = Find<QScrollBar>("sbID");
    QPushButton* btnID = Find<QPushButton>("btnID");
    QLabel* lblBaudRate = Find<QLabel>("lblBaudRate");
    QComboBox* cmbBaudRate = Find<QComboBox>("cmbBaudRate");
    QCheckBox* chkLock = Find<QCheckBox>("chkLock");
    QPushButton* btnBaudRate = Find<QPushButton>("btnBaudRate");
    TPanel* pnSameCard = Find<TPanel>("pnSameCard");
    QScrollBar* sbSameCard = Find<QScrollBar>("sbSameCard");
    QLabel* lblSameCard = Find<QLabel>("lblSameCard");
    QGroupBox* gbNoNc = Find<QGroupBox>("gbNoNc");
    QRadioButton* rbNO = Find<QRadioButton>("rbNO");
    QRadioButton* rbNC = Find<QRadioButton>("rbNC");
    QPushButton* btnSameCard = Find<QPushButton>("btnSameCard");
    QPushButton* btnNoNc = Find<QPushButton>("btnNoNc");
    QComboBox* cmbWiegand = Find<QComboBox>("cmbWiegand");
    QComboBox* cmbRS485 = Find<QComboBox>("cmbRS485");
    QPushButton* btnMode = Find<QPushButton>("btnMode");
    TShape* shCard = Find<TShape>("shCard");
    TPanel* pnCardID = Find<TPanel>("pnCardID");
    QPushButton* btnReadCard = Find<QPushButton>("btnReadCard");
    QGroupBox* gbDefault = Find<QGroupBox>("gbDefault");
    TPanel* pnRSSI = Find<TPanel>("pnRSSI");
    QScrollBar* sbRSSI = Find<QScrollBar>("sbRSSI");
    QPushButton* btnRSSI = Find<QPushButton>("btnRSSI");
    QPushButton* btnReset = Find<QPushButton>("btnReset");
    QPushButton* btnFactory = Find<QPushButton>("btnFactory");
    QPushButton* btnEng = Find<QPushButton>("btnEng");
    QPushButton* btnGB = Find<QPushButton>("btnGB");
    QPushButton* btnBIG5 = Find<QPushButton>("btnBIG5");
    QPushButton* btnExit = Find<QPushButton>("btnExit");
    TPanel* pnTAVIN = Find<TPanel>("pnTAVIN");
    QGroupBox* GroupBox1 = Find<QGroupBox>("GroupBox1");
    TPanel* pnAddr = Find<TPanel>("pnAddr");
    QScrollBar* sbAddr = Find<QScrollBar>("sbAddr");
    QPushButton* btnAddr = Find<QPushButton>("btnAddr");
    TPanel* pnFreq = Find<TPanel>("pnFreq");
    QScrollBar* sbFreq = Find<QScrollBar>("sbFreq");
    QPushButton* btnFreq = Find<QPushButton>("btnFreq");
    TPanel* pnChannel = Find<TPanel>("pnChannel");
    QScrollBar* sbChannel = Find<QScrollBar>("sbChannel");
    QPushButton* btnChannel = Find<QPushButton>("btnChannel");
    QTimer* tmrBusy = Find<QTimer>("tmrBusy");
    QTimer* tmrCard = Find<QTimer>("tmrCard");
};

inline WindowControls Ui(TfrmModule& window) {
    return WindowControls(window);
}
inline WindowControls Ui(const TfrmModule& window) {
    return WindowControls(const_cast<TfrmModule&>(window));
}

// The click handlers as plain functions, for tables over the operations.
inline void ClickScan(TfrmModule& window) {
    window.btnScanClick();
}
inline void ClickReadCard(TfrmModule& window) {
    window.btnReadCardClick();
}
inline void ClickID(TfrmModule& window) {
    window.btnIDClick();
}
inline void ClickBaudRate(TfrmModule& window) {
    window.btnBaudRateClick();
}
inline void ClickSameCard(TfrmModule& window) {
    window.btnSameCardClick();
}
inline void ClickNoNc(TfrmModule& window) {
    window.btnNoNcClick();
}
inline void ClickMode(TfrmModule& window) {
    window.btnModeClick();
}
inline void ClickAddr(TfrmModule& window) {
    window.btnAddrClick();
}
inline void ClickFreq(TfrmModule& window) {
    window.btnFreqClick();
}
inline void ClickChannel(TfrmModule& window) {
    window.btnChannelClick();
}
inline void ClickRSSI(TfrmModule& window) {
    window.btnRSSIClick();
}
inline void ClickFactory(TfrmModule& window) {
    window.btnFactoryClick();
}
inline void ClickReset(TfrmModule& window) {
    window.btnResetClick();
}
