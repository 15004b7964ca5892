#pragma once

#include <QByteArray>
#include <QtGlobal>

// Frame layout: a command is TAB, its text, two check characters and CR; a reply is LF, its
// body, two check characters and CR. The check is the XOR of the leading byte and the text.
constexpr char FrameTab = 0x09;
constexpr char FrameLf = 0x0A;
constexpr char FrameCr = 0x0D;

// Two upper-case hexadecimal characters, high nibble first.
QByteArray ByteToHex(quint8 value);
// XOR of TAB and the first (length mod 256) bytes of the command text.
quint8 CommandCheck(const QByteArray& commandText);
// True when the two characters before the last byte are the check of the bytes before them.
bool CheckReply(const quint8* buffer, int length);
// Eight hexadecimal characters (upper case only; anything else counts as 0) to a signed 32-bit
// integer; a shorter text counts as filled up with zero digits.
qint32 HexToInt(const QByteArray& text);

// The complete frames, for the simulator and the tests.
QByteArray CommandFrame(const QByteArray& commandText);
QByteArray ReplyFrame(const QByteArray& body);
