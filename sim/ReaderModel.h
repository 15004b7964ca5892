#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "LineSetting.h"
#include "ReaderProtocol.h"

// What can go wrong with a reader or its cable, injected on request.
enum class ReaderFault {
    None,
    Silent,          // never answers
    WrongCheck,      // check characters that do not match
    LowerCaseCheck,  // the right check written in lower case
    WrongLength,     // a correct frame with one body character too many
    Noise,           // stray bytes before the frame
    Echo,            // the command itself before the reply, as half-duplex adapters give
    Flood,           // 2000 bytes without an end
    Disconnect,      // the reader vanishes (the front closes the line)
    Late,            // answers, but only after the tool's reply window (LateExtraMs more)
    SlowTurnaround,  // the reply's first byte is lost: a half-duplex adapter that turns from
                     // sending to receiving later than the reader begins to answer
};

// The time one character takes on the line: start bit, data bits, parity bit, stop bits.
quint64 CharacterTimeUs(const LineParameters& line);

struct ReaderOptions {
    QByteArray serialNumber = "00001234";    // 8 characters
    int readerNumber = FactoryReaderNumber;  // 1 to 99
    QByteArray version = "01.70-01";         // 8 characters
    int lineIndex = FactoryLineIndex;        // index into LineSettingTable
    QList<quint32> tags;                     // tags in the field, presented in turn; none if empty
    int replyDelayMs = 2;                    // from the command's CR to the first reply byte
    int restartMs = 1500;                    // silence after "A00HR"
    ReaderFault fault = ReaderFault::None;
    int faultAfterFrames = 0;  // the fault starts with this many frames answered
};

// One reply to send: its bytes, and when the first of them goes out after the command's CR.
struct ReaderReply {
    QByteArray bytes;
    int delayMs = 0;
    bool disconnect = false;  // the reader vanishes instead of answering
};

// The reader's side of the protocol: it takes the bytes heard on the line, keeps the reader's
// state and answers each complete command frame.
class ReaderModel {
  public:
    explicit ReaderModel(ReaderOptions options = {});

    // Whether the reader hears a sender on this line; on a pseudo-terminal the parity is not
    // known and only the baud rate is compared.
    bool Hears(const LineParameters& sender, bool parityKnown = true) const;
    // The reader's own line parameters, from its current line index.
    LineParameters line() const;
    // Whether the reader is restarting after "A00HR" and deaf at time nowMs.
    bool restarting(qint64 nowMs) const { return nowMs < silentUntilMs_; }

    // Feeds one byte heard at time nowMs. A complete command frame yields the reply to send.
    std::optional<ReaderReply> Receive(char byte, qint64 nowMs);

    // The reader's settings as it was told them.
    const ReaderOptions& options() const { return options_; }
    int sameCardSeconds() const { return sameCard_; }
    bool inputNormallyOpen() const { return normallyOpen_; }
    int rs485Format() const { return rs485_; }
    int wiegandFormat() const { return wiegand_; }
    int radioAddress() const { return address_; }
    int radioFrequency() const { return frequency_; }
    int radioChannel() const { return channel_; }
    int rssiLevel() const { return rssi_; }
    int framesAnswered() const { return framesAnswered_; }
    // Every command text received in a valid frame, in order.
    const QList<QByteArray>& commandsReceived() const { return commands_; }

    static constexpr int LateExtraMs = 200;    // a late reply comes this much after the delay
    static constexpr int FloodBytes = 2000;    // a flood is longer than any reply buffer
    static constexpr int MaxFrameBytes = 258;  // TAB, 255 text bytes, two check characters

  private:
    std::optional<QByteArray> Execute(const QByteArray& text, qint64 nowMs);
    ReaderReply Spoil(ReaderReply reply, const QByteArray& commandFrame) const;
    void RestoreFactorySettings();

    ReaderOptions options_;
    ReaderOptions factory_;
    QByteArray pending_;
    QList<QByteArray> commands_;
    int framesAnswered_ = 0;
    int tagTurn_ = 0;
    qint64 silentUntilMs_ = -1;
    int pendingLineIndex_ = -1;
    int sameCard_ = FactorySameCardSeconds;
    bool normallyOpen_ = FactoryInputNormallyOpen;
    int rs485_ = FactoryRs485Index;
    int wiegand_ = FactoryWiegandIndex;
    int address_ = FactoryRadioAddress;
    int frequency_ = FactoryRadioFrequency;
    int channel_ = FactoryRadioChannel;
    int rssi_ = FactoryRssiLevel;
};
