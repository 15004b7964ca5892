#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "ReaderSession.h"

// The reader operations, one for each button of the window. Each takes what the window's
// controls hold at the click as plain values, and reports through the session's view.

// btnScan. With `locked` (chkLock) each port is tried at the kept line setting only.
void ScanReader(ReaderSession& session, bool locked);
// btnReadCard: starts a reading run that lasts until the next call, or cancels the one running.
void ReadTags(ReaderSession& session);
// btnID: the reader number as pnID shows it (normally two decimal digits).
void SetReaderId(ReaderSession& session, const QString& readerNumber);
// btnBaudRate: the selected index of the line-setting list, -1 for none.
void SetLineSpeed(ReaderSession& session, int lineSettingIndex);
// btnSameCard: 0 to 9999 seconds.
void SetSameCard(ReaderSession& session, int seconds);
// btnNoNc: true for NO (rbNO checked), false for NC.
void SetInputNoNc(ReaderSession& session, bool normallyOpen);
// btnMode: the indexes of the RS485 (0 to 3) and the Wiegand (0 to 2) format lists.
void SetReaderMode(ReaderSession& session, int rs485Index, int wiegandIndex);
// btnAddr, btnFreq, btnChannel: 0 to 255; btnRSSI: 0 to 250.
void SetRadioAddress(ReaderSession& session, int address);
void SetRadioFrequency(ReaderSession& session, int frequency);
void SetRadioChannel(ReaderSession& session, int channel);
void SetRssiLevel(ReaderSession& session, int level);
// btnFactory and btnReset.
void SetFactoryDefault(ReaderSession& session);
void ResetReader(ReaderSession& session);

// The shared road of every setting operation.
struct ReaderSetting {
    std::function<QString()> startText;  // composed when it is shown
    QString successText;
    QString failureText;
    // Forms the command after each try's presence check; may read the check's reply.
    // An empty result ends the operation as a failure without sending a setting command.
    std::function<QByteArray()> commandRule;
    int tries = 3;
    std::function<void()> preparation;    // once, after the reader check, before the start text
    std::function<void()> successAction;  // once, when the command is confirmed, before closing
};
void ApplyReaderSetting(ReaderSession& session, const ReaderSetting& setting);
