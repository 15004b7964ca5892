#pragma once

#include <QtGlobal>
#include <vector>

// An adapter that holds what it receives and hands it on in batches, as one with an FTDI chip
// does: whenever its latency timer runs out (every period, on a timer that runs all the time),
// or at once when a batch of 62 bytes is full.
constexpr int AdapterBatchBytes = 62;

// When bytes that reached the adapter at the given times (in order, in any unit) are handed on;
// a period of 0 hands each on as it comes.
std::vector<quint64> HandOnTimes(const std::vector<quint64>& arrivals, quint64 period);
