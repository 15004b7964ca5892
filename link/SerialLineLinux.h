#pragma once

#include <QSerialPort>

#include "PortClaim.h"
#include "SerialLine.h"

// The serial line on Linux: QSerialPort in raw mode, held exclusively (lock file and
// TIOCEXCL) and claimed while it is open (PortClaim). The device's own terminal settings come
// back when it closes.
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
};
