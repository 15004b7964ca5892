#pragma once

#include <QString>
#include <QtGlobal>

#include "LineSetting.h"
#include "PortState.h"

// Read and write time limits of a port, in milliseconds (multipliers: milliseconds per byte).
struct CommTimeouts {
    quint32 ReadIntervalTimeout = 0;
    quint32 ReadTotalTimeoutMultiplier = 0;
    quint32 ReadTotalTimeoutConstant = 0;
    quint32 WriteTotalTimeoutMultiplier = 0;
    quint32 WriteTotalTimeoutConstant = 0;
    bool operator==(const CommTimeouts& o) const {
        return ReadIntervalTimeout == o.ReadIntervalTimeout &&
               ReadTotalTimeoutMultiplier == o.ReadTotalTimeoutMultiplier &&
               ReadTotalTimeoutConstant == o.ReadTotalTimeoutConstant &&
               WriteTotalTimeoutMultiplier == o.WriteTotalTimeoutMultiplier &&
               WriteTotalTimeoutConstant == o.WriteTotalTimeoutConstant;
    }
};

using PortHandleType = qintptr;
constexpr PortHandleType InvalidPortHandle = -1;

// What an open gave: the handle of the open device (its state Free), or the state that kept it
// closed with what the system told of it. The reader link fills in the device asked for.
struct OpenResult : PortFacts {
    PortHandleType handle = InvalidPortHandle;
    // The kernel's driver of the device ("ftdi_sio", "ch341", "pty"), where the system names it.
    QString driver;
    // The driver hands on received bytes at once while the port is open (low latency granted).
    bool lowLatency = false;

    bool opened() const { return handle != InvalidPortHandle; }
    explicit operator bool() const { return opened(); }

    static OpenResult Opened(PortHandleType handle) {
        OpenResult result;
        result.handle = handle;
        result.state = PortState::Free;
        return result;
    }
    static OpenResult Failed(PortState state, int systemError = 0) {
        OpenResult result;
        result.state = state;
        result.systemError = systemError;
        return result;
    }
};

// The byte port under the reader link: one device at a time, opened exclusively.
class SerialLine {
  public:
    virtual ~SerialLine() = default;
    // Opens the device for reading and writing, held exclusively: the handle of the open
    // device, or why it did not open.
    virtual OpenResult Open(const QString& devicePath) = 0;
    virtual bool GetTimeouts(CommTimeouts& timeouts) = 0;
    virtual bool SetTimeouts(const CommTimeouts& timeouts) = 0;
    // Applies baud rate, parity, data bits and stop bits one by one, without flow control;
    // a parameter the device refuses leaves that parameter as it was.
    virtual bool SetLine(const LineParameters& line) = 0;
    // Writes all bytes and pushes them out before returning; the number written.
    virtual qint64 Write(const char* data, qint64 count) = 0;
    // Reads at most one byte, waiting as the timeouts say (about 1 ms with the link's own).
    // Returns the number of bytes read, 0 or 1, or PortGone at once when the device has gone
    // away (a hang-up or an I/O error, as a pulled USB adapter gives).
    virtual int ReadByte(char* byte) = 0;
    static constexpr int PortGone = -1;
    // Aborts pending transfers and empties both buffers.
    virtual bool Purge() = 0;
    // Closes the device; its own settings are back as they were before Open.
    virtual void Close() = 0;
};
