#include <sys/prctl.h>
#include <time.h>

#include <cerrno>

#include "Clock.h"

namespace {

timespec Monotonic() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

}  // namespace

quint32 SteadyClock::NowMs() {
    const timespec now = Monotonic();
    return quint32(quint64(now.tv_sec) * 1000 + quint64(now.tv_nsec) / 1000000);
}

quint64 SteadyClock::NowUs() {
    const timespec now = Monotonic();
    return quint64(now.tv_sec) * 1000000 + quint64(now.tv_nsec) / 1000;
}

void SteadyClock::SleepUntilUs(quint64 deadlineUs) {
    // The 1 ms pauses pace every frame and the tag-reading loop; the kernel's default slack of
    // 50 us a wake-up would be added to each. The slack belongs to the calling thread.
    thread_local const bool tight = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    Q_UNUSED(tight);
    // An absolute sleep: the time spent before it does not lengthen it, and a signal that cuts
    // it short resumes it towards the same deadline.
    const timespec deadline{time_t(deadlineUs / 1000000), long(deadlineUs % 1000000) * 1000};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}
