#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class TfrmModule;

// The reader operations behind the window's buttons; each is the body of a click handler.
void ScanReader(TfrmModule& form);      // btnScan
void ReadTags(TfrmModule& form);        // btnReadCard: starts a reading run, or cancels one
void SetReaderId(TfrmModule& form);     // btnID
void SetLineSpeed(TfrmModule& form);    // btnBaudRate
void SetSameCard(TfrmModule& form);     // btnSameCard
void SetInputNoNc(TfrmModule& form);    // btnNoNc
void SetReaderMode(TfrmModule& form);   // btnMode
void SetRadioAddress(TfrmModule& form); // btnAddr
void SetRadioFrequency(TfrmModule& form);  // btnFreq
void SetRadioChannel(TfrmModule& form);    // btnChannel
void SetRssiLevel(TfrmModule& form);    // btnRSSI
void SetFactoryDefault(TfrmModule& form);  // btnFactory
void ResetReader(TfrmModule& form);     // btnReset

// The shared road of every setting operation.
struct ReaderSetting {
    std::function<QString()> startText;  // composed when it is shown
    QString successText;
    QString failureText;
    // Forms the command after each try's presence check; may read the check's ReplyText.
    // An empty result ends the operation as a failure without sending a setting command.
    std::function<QByteArray()> commandRule;
    int tries = 3;
    std::function<void()> preparation;    // once, after the reader check, before the start text
    std::function<void()> successAction;  // once, when the command is confirmed, before closing
};
void ApplyReaderSetting(TfrmModule& form, const ReaderSetting& setting);
