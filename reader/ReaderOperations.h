#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "ReaderContext.h"

// The reader operations, one for each button of the window. Each takes what the window's
// controls hold at the click as plain values, and reports through the context's view; the
// setting operations also return their outcome, for front ends that act on it.

enum class Outcome {
    Success,   // the reader confirmed: "... Ok"
    Failure,   // the port did not open or the reader did not confirm: "... Error"
    NoReader,  // no scan has found a reader yet: "Start Scan Reader!"
};

// btnScan. With `locked` (chkLock) each port is tried at the kept line setting only.
// True when the reader was found and told its version (ReaderFound).
bool ScanReader(ReaderContext& context, bool locked);
// btnReadCard: starts a reading run that lasts until the next call, or cancels the one running.
void ReadTags(ReaderContext& context);
// btnID: the reader number as pnID shows it (normally two decimal digits).
Outcome SetReaderId(ReaderContext& context, const QString& readerNumber);
// btnBaudRate: the selected index of the line-setting list, -1 for none.
Outcome SetLineSpeed(ReaderContext& context, int lineSettingIndex);
// btnSameCard: 0 to 9999 seconds.
Outcome SetSameCard(ReaderContext& context, int seconds);
// btnNoNc: true for NO (rbNO checked), false for NC.
Outcome SetInputNoNc(ReaderContext& context, bool normallyOpen);
// btnMode: the indexes of the RS485 (0 to 3) and the Wiegand (0 to 2) format lists.
Outcome SetReaderMode(ReaderContext& context, int rs485Index, int wiegandIndex);
// btnAddr, btnFreq, btnChannel: 0 to 255; btnRSSI: 0 to 250.
Outcome SetRadioAddress(ReaderContext& context, int address);
Outcome SetRadioFrequency(ReaderContext& context, int frequency);
Outcome SetRadioChannel(ReaderContext& context, int channel);
Outcome SetRssiLevel(ReaderContext& context, int level);
// btnFactory and btnReset.
Outcome SetFactoryDefault(ReaderContext& context);
Outcome ResetReader(ReaderContext& context);

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
Outcome ApplyReaderSetting(ReaderContext& context, const ReaderSetting& setting);
