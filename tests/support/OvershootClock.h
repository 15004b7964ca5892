#pragma once

// The virtual clock as a real one behaves: every sleep wakes a little after its deadline, and
// writing to the line takes a little time. Pacing against deadlines keeps one overshoot; a
// sleep after another carries every overshoot along.

#include "VirtualClock.h"

class OvershootClock final : public Clock {
  public:
    OvershootClock(VirtualClock& clock, quint64 overshootUs)
        : clock_(clock), overshootUs_(overshootUs) {}
    quint32 NowMs() override { return clock_.NowMs(); }
    quint64 NowUs() override { return clock_.NowUs(); }
    void SleepUntilUs(quint64 deadlineUs) override {
        if (deadlineUs > clock_.NowUs()) clock_.SleepUntilUs(deadlineUs + overshootUs_);
    }
    void SetOvershootUs(quint64 us) { overshootUs_ = us; }

  private:
    VirtualClock& clock_;
    quint64 overshootUs_;
};
