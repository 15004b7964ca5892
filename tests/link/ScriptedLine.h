#pragma once

#include <QByteArray>
#include <QList>
#include <deque>
#include <vector>

#include "SerialLine.h"
#include "VirtualClock.h"

// A line that plays back a script of reply bytes on the virtual clock: each byte arrives at a
// given time after the command's last byte was written. It records what was written and when.
class ScriptedLine final : public SerialLine {
  public:
    explicit ScriptedLine(VirtualClock& clock) : clock_(clock) {}

    // Bytes arriving one every stepUs microseconds, the first at afterMs after the command's CR.
    void Reply(const QByteArray& bytes, quint64 afterMs = 2, quint64 stepUs = 100) {
        script_.push_back({{{bytes, afterMs * 1000, stepUs}}});
    }
    // More bytes after the same command, the first at afterMs after its CR.
    void AndThen(const QByteArray& bytes, quint64 afterMs, quint64 stepUs = 100) {
        script_.back().parts.push_back({bytes, afterMs * 1000, stepUs});
    }
    // Bytes already waiting on the line before the next command (stale input).
    void Stale(const QByteArray& bytes) {
        for (char c : bytes) incoming_.push_back({clock_.NowUs(), c});
    }

    OpenResult Open(const QString& devicePath) override {
        openedDevice = devicePath;
        if (refuseOpen) return OpenResult::Failed(PortState::InUse);
        open = true;
        return OpenResult::Opened(7);
    }
    bool GetTimeouts(CommTimeouts& t) override {
        t = timeouts;
        return open;
    }
    bool SetTimeouts(const CommTimeouts& t) override {
        timeouts = t;
        return open;
    }
    bool SetLine(const LineParameters& l) override {
        line = l;
        ++lineChanges;
        return open;
    }
    qint64 Write(const char* data, qint64 count) override {
        for (qint64 i = 0; i < count; ++i) {
            written.append(data[i]);
            writeTimesUs.append(clock_.NowUs());
        }
        if (count > 0) clock_.AdvanceUs(writeCostUs);
        if (count > 0 && data[count - 1] == 0x0D && !script_.empty()) {
            const Step step = script_.front();
            script_.pop_front();
            for (const Part& part : step.parts) {
                quint64 at = clock_.NowUs() + part.afterUs;
                for (char c : part.bytes) {
                    incoming_.push_back({at, c});
                    at += part.stepUs;
                }
            }
        }
        return count;
    }
    int ReadByte(char* byte) override {
        ++reads;
        if (hungUp) return PortGone;
        if (!incoming_.empty() && incoming_.front().first <= clock_.NowUs()) {
            *byte = incoming_.front().second;
            incoming_.pop_front();
            clock_.AdvanceUs(readCostUs);
            return 1;
        }
        clock_.AdvanceUs(quint64(qMax<quint32>(1, timeouts.ReadTotalTimeoutConstant)) * 1000);
        return 0;
    }
    bool Purge() override {
        ++purges;
        while (!incoming_.empty() && incoming_.front().first <= clock_.NowUs())
            incoming_.pop_front();
        return open;
    }
    void Close() override {
        open = false;
        ++closes;
    }

    bool refuseOpen = false;
    bool hungUp = false;  // the device has gone away: every read says so
    bool open = false;
    QString openedDevice;
    CommTimeouts timeouts{5, 6, 7, 8, 9};  // the device's own, to see them come back
    LineParameters line{1200, Parity::Odd, 7, StopBits::Two};
    int lineChanges = 0;
    QByteArray written;
    QList<quint64> writeTimesUs;
    quint64 readCostUs = 0;   // time a read that brings a byte takes
    quint64 writeCostUs = 0;  // time a write takes before it returns
    int reads = 0;
    int purges = 0;
    int closes = 0;

  private:
    struct Part {
        QByteArray bytes;
        quint64 afterUs;
        quint64 stepUs;
    };
    struct Step {
        std::vector<Part> parts;
    };
    VirtualClock& clock_;
    std::deque<Step> script_;
    std::deque<std::pair<quint64, char>> incoming_;
};
