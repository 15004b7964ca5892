#pragma once

#include <QString>
#include <QtGlobal>

#include "LineSetting.h"

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

// Why a device did not open.
enum class OpenFailure {
    None,             // it opened
    NoDevice,         // nothing is there: no such device, or no device for the COM number
    MissingTarget,    // a link assigns the port, but the device it points at is not there
    NoPermission,     // the user may not open it
    InUse,            // another program holds it
    NotSerialDevice,  // it is there, but it is no serial device
    OtherError,       // the system refused it for another reason
};

// What an open gave: the handle of the open device, or why there is none. The system's own
// error number (errno, or GetLastError on Windows) and the process that holds the port come
// with it where the system tells them.
struct OpenResult {
    PortHandleType handle = InvalidPortHandle;
    OpenFailure failure = OpenFailure::NoDevice;
    int systemError = 0;
    qint64 holderPid = 0;
    QString holderName;
    // Without permission: the group whose members may open the device, where there is one.
    QString group;
    // The device that was asked for; the reader link fills it in.
    QString device;

    bool opened() const { return handle != InvalidPortHandle; }
    explicit operator bool() const { return opened(); }

    static OpenResult Opened(PortHandleType handle) {
        return {handle, OpenFailure::None, 0, 0, {}, {}, {}};
    }
    static OpenResult Failed(OpenFailure failure, int systemError = 0) {
        return {InvalidPortHandle, failure, systemError, 0, {}, {}, {}};
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
