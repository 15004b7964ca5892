#pragma once

#include <QString>
#include <vector>

#include "PortState.h"
#include "ScanResult.h"

// The likeliest reason that no reader answered, each with its own remedy.
enum class Cause {
    NoDevice,         // no device at any port tried
    MissingTarget,    // an assigned port's device is not there
    NoPermission,     // the user may not open the port
    BrailleService,   // the braille display service holds the adapter
    ModemManager,     // the modem manager probes it
    HeldByProgram,    // another program holds the port
    NotSerialDevice,  // the port leads to something that is no serial device
    OpenError,        // the port does not open for another reason
    Gone,             // the port went away during the search
    WrongCheck,       // frames whose check characters are wrong: noise or another line setting
    Echo,             // only the adapter's echo came back, set aside: no reader behind it
    WrongLength,      // whole frames of another length: another device on the line
    Noise,            // bytes but no whole frame: most likely another line setting
    Silent,           // nothing came back at all
};

// One port as the scan met it, however often it was tried: the last open's outcome and each
// line setting once, with its counts summed. Its state is the open's when it did not open, else
// Answered, Gone or Silent.
struct PortSummary {
    int comNumber = 0;
    OpenResult open;
    PortState state = PortState::NoDevice;
    std::vector<LineSettingTry> lines;
    ReplyCounts replies;  // over all line settings
};

struct Diagnosis {
    std::vector<PortSummary> ports;  // in the order the scan first tried them
    Cause cause = Cause::NoDevice;
    int causePort = -1;  // the index of the port where the cause was seen, -1 for none
    // Every port that opened was tried at one line setting only (the scan was locked).
    bool oneLineSetting = false;
};

// Why the scan found no reader, chosen from what came back first (a reader of another line
// setting or on a noisy line is the likeliest), then from why ports did not open, then from an
// adapter whose echo was all that came back.
Diagnosis Diagnose(const ScanResult& result);

// The names scripts read: "no-device", "in-use", "wrong-check", ...
QString CauseName(Cause cause);
