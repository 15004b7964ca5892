#include <sys/prctl.h>

#include <chrono>
#include <thread>

#include "Clock.h"

quint32 SteadyClock::NowMs() {
    using namespace std::chrono;
    return quint32(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SteadyClock::SleepMs(quint32 ms) {
    // The 1 ms pauses pace every frame and the tag-reading loop; the kernel's default slack of
    // 50 us a wake-up adds up over 80 of them a pass. The slack belongs to the calling thread.
    thread_local const bool tight = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    Q_UNUSED(tight);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
