#pragma once

#include <QByteArray>
#include <deque>
#include <optional>
#include <vector>

#include "FrameLog.h"
#include "ReaderModel.h"
#include "ReaderPort.h"
#include "SitePlayer.h"

// Serves the reader model on its port: bytes heard go to the model, replies go out paced at the
// line's character time after the reader's delay, handed on in batches where the adapter holds
// them. One thread, one poll loop that sleeps while nothing is due; SIGINT, SIGTERM and SIGHUP
// end it cleanly. The site decides which reader is on the line: SIGUSR1 unplugs the reader (it
// hears and answers nothing more) while the device stays, SIGUSR2 plugs in the next.
class SimServer {
  public:
    // batchMs: the adapter hands replies on every so many milliseconds (or when 62 bytes are
    // held); 0 hands on each byte as it comes.
    SimServer(ReaderModel& reader, ReaderPort& port, FrameLog& log, SitePlayer& site,
              int batchMs = 0);

    // Blocks the end signals; call before any other thread or child could take them.
    static bool BlockEndSignals();
    // Runs until an end signal (0), the disconnect fault (0) or a failure of the port (1).
    int Run();

  private:
    struct Outgoing {
        QByteArray bytes;
        int sent = 0;
        qint64 startNs = 0;  // when the first byte goes out
        qint64 charNs = 0;
        std::vector<quint64> dueNs;  // when each byte is handed on to the tool
        bool disconnect = false;
    };

    qint64 NowNs() const;
    qint64 NowMs() const { return (NowNs() - startNs_) / 1000000; }
    void Heard(char byte);
    // Logs a frame at its CR; of a longer run without one, the start and a count of the rest.
    void LogHeard(char byte, bool heard, const QString& deafNote, int commandsBefore,
                  bool answered);
    void LogReceived(bool heard, const QString& deafNote, int commandsBefore, bool answered);
    void EndJunk(const char* how);
    // Writes what is due; an exit code when the run ends (the disconnect fault, a failed line).
    std::optional<int> SendDue();
    qint64 NextDueNs() const;
    bool ApplyLineChange();
    // A reader off the line or an adapter gone sends nothing more.
    void AfterSiteChange();

    ReaderModel& reader_;
    ReaderPort& port_;
    FrameLog& log_;
    SitePlayer& site_;
    qint64 startNs_;
    std::deque<Outgoing> outgoing_;
    QByteArray received_;   // bytes since the last CR, for the log
    qint64 junkRest_ = -1;  // bytes of a junk run after those logged; -1 outside one
    LineParameters appliedLine_;
    qint64 batchNs_ = 0;
};
