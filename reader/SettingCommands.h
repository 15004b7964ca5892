#pragma once

#include <QByteArray>
#include <QString>

// The command texts of the setting operations, formed from what the controls hold.

// "A00N" and the same-card time in seconds as four decimal digits.
QByteArray SameCardCommand(int seconds);
// "A00M1" for a normally open input, "A00M0" for normally closed.
QByteArray InputPolarityCommand(bool normallyOpen);
// "A00L", the RS485 format index, the Wiegand format index, each in decimal.
QByteArray ReaderModeCommand(int rs485Index, int wiegandIndex);
// "A00C", the serial number at positions 6 to 13 (1-based) of the presence check's reply
// frame, and the reader-number caption as it stands. Empty when the frame holds no whole
// serial number, so that no command with a cut serial number goes out.
QByteArray ReaderIdCommand(const QByteArray& presenceReplyText, const QString& readerIdCaption);
// "A00E" and the line-setting index as one upper-case hexadecimal digit; empty for an index
// outside the line-setting table.
QByteArray LineSpeedCommand(int lineSettingIndex);

// The radio settings, selected by the two characters after "A00W".
enum class RadioSetting { Address, Frequency, Channel };
// "A00W", the setting's selector, "01", the value as two upper-case hexadecimal digits.
QByteArray RadioCommand(RadioSetting setting, int value);
// "A00O" and the level as two upper-case hexadecimal digits.
QByteArray RssiCommand(int level);
