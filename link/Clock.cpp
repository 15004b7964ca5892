#include "Clock.h"

#include <chrono>
#include <thread>

quint32 SteadyClock::NowMs() {
    using namespace std::chrono;
    return quint32(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SteadyClock::SleepMs(quint32 ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
