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

void SteadyClock::SleepMs(quint32 ms) {
    UseMillisecondTimer();
    Sleep(DWORD(ms));
}
