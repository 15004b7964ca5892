#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <deque>

#include "ReaderModel.h"
#include "SerialLine.h"
#include "VirtualClock.h"

// An in-memory serial line with a reader model at its far end, on a virtual clock. It carries
// the whole line setting, parity included, and paces reply bytes at the line's character time;
// its adapter may hand them on in batches.
class SimulatedLine final : public SerialLine {
  public:
    SimulatedLine(ReaderModel& reader, VirtualClock& clock, QString readerDevice = "/dev/ttyS2");

    OpenResult Open(const QString& devicePath) override;
    bool GetTimeouts(CommTimeouts& timeouts) override;
    bool SetTimeouts(const CommTimeouts& timeouts) override;
    bool SetLine(const LineParameters& line) override;
    qint64 Write(const char* data, qint64 count) override;
    int ReadByte(char* byte) override;
    bool Purge() override;
    void Close() override;

    // Devices that exist (open succeeds) but where no reader answers.
    void AddSilentDevice(const QString& devicePath) { silentDevices_ << devicePath; }
    // Devices held by another program: the open is refused.
    void SetBusyDevice(const QString& devicePath) { busyDevices_ << devicePath; }
    // The reader's cable is pulled: the device is gone from now on.
    void Unplug() { unplugged_ = true; }
    // The adapter itself is pulled out: gone as Unplug, and an open line hangs up, as a USB
    // adapter's does.
    void PullAdapter() {
        unplugged_ = true;
        hungUp_ = open_;
    }
    // The adapter is back at the same place, with its reader: the device opens again.
    void PlugAdapterBack() { unplugged_ = false; }
    // The device's own line parameters, which it has at every open and gets back at close.
    void SetOwnLine(const LineParameters& line) { ownLine_ = line; }
    // The adapter hands the reply on in batches, every ms or when 62 bytes are held, as one with
    // an FTDI chip does; 0 hands on each byte as it comes.
    void SetBatchMs(int ms) { batchUs_ = quint64(ms) * 1000; }

    // Every open in order, with the line parameters last applied while it was open.
    struct OpenRecord {
        QString device;
        LineParameters line;
        int writes = 0;
    };
    const QList<OpenRecord>& opens() const { return opens_; }
    bool isOpen() const { return open_; }
    const QByteArray& written() const { return written_; }  // all bytes the tool wrote
    ReaderModel& reader() { return reader_; }

  private:
    ReaderModel& reader_;
    VirtualClock& clock_;
    QString readerDevice_;
    QStringList silentDevices_, busyDevices_;
    QList<OpenRecord> opens_;
    QString device_;
    bool open_ = false;
    bool unplugged_ = false;
    bool hungUp_ = false;
    LineParameters line_;
    CommTimeouts timeouts_;
    QByteArray written_;
    std::deque<std::pair<quint64, char>> incoming_;  // arrival time in microseconds, byte

    bool Gone() const;
    void Deliver(const ReaderReply& reply, quint64 heardUs);

    LineParameters ownLine_{9600, Parity::None, 8, StopBits::One};  // the device's own setting
    quint64 sendFreeUs_ = 0;     // when the last written byte has left the tool's side
    quint64 receiveFreeUs_ = 0;  // when the last reply byte has arrived
    quint64 disconnectAtUs_ = ~quint64(0);
    quint64 batchUs_ = 0;
};
