// The radio settings: address, frequency and channel (out of the operator's reach in the
// delivered window), and the RSSI level.
#include "OperationScopes.h"
#include "ReaderOperations.h"
#include "SettingCommands.h"
#include "TextTable.h"

namespace {

void SetRadio(ReaderSession& session, RadioSetting radio, int value, int startRow, int successRow,
              int failureRow) {
    ApplyReaderSetting(session,
                       TableRowSetting(session, startRow, successRow, failureRow,
                                       [radio, value] { return RadioCommand(radio, value); }));
}

QString RssiLevelText(const ReaderSession& session, RssiText which) {
    return QString::fromUtf8(RssiTexts[which][session.LanguageIndex]);
}

}  // namespace

void SetRadioAddress(ReaderSession& session, int address) {
    SetRadio(session, RadioSetting::Address, address, RowSetAddress, RowSetAddressOk,
             RowSetAddressError);
}

void SetRadioFrequency(ReaderSession& session, int frequency) {
    SetRadio(session, RadioSetting::Frequency, frequency, RowSetFreq, RowSetFreqOk,
             RowSetFreqError);
}

void SetRadioChannel(ReaderSession& session, int channel) {
    SetRadio(session, RadioSetting::Channel, channel, RowSetChannel, RowSetChannelOk,
             RowSetChannelError);
}

void SetRssiLevel(ReaderSession& session, int level) {
    ReaderSetting setting;
    setting.startText = [&session] { return RssiLevelText(session, RssiStart); };
    setting.successText = RssiLevelText(session, RssiOk);
    setting.failureText = RssiLevelText(session, RssiError);
    setting.commandRule = [level] { return RssiCommand(level); };
    ApplyReaderSetting(session, setting);
}
