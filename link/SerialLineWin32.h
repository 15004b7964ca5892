#pragma once

#include "PortClaim.h"
#include "SerialLine.h"

// The program's serial line on Windows, written to the Comm functions: an exclusive,
// synchronous CreateFileA handle; the link's timeouts go on the port as they are, and the line
// parameters through the platform's own mode-string parser.
class Win32SerialLine final : public SerialLine {
  public:
    Win32SerialLine() = default;
    ~Win32SerialLine() override;
    Win32SerialLine(const Win32SerialLine&) = delete;
    Win32SerialLine& operator=(const Win32SerialLine&) = delete;

    OpenResult Open(const QString& devicePath) override;
    bool GetTimeouts(CommTimeouts& timeouts) override;
    bool SetTimeouts(const CommTimeouts& timeouts) override;
    bool SetLine(const LineParameters& line) override;
    qint64 Write(const char* data, qint64 count) override;
    int ReadByte(char* byte) override;
    bool Purge() override;
    void Close() override;

    // The mode string BuildCommDCBA is given for the line, e.g.
    // "baud=19200 parity=e data=8 stop=1 xon=off odsr=off octs=off".
    static QByteArray ModeString(const LineParameters& line);

  private:
    bool IsOpen() const { return handle_ != InvalidPortHandle; }
    PortHandleType handle_ = InvalidPortHandle;
    PortClaim claim_;  // while it is open
};
