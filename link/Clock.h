#pragma once

#include <QtGlobal>

// The millisecond counter of the reply window and the fixed pauses of the protocol.
class Clock {
  public:
    virtual ~Clock() = default;
    // A free-running millisecond counter; it wraps at 2^32, so callers subtract in unsigned
    // 32-bit arithmetic.
    virtual quint32 NowMs() = 0;
    // A steady counter in microseconds, for deadlines: pacing against a deadline keeps the
    // small overshoot of every sleep from adding up over many sleeps.
    virtual quint64 NowUs() = 0;
    // Returns once the counter has reached the deadline, at once when it already has; never
    // before it.
    virtual void SleepUntilUs(quint64 deadlineUs) = 0;
    // A single sleep to the deadline `ms` from now.
    void SleepMs(quint32 ms) { SleepUntilUs(NowUs() + quint64(ms) * 1000); }
};

// The machine's steady clock and a real sleep.
class SteadyClock final : public Clock {
  public:
    quint32 NowMs() override;
    quint64 NowUs() override;
    void SleepUntilUs(quint64 deadlineUs) override;
};
