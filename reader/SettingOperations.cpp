// The settings the operator writes one by one: reader number, line speed, same-card time,
// input polarity, output formats, the radio values and the RSSI level.
#include "LineSetting.h"
#include "SettingCommands.h"
#include "TextTable.h"
#include "internal/SettingRoad.h"

namespace {

// A setting whose texts are rows of the table and whose command is known before the port opens.
Outcome ApplyTableRowSetting(ReaderContext& context, int startRow, int successRow, int failureRow,
                             const QByteArray& command) {
    ReaderSetting setting = TableRowSetting(context, startRow, successRow, failureRow);
    setting.commandRule = [command](const QByteArray&) { return command; };
    return ApplyReaderSetting(context, setting);
}

QString RssiLevelText(const ReaderContext& context, RssiText which) {
    return QString::fromUtf8(RssiTexts[which][context.LanguageIndex]);
}

}  // namespace

Outcome SetReaderId(ReaderContext& context, const QString& readerNumber) {
    ReaderSetting setting =
        TableRowSetting(context, RowSetReaderId, RowSetReaderIdOk, RowSetReaderIdError);
    setting.startText += " = " + readerNumber;
    // The reader takes a new number only together with its own serial number, so the command
    // carries the one it has just reported to this try's presence check.
    setting.commandRule = [readerNumber](const QByteArray& presenceReply) {
        return ReaderIdCommand(presenceReply, readerNumber);
    };
    return ApplyReaderSetting(context, setting);
}

Outcome SetLineSpeed(ReaderContext& context, int lineSettingIndex) {
    ReaderSetting setting = TableRowSetting(context, RowSetReaderBaudRate, RowSetReaderBaudRateOk,
                                            RowSetReaderBaudRateError);
    // No line setting selected: there is nothing in the table to send (no rule), so the port
    // is not touched.
    const QByteArray command = LineSpeedCommand(lineSettingIndex);
    if (command.isEmpty()) return ApplyReaderSetting(context, setting);

    const QString lineSetting = QString::fromLatin1(LineSettingTable[lineSettingIndex]);
    setting.startText += " = " + lineSetting;
    setting.commandRule = [command](const QByteArray&) { return command; };
    // The reader listens at the new line setting from now on; the kept settings follow only
    // when a scan finds it there.
    setting.successAction = [&context, lineSettingIndex, lineSetting] {
        context.ScanBaudRateNo = lineSettingIndex;
        context.ScanBaudRate = lineSetting;
    };
    return ApplyReaderSetting(context, setting);
}

Outcome SetSameCard(ReaderContext& context, int seconds) {
    return ApplyTableRowSetting(context, RowSetSameCard, RowSetSameCardOk, RowSetSameCardError,
                                SameCardCommand(seconds));
}

Outcome SetInputNoNc(ReaderContext& context, bool normallyOpen) {
    return ApplyTableRowSetting(context, RowSetDiNoNc, RowSetDiNoNcOk, RowSetDiNoNcError,
                                InputPolarityCommand(normallyOpen));
}

Outcome SetReaderMode(ReaderContext& context, int rs485Index, int wiegandIndex) {
    return ApplyTableRowSetting(context, RowSetReaderMode, RowSetReaderModeOk,
                                RowSetReaderModeError, ReaderModeCommand(rs485Index, wiegandIndex));
}

Outcome SetRadioAddress(ReaderContext& context, int address) {
    return ApplyTableRowSetting(context, RowSetAddress, RowSetAddressOk, RowSetAddressError,
                                RadioCommand(RadioSetting::Address, address));
}

Outcome SetRadioFrequency(ReaderContext& context, int frequency) {
    return ApplyTableRowSetting(context, RowSetFreq, RowSetFreqOk, RowSetFreqError,
                                RadioCommand(RadioSetting::Frequency, frequency));
}

Outcome SetRadioChannel(ReaderContext& context, int channel) {
    return ApplyTableRowSetting(context, RowSetChannel, RowSetChannelOk, RowSetChannelError,
                                RadioCommand(RadioSetting::Channel, channel));
}

Outcome SetRssiLevel(ReaderContext& context, int level) {
    ReaderSetting setting;
    setting.startText = RssiLevelText(context, RssiStart);
    setting.successText = RssiLevelText(context, RssiOk);
    setting.failureText = RssiLevelText(context, RssiError);
    const QByteArray command = RssiCommand(level);
    setting.commandRule = [command](const QByteArray&) { return command; };
    return ApplyReaderSetting(context, setting);
}
