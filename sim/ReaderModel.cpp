#include "ReaderModel.h"

#include "FrameCodec.h"
#include "ReaderProtocol.h"

namespace {

QByteArray TwoDigits(int number) {
    return QByteArray::number(number % 100).rightJustified(2, '0');
}

bool AllDecimal(const QByteArray& text) {
    if (text.isEmpty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// An upper-case hexadecimal digit, or -1: the tool sends upper case only, so the reader is as
// strict as the tool's own check.
int UpperHexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int UpperHexByte(const QByteArray& two) {
    if (two.size() != 2) return -1;
    const int high = UpperHexDigit(two[0]), low = UpperHexDigit(two[1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

QByteArray Acknowledge(char letter) {
    return QByteArray("OK").append(letter);
}
QByteArray Refuse(char letter) {
    return QByteArray("ER").append(letter);
}

}  // namespace

quint64 CharacterTimeUs(const LineParameters& line) {
    // In half bits, so that 1.5 stop bits count exactly.
    int halfBits = 2 * (1 + line.dataBits) + (line.parity == Parity::None ? 0 : 2);
    halfBits += line.stopBits == StopBits::One ? 2 : line.stopBits == StopBits::OneAndHalf ? 3 : 4;
    const quint64 baud = line.baudRate > 0 ? quint64(line.baudRate) : 1;
    return (quint64(halfBits) * 1000000 / 2 + baud - 1) / baud;
}

ReaderModel::ReaderModel(ReaderOptions options) : options_(std::move(options)) {
    if (options_.lineIndex < 0 || options_.lineIndex >= int(LineSettingTable.size()))
        options_.lineIndex = FactoryLineIndex;
    options_.serialNumber = options_.serialNumber.leftJustified(8, '0', true);
    options_.version = options_.version.leftJustified(8, ' ', true);
    factory_ = options_;
    factory_.readerNumber = FactoryReaderNumber;
    factory_.lineIndex = FactoryLineIndex;
}

LineParameters ReaderModel::line() const {
    return ParseLineSetting(QString::fromLatin1(LineSettingTable[options_.lineIndex]))
        .value_or(LineParameters{});
}

bool ReaderModel::Hears(const LineParameters& sender, bool parityKnown) const {
    const LineParameters own = line();
    if (!parityKnown) return sender.baudRate == own.baudRate;
    return sender == own;
}

std::optional<ReaderReply> ReaderModel::Receive(char byte, qint64 nowMs) {
    if (restarting(nowMs)) {
        pending_.clear();
        return std::nullopt;
    }
    if (byte == FrameTab) {  // a TAB always begins a new frame
        pending_ = QByteArray(1, FrameTab);
        return std::nullopt;
    }
    if (pending_.isEmpty()) return std::nullopt;  // junk before the TAB
    if (byte != FrameCr) {
        pending_.append(byte);
        if (pending_.size() > MaxFrameBytes) pending_.clear();  // no command is that long
        return std::nullopt;
    }

    const QByteArray frame = pending_ + FrameCr;
    pending_.clear();
    if (frame.size() < 4) return std::nullopt;
    const QByteArray text = frame.mid(1, frame.size() - 4);
    if (CommandFrame(text) != frame) return std::nullopt;  // a wrong check is not answered

    commands_ << text;
    const bool faulty =
        options_.fault != ReaderFault::None && framesAnswered_ >= options_.faultAfterFrames;
    ++framesAnswered_;

    const std::optional<QByteArray> body = Execute(text, nowMs);
    // The reply is composed at the old line; a new line setting applies to what comes after.
    if (pendingLineIndex_ >= 0) {
        options_.lineIndex = pendingLineIndex_;
        pendingLineIndex_ = -1;
    }
    if (!body) return std::nullopt;

    ReaderReply reply{ReplyFrame(*body), options_.replyDelayMs, false};
    if (faulty) reply = Spoil(reply, frame);
    if (reply.bytes.isEmpty() && !reply.disconnect) return std::nullopt;
    return reply;
}

// Does what the command says and gives the reply body; nothing when the reader keeps silent.
std::optional<QByteArray> ReaderModel::Execute(const QByteArray& text, qint64 nowMs) {
    if (text.size() < 4 || text[0] != 'A') return std::nullopt;
    // "00" addresses whatever reader is on the line; otherwise only the reader of that number.
    const QByteArray address = text.mid(1, 2);
    if (address != "00" && address != TwoDigits(options_.readerNumber)) return std::nullopt;

    const char letter = text[3];
    const QByteArray params = text.mid(4);
    const QByteArray number = TwoDigits(options_.readerNumber);

    switch (letter) {
        case 'B':  // reader information: number and serial
            if (!params.isEmpty()) return Refuse(letter);
            return QByteArray("B") + number + "S" + options_.serialNumber;
        case 'V':  // firmware version
            if (!params.isEmpty()) return Refuse(letter);
            return QByteArray("V") + number + "R" + options_.version;
        case 'F': {  // the tag in the field, if any
            if (!params.isEmpty()) return Refuse(letter);
            if (options_.tags.isEmpty()) return QByteArray("F") + number + "NO";
            const quint32 tag = options_.tags[tagTurn_ % options_.tags.size()];
            tagTurn_ = (tagTurn_ + 1) % options_.tags.size();
            return QByteArray("F") + number + "ID" +
                   QByteArray::number(tag, 16).toUpper().rightJustified(8, '0');
        }
        case 'C': {  // new reader number, addressed by serial number
            if (params.size() != 10) return Refuse(letter);
            // Another reader's serial: not meant for this one, which keeps silent.
            if (params.left(8) != options_.serialNumber) return std::nullopt;
            const QByteArray digits = params.mid(8, 2);
            const int newNumber = digits.toInt();
            if (!AllDecimal(digits) || newNumber < 1 || newNumber > 99) return Refuse(letter);
            options_.readerNumber = newNumber;
            return Acknowledge(letter);
        }
        case 'E': {  // new line setting, by its index
            const int index = params.size() == 1 ? UpperHexDigit(params[0]) : -1;
            if (index < 0 || index >= int(LineSettingTable.size())) return Refuse(letter);
            pendingLineIndex_ = index;
            return Acknowledge(letter);
        }
        case 'X':  // factory default
            if (params != "5A") return Refuse(letter);
            RestoreFactorySettings();
            return Acknowledge(letter);
        case 'H':  // restart: the reply goes out, then the reader is deaf for a while
            if (params != "R") return Refuse(letter);
            silentUntilMs_ = nowMs + options_.replyDelayMs + options_.restartMs;
            return Acknowledge(letter);
        case 'N':  // same-card time
            if (params.size() != 4 || !AllDecimal(params)) return Refuse(letter);
            sameCard_ = params.toInt();
            return Acknowledge(letter);
        case 'M':  // digital input polarity
            if (params != "0" && params != "1") return Refuse(letter);
            normallyOpen_ = params == "1";
            return Acknowledge(letter);
        case 'L': {  // output formats: RS485 0 to 3, Wiegand 0 to 2
            if (params.size() != 2 || !AllDecimal(params)) return Refuse(letter);
            const int rs485 = params[0] - '0', wiegand = params[1] - '0';
            if (rs485 > 3 || wiegand > 2) return Refuse(letter);
            rs485_ = rs485;
            wiegand_ = wiegand;
            return Acknowledge(letter);
        }
        case 'W': {  // radio value: selector, "01", one byte as two hex digits
            const int value = params.size() == 6 ? UpperHexByte(params.mid(4, 2)) : -1;
            if (value < 0 || params.mid(2, 2) != "01") return Refuse(letter);
            const QByteArray selector = params.left(2);
            if (selector == "06")
                address_ = value;
            else if (selector == "0F")
                frequency_ = value;
            else if (selector == "0B")
                channel_ = value;
            else
                return Refuse(letter);
            return Acknowledge(letter);
        }
        case 'O': {  // RSSI level 0 to 250
            const int value = UpperHexByte(params);
            if (value < 0 || value > 250) return Refuse(letter);
            rssi_ = value;
            return Acknowledge(letter);
        }
        default:
            return Refuse(letter);
    }
}

void ReaderModel::RestoreFactorySettings() {
    options_.readerNumber = factory_.readerNumber;
    pendingLineIndex_ = factory_.lineIndex;
    sameCard_ = FactorySameCardSeconds;
    normallyOpen_ = FactoryInputNormallyOpen;
    rs485_ = FactoryRs485Index;
    wiegand_ = FactoryWiegandIndex;
    address_ = FactoryRadioAddress;
    frequency_ = FactoryRadioFrequency;
    channel_ = FactoryRadioChannel;
    rssi_ = FactoryRssiLevel;
}

// The injected fault applied to a reply that would otherwise be right. The command itself has
// been carried out: the faults are of the reader's transmitter and of the cable.
ReaderReply ReaderModel::Spoil(ReaderReply reply, const QByteArray& commandFrame) const {
    QByteArray& bytes = reply.bytes;
    const int checkAt = bytes.size() - 3;
    switch (options_.fault) {
        case ReaderFault::None:
            break;
        case ReaderFault::Silent:
            bytes.clear();
            break;
        case ReaderFault::WrongCheck: {
            // Flip the lowest bit of the check byte: still two upper-case hex characters.
            const QByteArray right = bytes.mid(checkAt, 2);
            const quint8 value = quint8(right.toUInt(nullptr, 16));
            bytes.replace(checkAt, 2, ByteToHex(value ^ 0x01));
            break;
        }
        case ReaderFault::LowerCaseCheck:
            // A check without letters reads the same in lower case and stays valid, as it would
            // from a real reader that writes lower case.
            bytes.replace(checkAt, 2, bytes.mid(checkAt, 2).toLower());
            break;
        case ReaderFault::WrongLength:
            bytes = ReplyFrame(bytes.mid(1, checkAt - 1) + '0');
            break;
        case ReaderFault::Noise:
            bytes.prepend(QByteArray("\xFF\x00\xF8", 3));
            break;
        case ReaderFault::Echo:
            bytes.prepend(commandFrame);
            break;
        case ReaderFault::Flood: {
            // An LF, then no CR and no further LF: no frame ever completes.
            static const QByteArray pattern = "FLOOD-0123456789-";
            QByteArray flood(1, FrameLf);
            while (flood.size() < FloodBytes) flood.append(pattern);
            bytes = flood.left(FloodBytes);
            break;
        }
        case ReaderFault::Disconnect:
            bytes.clear();
            reply.disconnect = true;
            break;
        case ReaderFault::Late:
            reply.delayMs += LateExtraMs;
            break;
        case ReaderFault::SlowTurnaround:
            bytes.remove(0, 1);
            break;
    }
    return reply;
}
