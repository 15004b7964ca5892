#pragma once

#include <QtGlobal>
#include <functional>
#include <map>

#include "Clock.h"

// A clock that only moves when someone sleeps or waits on it, so that a whole scan costs no
// real time. Actions can be scheduled at a virtual time (a click while a reading run waits);
// they run, in time order, as the clock passes them.
class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(quint64 startUs = 0) : nowUs_(startUs) {}

    quint32 NowMs() override { return quint32(nowUs_ / 1000); }
    quint64 NowUs() override { return nowUs_; }
    void SleepUntilUs(quint64 deadlineUs) override {
        if (deadlineUs > nowUs_) AdvanceUs(deadlineUs - nowUs_);
    }

    // Moves the clock on, running every scheduled action that falls within the step.
    void AdvanceUs(quint64 us);
    void At(quint64 timeUs, std::function<void()> action);
    void AfterMs(quint64 ms, std::function<void()> action) { At(nowUs_ + ms * 1000, action); }

  private:
    quint64 nowUs_;
    std::multimap<quint64, std::function<void()>> actions_;
};
