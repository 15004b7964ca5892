#pragma once

#include <QSerialPort>

#include "PortClaim.h"
#include "SerialLine.h"

// The serial line on Linux: QSerialPort in raw mode, held exclusively (lock file and
// TIOCEXCL) and claimed while it is open (PortClaim), with the driver asked for low latency.
// The device's own terminal settings and its latency flag come back when it closes.
class LinuxSerialLine final : public SerialLine {
  public:
    LinuxSerialLine();

    OpenResult Open(const QString& devicePath) override;
    bool GetTimeouts(CommTimeouts& timeouts) override;
    bool SetTimeouts(const CommTimeouts& timeouts) override;
    bool SetLine(const LineParameters& line) override;
    qint64 Write(const char* data, qint64 count) override;
    int ReadByte(char* byte) override;
    bool Purge() override;
    void Close() override;

  private:
    QSerialPort port_;
    PortClaim claim_;
    CommTimeouts timeouts_;
    bool lowLatencyChanged_ = false;  // this open switched the driver's low latency on
};
