#include "SimServer.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>

#include "AdapterBatches.h"
#include "FrameCodec.h"
#include "SimOptions.h"

namespace {

// Of bytes that are no frame the log shows the first 64 and counts the rest. A run without a
// CR past the longest frame and its CR is logged as soon as it is known to be none.
constexpr int LoggedJunkBytes = 64;
constexpr int LoggedRunBytes = ReaderModel::MaxFrameBytes + 1;

// The end signals, SIGUSR1 (the reader is unplugged from the line) and SIGUSR2 (the next is
// plugged in).
sigset_t WatchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGUSR1);
    sigaddset(&set, SIGUSR2);
    return set;
}

QString LineText(const LineParameters& line) {
    const char parity = line.parity == Parity::None ? 'n' : line.parity == Parity::Even ? 'e' : 'o';
    return QString("%1,%2,%3,%4")
        .arg(line.baudRate)
        .arg(parity)
        .arg(line.dataBits)
        .arg(line.stopBits == StopBits::Two ? 2 : 1);
}

}  // namespace

SimServer::SimServer(ReaderModel& reader, ReaderPort& port, FrameLog& log, SitePlayer& site,
                     int batchMs)
    : reader_(reader),
      port_(port),
      log_(log),
      site_(site),
      startNs_(NowNs()),
      appliedLine_(reader.line()),
      batchNs_(qint64(batchMs) * 1000000) {}

bool SimServer::BlockEndSignals() {
    const sigset_t set = WatchedSignals();
    return sigprocmask(SIG_BLOCK, &set, nullptr) == 0;
}

qint64 SimServer::NowNs() const {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

int SimServer::Run() {
    const sigset_t set = WatchedSignals();
    const int signalFd = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signalFd < 0) {
        std::fprintf(stderr, "Cannot watch for end signals: %s\n", std::strerror(errno));
        return 1;
    }
    QString error;
    if (!port_.isPty() && !port_.ApplyReaderLine(reader_.line(), &error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        ::close(signalFd);
        return 1;
    }
    const ReaderOptions& o = reader_.options();
    log_.Note(
        QString("reader %1, number %2, version %3, line %4, %5 tag(s), fault %6 after %7 "
                "frame(s), on %8")
            .arg(QString::fromLatin1(o.serialNumber))
            .arg(o.readerNumber)
            .arg(QString::fromLatin1(o.version))
            .arg(QString::fromLatin1(LineSettingTable[o.lineIndex]))
            .arg(o.tags.size())
            .arg(FaultName(o.fault))
            .arg(o.faultAfterFrames)
            .arg(port_.devicePath()) +
        (batchNs_ > 0
             ? QString(", the adapter hands on in batches every %1 ms").arg(batchNs_ / 1000000)
             : QString()));

    int result = 0;
    for (;;) {
        pollfd fds[3] = {
            {port_.fd(), POLLIN, 0}, {signalFd, POLLIN, 0}, {site_.commandFd(), POLLIN, 0}};
        timespec wait{};
        qint64 dueNs = NextDueNs();
        const qint64 stepNs = site_.nextStepNs();
        if (stepNs >= 0 && (dueNs < 0 || stepNs < dueNs)) dueNs = stepNs;
        if (dueNs >= 0) {
            const qint64 leftNs = std::max<qint64>(0, dueNs - NowNs());
            wait.tv_sec = leftNs / 1000000000;
            wait.tv_nsec = leftNs % 1000000000;
        }
        // Without anything due the loop sleeps until a byte or a signal comes.
        if (ppoll(fds, 3, dueNs >= 0 ? &wait : nullptr, nullptr) < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr, "The wait failed: %s\n", std::strerror(errno));
            result = 1;
            break;
        }
        if (fds[1].revents) {
            signalfd_siginfo info{};
            [[maybe_unused]] const ssize_t n = ::read(signalFd, &info, sizeof info);
            if (info.ssi_signo == SIGUSR1 || info.ssi_signo == SIGUSR2) {
                // The reader's cable is taken off the line, or the next one's put on.
                if (info.ssi_signo == SIGUSR1)
                    site_.Unplug();
                else
                    site_.PlugNext();
                AfterSiteChange();
                continue;
            }
            EndJunk("until the end");
            log_.Note(QString("ended by signal %1").arg(info.ssi_signo));
            break;
        }
        if (fds[2].revents) {
            site_.ReadCommands();
            AfterSiteChange();
            continue;
        }
        if (site_.Step(MonotonicNs())) {  // what the poll saw of the line may be gone
            AfterSiteChange();
            continue;
        }
        if (fds[0].revents & POLLIN) {
            char buffer[256];
            ssize_t n;
            while ((n = ::read(port_.fd(), buffer, sizeof buffer)) > 0)
                for (ssize_t i = 0; i < n; ++i) Heard(buffer[i]);
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                log_.Note(QString("the line failed: %1").arg(std::strerror(errno)));
                result = 1;
                break;
            }
        } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            log_.Note("the line is gone");
            result = 1;
            break;
        }
        if (auto end = SendDue()) {
            result = *end;
            break;
        }
    }
    EndJunk("until the end");
    ::close(signalFd);
    return result;
}

