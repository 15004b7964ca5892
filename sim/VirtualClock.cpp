#include "VirtualClock.h"

#include <algorithm>
#include <utility>

void VirtualClock::AdvanceUs(quint64 us) {
    const quint64 targetUs = nowUs_ + us;
    // Take one due action at a time and drop it from the queue before it runs: the action may
    // schedule more actions or sleep on this clock itself, which moves nowUs_ on in a nested
    // call. Time never goes backwards, even when a nested sleep went beyond this step.
    for (;;) {
        auto next = actions_.begin();
        if (next == actions_.end() || next->first > targetUs) break;
        nowUs_ = std::max(nowUs_, next->first);
        std::function<void()> action = std::move(next->second);
        actions_.erase(next);
        action();
    }
    nowUs_ = std::max(nowUs_, targetUs);
}

void VirtualClock::At(quint64 timeUs, std::function<void()> action) {
    // An action for a time already passed runs at the next step of the clock. Equal times keep
    // the order in which they were scheduled.
    actions_.emplace(timeUs, std::move(action));
}
