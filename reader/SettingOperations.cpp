// The settings the operator writes one by one: reader number, line speed, same-card time,
// input polarity, output formats, the radio values and the RSSI level.
#include "LineSetting.h"
#include "SettingCommands.h"
#include "TextTable.h"
#include "internal/SettingRoad.h"

namespace {

// A setting whose texts are rows of the table and whose command is known before the port opens.
SettingResult ApplyTableRowSetting(ReaderContext& context, int startRow, int successRow,
                                   int failureRow, const QByteArray& command) {
    ReaderSetting setting = TableRowSetting(startRow, successRow, failureRow);
    setting.commandRule = [command](const QByteArray&) { return command; };
    return ApplyReaderSetting(context, setting);
}

}  // namespace

SettingResult SetReaderId(ReaderContext& context, const QString& readerNumber) {
    ReaderSetting setting = TableRowSetting(RowSetReaderId, RowSetReaderIdOk, RowSetReaderIdError);
    setting.startText.Append(" = " + readerNumber);
    // The reader takes a new number only together with its own serial number, so the command
    // carries the one it has just reported to this try's presence check.
    setting.commandRule = [readerNumber](const QByteArray& presenceReply) {
        return ReaderIdCommand(presenceReply, readerNumber);
    };
    return ApplyReaderSetting(context, setting);
}

SettingResult SetLineSpeed(ReaderContext& context, int lineSettingIndex) {
    ReaderSetting setting =
        TableRowSetting(RowSetReaderBaudRate, RowSetReaderBaudRateOk, RowSetReaderBaudRateError);
    // No line setting selected: there is nothing in the table to send (no rule), so the port
    // is not touched.
    const QByteArray command = LineSpeedCommand(lineSettingIndex);
    if (command.isEmpty()) return ApplyReaderSetting(context, setting);

    const ReaderPlace newPlace = context.Place().WithLine(lineSettingIndex);
    setting.startText.Append(" = " + newPlace.lineSetting);
    setting.commandRule = [command](const QByteArray&) { return command; };
    // The reader listens at the new line setting from now on; the kept settings follow only
    // when a scan finds it there.
    setting.successAction = [&context, newPlace] { context.KeepPlace(newPlace); };
    return ApplyReaderSetting(context, setting);
}

SettingResult SetSameCard(ReaderContext& context, int seconds) {
    return ApplyTableRowSetting(context, RowSetSameCard, RowSetSameCardOk, RowSetSameCardError,
                                SameCardCommand(seconds));
}

SettingResult SetInputNoNc(ReaderContext& context, bool normallyOpen) {
    return ApplyTableRowSetting(context, RowSetDiNoNc, RowSetDiNoNcOk, RowSetDiNoNcError,
                                InputPolarityCommand(normallyOpen));
}

SettingResult SetReaderMode(ReaderContext& context, int rs485Index, int wiegandIndex) {
    return ApplyTableRowSetting(context, RowSetReaderMode, RowSetReaderModeOk,
                                RowSetReaderModeError, ReaderModeCommand(rs485Index, wiegandIndex));
}

SettingResult SetRadioAddress(ReaderContext& context, int address) {
    return ApplyTableRowSetting(context, RowSetAddress, RowSetAddressOk, RowSetAddressError,
                                RadioCommand(RadioSetting::Address, address));
}

SettingResult SetRadioFrequency(ReaderContext& context, int frequency) {
    return ApplyTableRowSetting(context, RowSetFreq, RowSetFreqOk, RowSetFreqError,
                                RadioCommand(RadioSetting::Frequency, frequency));
}

SettingResult SetRadioChannel(ReaderContext& context, int channel) {
    return ApplyTableRowSetting(context, RowSetChannel, RowSetChannelOk, RowSetChannelError,
                                RadioCommand(RadioSetting::Channel, channel));
}

SettingResult SetRssiLevel(ReaderContext& context, int level) {
    ReaderSetting setting;
    setting.startText = Message::Of(RssiTexts[RssiStart]);
    setting.successText = Message::Of(RssiTexts[RssiOk]);
    setting.failureText = Message::Of(RssiTexts[RssiError]);
    const QByteArray command = RssiCommand(level);
    setting.commandRule = [command](const QByteArray&) { return command; };
    return ApplyReaderSetting(context, setting);
}
