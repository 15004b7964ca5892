#include "SettingCommands.h"

#include "LineSetting.h"
#include "ReaderProtocol.h"

namespace {

// Two upper-case hexadecimal digits, with a leading zero below 16.
QByteArray TwoHexDigits(int value) {
    return QByteArray::number(value, 16).toUpper().rightJustified(2, '0');
}

}  // namespace

QByteArray SameCardCommand(int seconds) {
    return SameCardPrefix + QByteArray::number(seconds).rightJustified(4, '0');
}

QByteArray InputPolarityCommand(bool normallyOpen) {
    return InputPolarityPrefix + (normallyOpen ? "1" : "0");
}

QByteArray ReaderModeCommand(int rs485Index, int wiegandIndex) {
    return ReaderModePrefix + QByteArray::number(rs485Index) + QByteArray::number(wiegandIndex);
}

QByteArray ReaderIdCommand(const QByteArray& presenceReplyText, const QString& readerIdCaption) {
    const int offset = SerialNumberPosition - 1;
    if (presenceReplyText.size() < offset + SerialNumberLength) return {};
    return ReaderIdPrefix + presenceReplyText.mid(offset, SerialNumberLength) +
           readerIdCaption.toLatin1();
}

QByteArray LineSpeedCommand(int lineSettingIndex) {
    if (lineSettingIndex < 0 || lineSettingIndex >= int(LineSettingTable.size())) return {};
    return LineSpeedPrefix + QByteArray::number(lineSettingIndex, 16).toUpper();
}

QByteArray RadioCommand(RadioSetting setting, int value) {
    const char* selector = setting == RadioSetting::Address     ? "06"
                           : setting == RadioSetting::Frequency ? "0F"
                                                                : "0B";
    return RadioPrefix + QByteArray(selector) + "01" + TwoHexDigits(value);
}

QByteArray RssiCommand(int level) {
    return RssiPrefix + TwoHexDigits(level);
}
