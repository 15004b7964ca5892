#pragma once

#include <QByteArray>
#include <QString>

#include "ReaderContext.h"
#include "ReadingRun.h"
#include "ScanResult.h"

// The reader operations, one for each button of the window. Each takes what the window's
// controls hold at the click as plain values, tells the context's view of each step as it
// happens, and returns what happened as a value: the outcome, the message that says it, the
// reader as it answered.

enum class Outcome {
    Success,   // the reader confirmed: "... Ok"
    Failure,   // the port did not open or the reader did not confirm: "... Error"
    NoReader,  // no scan has found a reader yet: "Start Scan Reader!"
    PortGone,  // the port went away during the exchanges, or its device was no longer there
               // when the operation opened it: shown as "... Error" too
};

// How a setting operation ended, and the message that says it ("Set Same Card Ok").
struct SettingResult {
    Outcome outcome = Outcome::Failure;
    Message message;
};

// btnScan: the kept place first, then the port scan; ReaderFound when the reader answered and
// told its version.
ScanResult ScanReader(ReaderContext& context, const ScanOptions& options);
// With `locked` (chkLock) each port is tried at the kept line setting only.
inline ScanResult ScanReader(ReaderContext& context, bool locked) {
    ScanOptions options;
    options.locked = locked;
    return ScanReader(context, options);
}

// One presence check at the found reader's place, as before every setting: whether a reader
// answers there now, and which one. Shows nothing.
struct Presence {
    OpenResult open;
    bool answered = false;
    bool portGone = false;  // the device went away during the check
    QByteArray serialNumber;
    QByteArray readerNumber;
};
Presence CheckPresence(ReaderContext& context);

// btnReadCard: a reading run, which lasts until CancelReadTags. The observer hears of every
// pass of the run. A call while a run holds the port starts nothing.
ReadingRunResult ReadTags(ReaderContext& context, ReadingRunObserver* observer = nullptr);
// btnReadCard while a run lasts (its cancel caption): the run ends after its pass.
void CancelReadTags(ReaderContext& context);

// btnID: the reader number as pnID shows it (normally two decimal digits).
SettingResult SetReaderId(ReaderContext& context, const QString& readerNumber);
// btnBaudRate: the selected index of the line-setting list, -1 for none.
SettingResult SetLineSpeed(ReaderContext& context, int lineSettingIndex);
// btnSameCard: 0 to 9999 seconds.
SettingResult SetSameCard(ReaderContext& context, int seconds);
// btnNoNc: true for NO (rbNO checked), false for NC.
SettingResult SetInputNoNc(ReaderContext& context, bool normallyOpen);
// btnMode: the indexes of the RS485 (0 to 3) and the Wiegand (0 to 2) format lists.
SettingResult SetReaderMode(ReaderContext& context, int rs485Index, int wiegandIndex);
// btnAddr, btnFreq, btnChannel: 0 to 255; btnRSSI: 0 to 250.
SettingResult SetRadioAddress(ReaderContext& context, int address);
SettingResult SetRadioFrequency(ReaderContext& context, int frequency);
SettingResult SetRadioChannel(ReaderContext& context, int channel);
SettingResult SetRssiLevel(ReaderContext& context, int level);
// btnFactory and btnReset.
SettingResult SetFactoryDefault(ReaderContext& context);
SettingResult ResetReader(ReaderContext& context);
