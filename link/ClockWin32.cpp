#include <windows.h>

#include "Clock.h"

namespace {

// Windows rounds sleeps up to the system timer's period, 15.6 ms by default; the protocol's
// 1 ms pauses and the reply window need the 1 ms period while the program runs.
void UseMillisecondTimer() {
    static const struct Period {
        Period() { timeBeginPeriod(1); }
        ~Period() { timeEndPeriod(1); }
    } period;
}

}  // namespace

quint32 SteadyClock::NowMs() {
    UseMillisecondTimer();
    return quint32(timeGetTime());
}

quint64 SteadyClock::NowUs() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return quint64(now.QuadPart / frequency) * 1000000 +
           quint64(now.QuadPart % frequency) * 1000000 / quint64(frequency);
}

void SteadyClock::SleepUntilUs(quint64 deadlineUs) {
    UseMillisecondTimer();
    // Sleep takes whole milliseconds of the 1 ms timer and may wake a little early; sleep the
    // rest again until the deadline has passed.
    for (quint64 now = NowUs(); now < deadlineUs; now = NowUs())
        Sleep(DWORD((deadlineUs - now + 999) / 1000));
}
