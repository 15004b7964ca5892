#include "AdapterBatches.h"

std::vector<quint64> HandOnTimes(const std::vector<quint64>& arrivals, quint64 period) {
    if (period == 0) return arrivals;
    std::vector<quint64> times(arrivals.size());
    for (size_t first = 0; first < arrivals.size();) {
        // The batch that the first byte opens ends at the timer's next run, or when it is full.
        const quint64 timerRuns = (arrivals[first] / period + 1) * period;
        size_t end = first;
        while (end < arrivals.size() && arrivals[end] < timerRuns &&
               end - first < size_t(AdapterBatchBytes))
            ++end;
        const bool full = end - first == size_t(AdapterBatchBytes);
        const quint64 handedOn = full ? arrivals[end - 1] : timerRuns;
        for (size_t i = first; i < end; ++i) times[i] = handedOn;
        first = end;
    }
    return times;
}
