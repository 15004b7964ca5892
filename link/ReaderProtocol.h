#pragma once

#include <QByteArray>

// What the tool and a reader agree on: the command texts, the replies' lengths, the values a
// reader leaves the factory with, and the tool's pauses and tones around the exchanges. The
// simulator takes the factory values from here, but keeps its own checks of the values it is
// sent: a model of the reader written apart from the tool tells a wrong range in either.

// Commands without a variable part.
inline const QByteArray ReaderInfoCommand = "A00B";  // also the presence check before a setting
inline const QByteArray VersionCommand = "A00V";
inline const QByteArray ReadTagCommand = "A00F";
inline const QByteArray FactoryDefaultCommand = "A00X5A";
inline const QByteArray ReaderResetCommand = "A00HR";

// The beginnings of the commands that carry a value.
inline const QByteArray ReaderIdPrefix = "A00C";       // serial number, then the reader number
inline const QByteArray LineSpeedPrefix = "A00E";      // one hexadecimal digit: the table index
inline const QByteArray SameCardPrefix = "A00N";       // four decimal digits, seconds
inline const QByteArray InputPolarityPrefix = "A00M";  // "1" normally open, "0" normally closed
inline const QByteArray ReaderModePrefix = "A00L";     // RS485 index, then Wiegand index
inline const QByteArray RadioPrefix = "A00W";          // selector, "01", two hexadecimal digits
inline const QByteArray RssiPrefix = "A00O";           // two hexadecimal digits

// Whole reply frames, LF to CR: the reader information has a 12-character body with the
// reader number at body characters 2-3 and the serial number at 5-12; a tag reply has a
// 13-character body with the tag number at body characters 6-13.
constexpr int ReaderInfoReplyLength = 16;
constexpr int TagReplyLength = 17;
// 1-based positions in the reply frame (position 1 is the LF).
constexpr int ReaderNumberPosition = 3;
constexpr int SerialNumberPosition = 6;
constexpr int SerialNumberLength = 8;
constexpr int VersionPosition = 6;
constexpr int VersionLength = 8;
constexpr int TagPosition = 7;
constexpr int TagLength = 8;

// The reader's settings as it leaves the factory; the window starts with the same values.
constexpr int FactoryReaderNumber = 1;
constexpr int FactoryLineIndex = 5;  // "19200,e,8,1"
constexpr int FactorySameCardSeconds = 10;
constexpr bool FactoryInputNormallyOpen = true;
constexpr int FactoryRs485Index = 1;    // RS485 32 bits
constexpr int FactoryWiegandIndex = 0;  // Wiegand 26 bits
constexpr int FactoryRadioAddress = 49;
constexpr int FactoryRadioFrequency = 59;
constexpr int FactoryRadioChannel = 0;
constexpr int FactoryRssiLevel = 0;

// The ranges of the values the tool sends.
constexpr int ReaderNumberMin = 1, ReaderNumberMax = 99;
constexpr int SameCardMax = 9999;
constexpr int RadioValueMax = 255;
constexpr int RssiLevelMax = 250;
constexpr int Rs485FormatCount = 4;
constexpr int WiegandFormatCount = 3;
// The output formats' bits by their index in the reader-mode command.
constexpr int Rs485FormatBits[Rs485FormatCount] = {24, 32, 40, 64};
constexpr int WiegandFormatBits[WiegandFormatCount] = {26, 34, 42};

// The tool's pauses before its commands, in milliseconds.
constexpr unsigned PauseBeforeCommandMs = 100;  // before each presence check and setting
constexpr unsigned PauseBeforeResetMs = 50;
constexpr int TurnsPerReadingPass = 80;  // 1 ms each, the window kept alive

// What the tool sounds for each outcome: frequency in Hz, duration in ms.
struct Tone {
    int frequencyHz;
    int durationMs;
};
constexpr Tone SuccessTone{1000, 300};
constexpr Tone FailureTone{300, 300};
constexpr Tone TagReadTone{1000, 30};
