#include "FrameCodec.h"

namespace {

char NibbleToHex(quint8 nibble) {
    return char(nibble < 10 ? 0x30 + nibble : 0x37 + nibble);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;  // lower case, any other character or none
}

}  // namespace

QByteArray ByteToHex(quint8 value) {
    QByteArray hex(2, '0');
    hex[0] = NibbleToHex(value >> 4);
    hex[1] = NibbleToHex(value & 0x0F);
    return hex;
}

quint8 CommandCheck(const QByteArray& commandText) {
    // The frame carries the text's length in 8 bits.
    const int n = commandText.size() % 256;
    quint8 check = quint8(FrameTab);
    for (int i = 0; i < n; ++i) check ^= quint8(commandText[i]);
    return check;
}

bool CheckReply(const quint8* buffer, int length) {
    if (length < 4) return false;
    quint8 x = 0;
    for (int i = 0; i <= length - 4; ++i) x ^= buffer[i];
    const QByteArray hex = ByteToHex(x);
    return quint8(hex[0]) == buffer[length - 3] && quint8(hex[1]) == buffer[length - 2];
}

qint32 HexToInt(const QByteArray& text) {
    quint32 value = 0;
    for (int i = 0; i < 8; ++i)
        value = value * 16 + quint32(HexDigit(i < text.size() ? text[i] : 0));
    return qint32(value);
}

QByteArray CommandFrame(const QByteArray& commandText) {
    QByteArray frame;
    frame.append(FrameTab).append(commandText.left(commandText.size() % 256));
    frame.append(ByteToHex(CommandCheck(commandText))).append(FrameCr);
    return frame;
}

QByteArray ReplyFrame(const QByteArray& body) {
    QByteArray frame;
    frame.append(FrameLf).append(body);
    quint8 x = 0;
    for (char c : frame) x ^= quint8(c);
    frame.append(ByteToHex(x)).append(FrameCr);
    return frame;
}
