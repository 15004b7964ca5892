#pragma once

// What the setting tests share: a window whose last scan found the in-memory reader, and the
// checks of an operation's outcome.

#include <QGuiApplication>
#include <QtTest>

#include "FormHarness.h"
#include "FrameCodec.h"
#include "LineSetting.h"
#include "PortNames.h"
#include "ReaderOperations.h"

// The reader of FormHarness sits on COM3.
constexpr int ReaderCom = 3;
inline const QString ReaderDevice = PortNames::DefaultDevice(ReaderCom);

// The window as a scan leaves it after finding the harness's reader at `lineIndex` of the
// line-setting table: the port and line setting kept, the reader number shown, ReaderFound.
inline TfrmModule& ReaderAsFound(FormHarness& h, int lineIndex = 5,
                                 const QString& language = "English") {
    h.StoreSettings(
        {ReaderCom, QString::fromLatin1(LineSettingTable[lineIndex]), lineIndex, language});
    TfrmModule& form = h.form();
    form.context().ScanCommNo = ReaderCom;
    form.context().ScanBaudRate = QString::fromLatin1(LineSettingTable[lineIndex]);
    form.context().ScanBaudRateNo = lineIndex;
    const int number = h.reader.options().readerNumber;
    Ui(form).sbID->setValue(number);
    Ui(form).pnID->setCaption(QString::asprintf("%02d", number));
    form.context().ReaderFound = true;
    return form;
}

// Wait mode as the operation runs: the hourglass on, the window disabled.
inline bool InWaitMode(const TfrmModule& form) {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return !form.isEnabled() && cursor && cursor->shape() == Qt::WaitCursor;
}

// Idle again: the window takes input and the cursor is the default one.
inline bool Idle(const TfrmModule& form) {
    return form.isEnabled() && QGuiApplication::overrideCursor() == nullptr;
}

inline void VerifySuccess(FormHarness& h, const QString& text) {
    TfrmModule& form = h.form();
    QCOMPARE(Ui(form).pnMsg->caption(), text);
    QCOMPARE(Ui(form).shComm->brushColor(), ColorYellow);
    QVERIFY(h.tones.Last(1000, 300));
    QVERIFY(Idle(form));
}

inline void VerifyFailure(FormHarness& h, const QString& text) {
    TfrmModule& form = h.form();
    QCOMPARE(Ui(form).pnMsg->caption(), text);
    QCOMPARE(Ui(form).shComm->brushColor(), ColorRed);
    QVERIFY(h.tones.Last(300, 300));
    QVERIFY(Idle(form));
}

// A correct reply frame whose body has `length` characters, the reader number "01" and the
// serial number "00001234" where the 12-character body of "A00B" has them.
inline QByteArray PresenceReply(int length) {
    return ReplyFrame(QByteArray("B01 00001234").leftJustified(length, '0', true));
}

// The setting operations by name, for tables over all of them.
using Operation = void (*)(TfrmModule&);  // a click on the window
struct NamedOperation {
    const char* name;
    Operation run;
    const char* failureText;
};
inline const NamedOperation SettingOperations[] = {
    {"reader number", ClickID, "Set Reader ID Error"},
    {"line speed", ClickBaudRate, "Set Reader BaudRate Error"},
    {"same-card time", ClickSameCard, "Set Same Card Error"},
    {"input polarity", ClickNoNc, "Set DI NO/NC Error"},
    {"reader mode", ClickMode, "Set Reader Mode Error"},
    {"radio address", ClickAddr, "Set Address Error"},
    {"radio frequency", ClickFreq, "Set Freq Error"},
    {"radio channel", ClickChannel, "Set Channel Error"},
    {"RSSI level", ClickRSSI, "Set RSSI Level Error"},
    {"factory default", ClickFactory, "Set Default Error"},
    {"reader reset", ClickReset, "TReader Reset Error"},
};