void SimServer::Heard(char byte) {
    const qint64 nowMs = NowMs();
    bool heard = true;
    QString deafNote;
    if (port_.isPty()) {
        // A different baud rate would garble every byte on a real line: the reader hears nothing.
        const auto tool = port_.ToolLine();
        heard = tool && reader_.Hears(*tool, false);
        if (!heard)
            deafNote = QString("not heard: the line is at %1 baud, the reader at %2")
                           .arg(tool ? tool->baudRate : 0)
                           .arg(reader_.line().baudRate);
    }
    if (heard && reader_.restarting(nowMs)) deafNote = "not heard: the reader is restarting";
    if (!site_.plugged()) {
        heard = false;
        deafNote = "not heard: the reader is unplugged";
    }

    const LineParameters replyLine = reader_.line();  // a reply goes out at the old line
    const int commandsBefore = reader_.commandsReceived().size();
    std::optional<ReaderReply> reply;
    if (heard) reply = reader_.Receive(byte, nowMs);

    LogHeard(byte, heard, deafNote, commandsBefore, reply.has_value());
    if (!reply) return;

    Outgoing out;
    out.bytes = reply->bytes;
    out.disconnect = reply->disconnect;
    out.charNs = qint64(CharacterTimeUs(replyLine)) * 1000;
    out.startNs = NowNs() + qint64(reply->delayMs) * 1000000;
    if (!outgoing_.empty()) {  // a reply does not overtake one still going out
        const Outgoing& last = outgoing_.back();
        out.startNs = std::max(out.startNs, last.startNs + last.bytes.size() * last.charNs);
    }
    // Each byte leaves the reader one character time after the one before; the adapter hands
    // it on at once, or with its batch.
    std::vector<quint64> leaves;
    for (int i = 0; i < out.bytes.size(); ++i)
        leaves.push_back(quint64(out.startNs + i * out.charNs));
    out.dueNs = HandOnTimes(leaves, quint64(batchNs_));
    outgoing_.push_back(out);
}

void SimServer::LogHeard(char byte, bool heard, const QString& deafNote, int commandsBefore,
                         bool answered) {
    if (!log_.isOpen()) return;
    if (junkRest_ >= 0 && byte == FrameTab) EndJunk("before a TAB");  // a TAB begins a frame
    if (junkRest_ >= 0) {
        ++junkRest_;
        if (byte == FrameCr) EndJunk("up to its CR");
        return;
    }
    received_.append(byte);
    if (byte == FrameCr) {
        LogReceived(heard, deafNote, commandsBefore, answered);
        received_.clear();
    } else if (received_.size() > LoggedRunBytes) {
        const QString note = QString("junk: no CR within %1 bytes, the first %2 shown")
                                 .arg(LoggedRunBytes)
                                 .arg(LoggedJunkBytes);
        log_.Received(received_.left(LoggedJunkBytes),
                      deafNote.isEmpty() ? note : deafNote + "; " + note);
        junkRest_ = received_.size() - LoggedJunkBytes;
        received_.clear();
    }
}

void SimServer::EndJunk(const char* how) {
    if (junkRest_ < 0) return;
    log_.Note(QString("junk: %1 more bytes %2").arg(junkRest_).arg(QLatin1String(how)));
    junkRest_ = -1;
}

void SimServer::LogReceived(bool heard, const QString& deafNote, int commandsBefore,
                            bool answered) {
    QString note = deafNote;
    const bool valid = heard && reader_.commandsReceived().size() > commandsBefore;
    if (note.isEmpty() && heard) {
        const ReaderOptions& o = reader_.options();
        const bool faulty = valid && o.fault != ReaderFault::None &&
                            reader_.framesAnswered() - 1 >= o.faultAfterFrames;
        if (!valid)
            note = "no valid frame: ignored";
        else if (faulty)
            note = "fault " + FaultName(o.fault);
        else if (!answered)
            note = "not answered";
    }
    // Of what is no frame, only the start is shown.
    if (!valid && received_.size() > LoggedJunkBytes) {
        note += QString("; %1 more bytes not shown").arg(received_.size() - LoggedJunkBytes);
        log_.Received(received_.left(LoggedJunkBytes), note);
    } else {
        log_.Received(received_, note);
    }
}

qint64 SimServer::NextDueNs() const {
    if (outgoing_.empty()) return -1;
    const Outgoing& o = outgoing_.front();
    return o.sent < int(o.dueNs.size()) ? qint64(o.dueNs[size_t(o.sent)]) : o.startNs;
}

std::optional<int> SimServer::SendDue() {
    const qint64 nowNs = NowNs();
    while (!outgoing_.empty()) {
        Outgoing& o = outgoing_.front();
        if (o.startNs > nowNs) break;
        if (o.disconnect) {
            log_.Note("fault disconnect: the reader vanishes, the line is closed");
            port_.Close();
            return 0;
        }
        // Every byte whose time has come, in one write: the loop may have slept a little late.
        qint64 due = o.sent;
        while (due < o.bytes.size() && qint64(o.dueNs[size_t(due)]) <= nowNs) ++due;
        if (due > o.sent) {
            const ssize_t n = ::write(port_.fd(), o.bytes.constData() + o.sent, due - o.sent);
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                log_.Note(QString("the line failed: %1").arg(std::strerror(errno)));
                return 1;
            }
            // A full line loses the bytes, as from a reader's transmitter that nobody reads.
            if (n < due - o.sent) log_.Note("the line is full: bytes lost");
            o.sent = int(due);
        }
        if (o.sent < o.bytes.size()) break;
        log_.Sent(o.bytes);
        outgoing_.pop_front();
    }
    if (outgoing_.empty() && !ApplyLineChange()) return 1;
    return std::nullopt;
}

void SimServer::AfterSiteChange() {
    if (!site_.plugged() || !site_.adapterPresent()) outgoing_.clear();
}

bool SimServer::ApplyLineChange() {
    const LineParameters line = reader_.line();
    if (line == appliedLine_) return true;
    appliedLine_ = line;
    log_.Note("the reader now listens at " + LineText(line));
    if (port_.isPty()) return true;  // nothing to set there: the tool's own setting is compared
    port_.Drain();                   // the reply at the old line has gone out first
    QString error;
    if (port_.ApplyReaderLine(line, &error)) return true;
    log_.Note(error);
    return false;
}
