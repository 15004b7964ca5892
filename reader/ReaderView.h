#pragma once

#include "Message.h"
#include "ReadingRun.h"
#include "ScanResult.h"

// A step of an operation, told to the front end the moment it happens: what the operation
// does now, the reader as it answers, each tag, how the operation ended. The window shows each
// step in its controls; the command line shows the progress of a search; tests record them.
struct OperationStep {
    enum class Kind {
        Busy,              // on: busy mode begins, the link indicator blinks and nothing else
                           // may start; off: it ends
        Waiting,           // on: wait mode of a setting operation, the hourglass and nothing else
                           // may start; off: it ends
        Hourglass,         // on or off: the hourglass alone, around a scan
        ScanStarted,       // message; the reader found before is forgotten
        Message,           // message: what the operation does now, or how it ended
        Verdict,           // on: the reader was reached (yellow); off: it was not (red)
        LineSetting,       // lineIndex: the line setting the scan is at
        ReaderAnswered,    // reader: its serial number and reader number
        VersionRead,       // reader, with its version
        FactoryValues,     // the settings to write are back at the reader's factory values
        ReadingStarted,    // a reading run holds the port: nothing else may start
        ReadingListening,  // its port is open: cancelling it is the one input taken
        TagRead,           // tag
        ReadingStopped,    // the run's passes are over: no tag is shown any more
        ReadingEnded,      // the run is over: other operations may start again
    };
    Kind kind = Kind::Message;
    bool on = false;
    Message message;
    int lineIndex = -1;
    ReaderIdentity reader;
    Tag tag;
};

// What a front end does while an operation runs: it shows the operation's steps and dispatches
// pending events (painting, timers, the operator's clicks) while the reader is awaited.
class ReaderView {
  public:
    virtual ~ReaderView() = default;
    virtual void Report(const OperationStep& step) = 0;
    virtual void ProcessMessages() = 0;
};
