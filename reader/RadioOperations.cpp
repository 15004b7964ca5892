// The radio settings: address, frequency and channel (out of the operator's reach in the
// delivered window), and the RSSI level.
#include "ReaderOperations.h"
#include "SettingCommands.h"
#include "SettingOutcome.h"
#include "TfrmModule.h"

namespace {

void SetRadio(TfrmModule& form, RadioSetting radio, QScrollBar* value, int startRow, int successRow,
              int failureRow) {
    ApplyReaderSetting(
        form, TableRowSetting(form, startRow, successRow, failureRow,
                              [radio, value] { return RadioCommand(radio, value->value()); }));
}

QString RssiLevelText(const TfrmModule& form, RssiText which) {
    return QString::fromUtf8(RssiTexts[which][form.LanguageIndex]);
}

}  // namespace

void SetRadioAddress(TfrmModule& form) {
    SetRadio(form, RadioSetting::Address, form.sbAddr, RowSetAddress, RowSetAddressOk,
             RowSetAddressError);
}

void SetRadioFrequency(TfrmModule& form) {
    SetRadio(form, RadioSetting::Frequency, form.sbFreq, RowSetFreq, RowSetFreqOk, RowSetFreqError);
}

void SetRadioChannel(TfrmModule& form) {
    SetRadio(form, RadioSetting::Channel, form.sbChannel, RowSetChannel, RowSetChannelOk,
             RowSetChannelError);
}

void SetRssiLevel(TfrmModule& form) {
    ReaderSetting setting;
    setting.startText = [&form] { return RssiLevelText(form, RssiStart); };
    setting.successText = RssiLevelText(form, RssiOk);
    setting.failureText = RssiLevelText(form, RssiError);
    setting.commandRule = [&form] { return RssiCommand(form.sbRSSI->value()); };
    ApplyReaderSetting(form, setting);
}
