#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

#include "FrameLog.h"
#include "PortLink.h"
#include "ReaderModel.h"
#include "ReaderPort.h"
#include "SitePlan.h"

// Plays a site on the simulator's port: readers plugged in and unplugged in turn, on a
// schedule, on a signal or on a command, and an adapter that vanishes and comes back at the
// same links. The reader on the line is one model that the server answers with; each reader's
// state is kept while it is off the line.
class SitePlayer {
  public:
    SitePlayer(ReaderModel& onLine, ReaderPort& port, FrameLog& log, const ReaderOptions& reader,
               SitePlan plan);
    SitePlayer(const SitePlayer&) = delete;
    SitePlayer& operator=(const SitePlayer&) = delete;

    // Makes the links and tells the device (and each link) on standard output; the first
    // reader is on the line.
    bool Start(QString* error);

    bool plugged() const { return current_ >= 0; }
    bool adapterPresent() const { return port_.fd() >= 0; }

    // The reader is taken off the line (SIGUSR1); the adapter stays unless it is the reader's.
    void Unplug();
    // The next reader of the site, the first again after the last, is plugged in (SIGUSR2).
    void PlugNext();
    // The adapter vanishes: the terminal closes, so that a tool that has it open sees a
    // hang-up, and its links go.
    void PullAdapter();
    // It comes back as a new terminal at the same links, and tells the new device.
    void ReturnAdapter();

    // Standard input while commands are read from it, else -1.
    int commandFd() const { return commandFd_; }
    // Runs the whole lines that have come on standard input.
    void ReadCommands();

    // When the schedule's next step is due, on the monotonic clock; -1 for none.
    qint64 nextStepNs() const { return nextStepNs_; }
    // Takes the step when it is due; whether it did.
    bool Step(qint64 nowNs);

  private:
    // Takes the reader off the line, keeping its state; with its adapter when it brings one.
    void TakeOff();
    void Command(const QByteArray& line);
    void PrintDevice() const;
    void Schedule(qint64 afterMs);
    bool scheduleLeft() const;

    ReaderModel& onLine_;
    ReaderPort& port_;
    FrameLog& log_;
    SitePlan plan_;
    std::vector<ReaderModel> readers_;  // each reader once, as it was when it left the line
    std::vector<int> order_;            // the site's turns, as indices into readers_
    int current_ = -1;                  // the reader on the line, or -1
    qint64 turns_ = 0;                  // readers plugged in so far
    qint64 nextStepNs_ = -1;
    std::vector<std::unique_ptr<PortLink>> links_;
    int commandFd_ = -1;
    QByteArray commandLine_;
};

// Now on the monotonic clock, in nanoseconds.
qint64 MonotonicNs();
