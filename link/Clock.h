#pragma once

#include <QtGlobal>

// The millisecond counter of the reply window and the fixed pauses of the protocol.
class Clock {
  public:
    virtual ~Clock() = default;
    // A free-running millisecond counter; it wraps at 2^32, so callers subtract in unsigned
    // 32-bit arithmetic.
    virtual quint32 NowMs() = 0;
    virtual void SleepMs(quint32 ms) = 0;
};

// The machine's steady clock and a real sleep.
class SteadyClock final : public Clock {
  public:
    quint32 NowMs() override;
    void SleepMs(quint32 ms) override;
};
