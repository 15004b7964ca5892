#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include "Message.h"
#include "SerialLine.h"

// A tag number as the reader reported it.
struct Tag {
    QByteArray hex;     // the eight hexadecimal digits, as they came
    qint32 number = 0;  // their value, as pnCardID shows it in decimal
};

// What one pass of a reading run got back.
enum class PassOutcome {
    TagRead,   // a tag reply: the tag is shown
    NoTag,     // a checked reply of another length: no tag in the field
    NoAnswer,  // nothing valid within the reply window
    PortGone,  // the device went away, or is still away: nothing was sent
};

struct ReadingPass {
    PassOutcome outcome = PassOutcome::NoAnswer;
    Tag tag;  // when a tag was read
    // The port had gone away and opened again at the start of this pass.
    bool portBack = false;
};

// Told of every pass while a reading run lasts.
class ReadingRunObserver {
  public:
    virtual ~ReadingRunObserver() = default;
    // After each pass, once a tag it read is shown.
    virtual void PassEnded(const ReadingPass& pass) = 0;
    // While the run's port is away: the device to open again, or empty while it is not back.
    // By default the port's own device, where an adapter comes back at the same place.
    virtual QString DeviceAfterLoss(const QString& portDevice) { return portDevice; }
};

// How a reading run ended.
enum class ReadingRunEnd {
    Cancelled,      // a run that ended after the pass in which it was cancelled
    PortNotOpened,  // the port did not open ("Open COM : n Error")
    NoReader,       // no scan has found a reader yet ("Start Scan Reader!")
    NotStarted,     // a run holds the port already, or is still stopping
};

struct ReadingRunResult {
    ReadingRunEnd end = ReadingRunEnd::NotStarted;
    OpenResult open;  // why the port did not open
    int tags = 0;     // tags read in the run
    Message message;  // shown when the run did not start: "Open COM : n Error", ...
};
