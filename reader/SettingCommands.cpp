#include "SettingCommands.h"

#include "LineSetting.h"

namespace {

// Two upper-case hexadecimal digits, with a leading zero below 16.
QByteArray TwoHexDigits(int value) {
    return QByteArray::number(value, 16).toUpper().rightJustified(2, '0');
}

// The serial number: 8 characters from position 6 of the reply frame (position 1 is its LF).
constexpr int SerialNumberOffset = 5;
constexpr int SerialNumberLength = 8;

}  // namespace

QByteArray SameCardCommand(const QString& sameCardCaption) {
    return "A00N" + sameCardCaption.toLatin1();
}

QByteArray InputPolarityCommand(bool normallyOpen) {
    return normallyOpen ? "A00M1" : "A00M0";
}

QByteArray ReaderModeCommand(int rs485Index, int wiegandIndex) {
    return "A00L" + QByteArray::number(rs485Index) + QByteArray::number(wiegandIndex);
}

QByteArray ReaderIdCommand(const QByteArray& presenceReplyText, const QString& readerIdCaption) {
    if (presenceReplyText.size() < SerialNumberOffset + SerialNumberLength) return {};
    return "A00C" + presenceReplyText.mid(SerialNumberOffset, SerialNumberLength) +
           readerIdCaption.toLatin1();
}

QByteArray LineSpeedCommand(int lineSettingIndex) {
    if (lineSettingIndex < 0 || lineSettingIndex >= int(LineSettingTable.size())) return {};
    return "A00E" + QByteArray::number(lineSettingIndex, 16).toUpper();
}

QByteArray RadioCommand(RadioSetting setting, int value) {
    const char* selector = setting == RadioSetting::Address     ? "06"
                           : setting == RadioSetting::Frequency ? "0F"
                                                                : "0B";
    return "A00W" + QByteArray(selector) + "01" + TwoHexDigits(value);
}

QByteArray RssiCommand(int level) {
    return "A00O" + TwoHexDigits(level);
}
