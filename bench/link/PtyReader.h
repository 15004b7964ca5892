#pragma once

#include <QString>
#include <atomic>
#include <chrono>
#include <thread>

#include "ReaderModel.h"

// The reader model served on a pseudo-terminal from a thread of the benchmark, so that the
// moment its reply's CR was written can be taken on the same clock as the tool's side.
class PtyReader {
  public:
    explicit PtyReader(ReaderOptions options);
    ~PtyReader();

    QString device() const { return device_; }
    // Steady-clock time, in nanoseconds, just after the last reply's CR was written.
    qint64 lastReplyEndNs() const { return lastReplyEndNs_.load(); }

  private:
    void Serve();

    ReaderModel model_;
    int master_ = -1;
    int slave_ = -1;
    QString device_;
    std::atomic<bool> stop_{false};
    std::atomic<qint64> lastReplyEndNs_{0};
    std::thread thread_;
};

inline qint64 SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
