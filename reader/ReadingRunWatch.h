#pragma once

#include <QtGlobal>
#include <vector>

#include "ReadingRun.h"

// What a reading run's passes tell of its reader and its port, for a front end that reports
// them: the port that goes away and comes back, and the reader that stops answering and
// answers again. A pass with a tag, or with the reader's reply that none is in the field, is an
// answer; one without a valid reply (nothing, bytes that are no frame, an echo of the command
// alone, wrong check characters) is not. While the port is away the reader is neither.
class ReadingRunWatch {
  public:
    enum class Event {
        PortGone,      // the port's device went away
        PortBack,      // it is open again
        ReaderSilent,  // the reader has not answered for SilentAfterUs
        ReaderBack,    // a silent reader answers again
    };
    // How long a reader may go without an answer before it counts as silent.
    static constexpr quint64 SilentAfterUs = 1000 * 1000;

    // The run's port is open at startUs.
    explicit ReadingRunWatch(quint64 startUs) : lastAnswerUs_(startUs) {}
    // What changed with the pass that ended at nowUs, in the order it happened.
    std::vector<Event> Pass(const ReadingPass& pass, quint64 nowUs);
    bool silent() const { return silent_; }
    bool portAway() const { return portAway_; }

  private:
    quint64 lastAnswerUs_;
    bool silent_ = false;
    bool portAway_ = false;
};
