#pragma once

#include <QSet>
#include <QString>

#include "PortNames.h"
#include "SerialLine.h"

// The serial line of the program with two additions for the command line: it can be held to
// the device of one COM number (--port), refusing every other device at once, and it remembers
// the devices that exist but did not open (in use by another program, or not permitted), so
// that the command can say so rather than only that no reader was found.
class OnePortLine final : public SerialLine {
  public:
    OnePortLine(SerialLine& line, const QString& machineFolder);

    // 0 lets every device through.
    void HoldToPort(int comNumber) { heldTo_ = comNumber; }
    int heldPort() const { return heldTo_; }
    bool WasRefused(const QString& devicePath) const { return refused_.contains(devicePath); }
    void ForgetRefused() { refused_.clear(); }

    PortHandleType Open(const QString& devicePath) override;
    bool GetTimeouts(CommTimeouts& timeouts) override { return line_.GetTimeouts(timeouts); }
    bool SetTimeouts(const CommTimeouts& timeouts) override { return line_.SetTimeouts(timeouts); }
    bool SetLine(const LineParameters& line) override { return line_.SetLine(line); }
    qint64 Write(const char* data, qint64 count) override { return line_.Write(data, count); }
    int ReadByte(char* byte) override { return line_.ReadByte(byte); }
    bool Purge() override { return line_.Purge(); }
    void Close() override { line_.Close(); }

  private:
    SerialLine& line_;
    PortNames names_;
    int heldTo_ = 0;
    QSet<QString> refused_;
};
