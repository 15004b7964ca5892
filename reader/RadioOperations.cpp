// The radio settings: address, frequency and channel (out of the operator's reach in the
// delivered window), and the RSSI level.
#include "OperationScopes.h"
#include "ReaderOperations.h"
#include "SettingCommands.h"
#include "TextTable.h"

namespace {

Outcome SetRadio(ReaderSession& session, RadioSetting radio, int value, int startRow,
                 int successRow, int failureRow) {
    return ApplyReaderSetting(
        session, TableRowSetting(session, startRow, successRow, failureRow,
                                 [radio, value] { return RadioCommand(radio, value); }));
}

QString RssiLevelText(const ReaderSession& session, RssiText which) {
    return QString::fromUtf8(RssiTexts[which][session.LanguageIndex]);
}

}  // namespace

Outcome SetRadioAddress(ReaderSession& session, int address) {
    return SetRadio(session, RadioSetting::Address, address, RowSetAddress, RowSetAddressOk,
                    RowSetAddressError);
}

Outcome SetRadioFrequency(ReaderSession& session, int frequency) {
    return SetRadio(session, RadioSetting::Frequency, frequency, RowSetFreq, RowSetFreqOk,
                    RowSetFreqError);
}

Outcome SetRadioChannel(ReaderSession& session, int channel) {
    return SetRadio(session, RadioSetting::Channel, channel, RowSetChannel, RowSetChannelOk,
                    RowSetChannelError);
}

Outcome SetRssiLevel(ReaderSession& session, int level) {
    ReaderSetting setting;
    setting.startText = [&session] { return RssiLevelText(session, RssiStart); };
    setting.successText = RssiLevelText(session, RssiOk);
    setting.failureText = RssiLevelText(session, RssiError);
    setting.commandRule = [level] { return RssiCommand(level); };
    return ApplyReaderSetting(session, setting);
}
