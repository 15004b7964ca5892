#include "SitePlayer.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

namespace {

void Tell(const QString& text) {
    std::fprintf(stderr, "vq880-sim: %s\n", text.toLocal8Bit().constData());
}

QString ReaderText(const ReaderOptions& reader) {
    return QString("the reader %1 (number %2)")
        .arg(FrameLog::Spell(reader.serialNumber))
        .arg(reader.readerNumber, 2, 10, QChar('0'));
}

}  // namespace

qint64 MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

SitePlayer::SitePlayer(ReaderModel& onLine, ReaderPort& port, FrameLog& log,
                       const ReaderOptions& reader, SitePlan plan)
    : onLine_(onLine), port_(port), log_(log), plan_(std::move(plan)) {
    if (plan_.readers.isEmpty())
        plan_.readers << SiteReader{reader.serialNumber, reader.readerNumber};
    for (const SiteReader& wanted : plan_.readers) {
        int index = 0;
        while (index < int(readers_.size()) &&
               readers_[index].options().serialNumber != wanted.serialNumber)
            ++index;
        if (index == int(readers_.size())) {
            ReaderOptions options = reader;
            options.serialNumber = wanted.serialNumber;
            options.readerNumber = wanted.readerNumber;
            readers_.emplace_back(options);
        }
        order_.push_back(index);
    }
    current_ = order_.front();
    turns_ = 1;
    onLine_ = readers_[current_];
}

bool SitePlayer::Start(QString* error) {
    for (const QString& path : plan_.linkPaths) {
        links_.push_back(std::make_unique<PortLink>());
        if (!links_.back()->Create(path, port_.devicePath(), error)) return false;
    }
    if (plan_.commands) commandFd_ = STDIN_FILENO;
    PrintDevice();
    if (order_.size() > 1 || plan_.plugMs > 0) {
        QStringList turns;
        for (int index : order_) turns << ReaderText(readers_[index].options());
        log_.Note("the site: " + turns.join(", ") +
                  (plan_.plugMs > 0
                       ? QString("; each plugged in for %1 ms, %2 ms between, %3")
                             .arg(plan_.plugMs)
                             .arg(plan_.unplugMs)
                             .arg(plan_.rounds == 0 ? QString("without end")
                                                    : QString("%1 round(s)").arg(plan_.rounds))
                       : QString("; plugged in on SIGUSR2")));
    }
    if (plan_.plugMs > 0) Schedule(plan_.plugMs);
    return true;
}

void SitePlayer::PrintDevice() const {
    // The first line tells a test or a person what to open; the links exist by then.
    std::printf("device %s\n", port_.devicePath().toLocal8Bit().constData());
    for (const auto& link : links_)
        if (!link->path().isEmpty())
            std::printf("link %s\n", link->path().toLocal8Bit().constData());
    std::fflush(stdout);
}

void SitePlayer::Schedule(qint64 afterMs) {
    nextStepNs_ = MonotonicNs() + afterMs * 1000000;
}

bool SitePlayer::scheduleLeft() const {
    return plan_.rounds == 0 || turns_ < qint64(plan_.rounds) * qint64(order_.size());
}

void SitePlayer::TakeOff() {
    if (current_ < 0) return;
    readers_[current_] = onLine_;  // it keeps what it was told while it is away
    current_ = -1;
    log_.Note("the reader is unplugged");
    if (plan_.adapterPerReader) PullAdapter();
}

void SitePlayer::Unplug() {
    TakeOff();
    if (plan_.plugMs == 0) return;
    nextStepNs_ = -1;
    if (scheduleLeft())
        Schedule(plan_.unplugMs);
    else
        log_.Note("the site's schedule is over");
}

void SitePlayer::PlugNext() {
    TakeOff();
    if (plan_.adapterPerReader) ReturnAdapter();
    current_ = order_[size_t(turns_ % qint64(order_.size()))];
    ++turns_;
    onLine_ = readers_[current_];
    log_.Note(ReaderText(onLine_.options()) + " is plugged in");
    if (plan_.plugMs > 0) Schedule(plan_.plugMs);
}

void SitePlayer::PullAdapter() {
    if (!port_.isPty()) {
        log_.Note("the adapter of a serial device is pulled by hand, not by the simulator");
        return;
    }
    if (!adapterPresent()) return;
    const QString device = port_.devicePath();
    for (const auto& link : links_) link->Remove();
    port_.Close();
    log_.Note("the adapter is pulled out: " + device + " is gone");
}

void SitePlayer::ReturnAdapter() {
    if (!port_.isPty() || adapterPresent()) return;
    QString error;
    if (!port_.ReopenPty(&error)) {
        log_.Note(error);
        Tell(error);
        return;
    }
    for (size_t i = 0; i < links_.size(); ++i)
        if (!links_[i]->Create(plan_.linkPaths[int(i)], port_.devicePath(), &error)) {
            log_.Note(error);
            Tell(error);
        }
    log_.Note("the adapter is back: " + port_.devicePath());
    PrintDevice();
}

void SitePlayer::ReadCommands() {
    if (commandFd_ < 0) return;
    // One read a wake-up: the poll said there is something, so it does not block.
    char buffer[256];
    const ssize_t n = ::read(commandFd_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) return;
    if (n <= 0) {
        commandFd_ = -1;
        log_.Note("standard input has ended: no more commands");
        return;
    }
    commandLine_.append(buffer, int(n));
    for (int end; (end = commandLine_.indexOf('\n')) >= 0;) {
        const QByteArray line = commandLine_.left(end).trimmed();
        commandLine_.remove(0, end + 1);
        Command(line);
    }
    if (commandLine_.size() > 1024) commandLine_.clear();  // no command is that long
}

void SitePlayer::Command(const QByteArray& line) {
    if (line.isEmpty()) return;
    if (line == "unplug")
        Unplug();
    else if (line == "plug")
        PlugNext();
    else if (line == "adapter-out")
        PullAdapter();
    else if (line == "adapter-in")
        ReturnAdapter();
    else {
        const QString text = "unknown command \"" + FrameLog::Spell(line.left(64)) +
                             "\"; the commands are unplug, plug, adapter-out and adapter-in";
        log_.Note(text);
        Tell(text);
    }
}

bool SitePlayer::Step(qint64 nowNs) {
    if (nextStepNs_ < 0 || nowNs < nextStepNs_) return false;
    if (plugged())
        Unplug();
    else
        PlugNext();
    return true;
}
