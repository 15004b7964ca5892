// The radio settings: address, frequency and channel (out of the operator's reach in the
// delivered window), and the RSSI level.
#include "OperationScopes.h"
#include "ReaderOperations.h"
#include "SettingCommands.h"
#include "TextTable.h"

namespace {

Outcome SetRadio(ReaderContext& context, RadioSetting radio, int value, int startRow,
                 int successRow, int failureRow) {
    return ApplyReaderSetting(
        context, TableRowSetting(context, startRow, successRow, failureRow,
                                 [radio, value] { return RadioCommand(radio, value); }));
}

QString RssiLevelText(const ReaderContext& context, RssiText which) {
    return QString::fromUtf8(RssiTexts[which][context.LanguageIndex]);
}

}  // namespace

Outcome SetRadioAddress(ReaderContext& context, int address) {
    return SetRadio(context, RadioSetting::Address, address, RowSetAddress, RowSetAddressOk,
                    RowSetAddressError);
}

Outcome SetRadioFrequency(ReaderContext& context, int frequency) {
    return SetRadio(context, RadioSetting::Frequency, frequency, RowSetFreq, RowSetFreqOk,
                    RowSetFreqError);
}

Outcome SetRadioChannel(ReaderContext& context, int channel) {
    return SetRadio(context, RadioSetting::Channel, channel, RowSetChannel, RowSetChannelOk,
                    RowSetChannelError);
}

Outcome SetRssiLevel(ReaderContext& context, int level) {
    ReaderSetting setting;
    setting.startText = [&context] { return RssiLevelText(context, RssiStart); };
    setting.successText = RssiLevelText(context, RssiOk);
    setting.failureText = RssiLevelText(context, RssiError);
    setting.commandRule = [level] { return RssiCommand(level); };
    return ApplyReaderSetting(context, setting);
}
