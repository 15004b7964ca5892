#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// SIGINT, SIGTERM and SIGHUP (Ctrl+C and Ctrl+Break on Windows) while a run lasts: the signal
// only asks for the end; the run notices it the next time it dispatches pending events and ends
// after the pass in progress. The default actions come back when the object goes.
class StopSignals final : public QObject {
    Q_OBJECT
  public:
    StopSignals();
    ~StopSignals() override;

    // A signal came. Polled as well as reported, for the loops that wait between events.
    bool requested() const;
    // Called once, from the event dispatch, when the first signal arrives.
    std::function<void()> onStop;

  private:
    void Notice();
    bool requested_ = false;
#ifndef _WIN32
    QSocketNotifier* notifier_ = nullptr;
#endif
};
