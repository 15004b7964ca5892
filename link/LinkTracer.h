#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include "SerialLine.h"

enum class ReplyVerdict;

// What the reader link did on the wire, told as it happens, for a trace that support can read.
// Times are the link clock's, in microseconds.
struct LinkEvent {
    enum class Kind {
        Opened,   // the port opened at the line setting
        Refused,  // the port did not open; `open` says why
        Written,  // a command frame, from its first byte's time
        Read,     // a group of bytes that came back together, from its first byte's time
        Echo,     // the adapter's copy of the frame, set aside, at its last byte's time
        Judged,   // the verdict on the exchange's reply, when its window was over
        Closed,
    };
    Kind kind = Kind::Opened;
    quint64 timeUs = 0;
    QString port;  // "COMn", or the device given by its path
    QString lineSetting;
    QByteArray bytes;
    ReplyVerdict verdict{};
    OpenResult open;
};

class LinkTracer {
  public:
    virtual ~LinkTracer() = default;
    virtual void Trace(const LinkEvent& event) = 0;
};
