// The processor time of `vq880 ports --watch` while nothing comes or goes: the watch itself
// (PortsWatch) in this process, waiting for S seconds (60 unless told) on a machine folder
// with a link in ports/ to a pseudo-terminal, then ended by SIGINT as Ctrl+C ends it.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "Output.h"
#include "PortsWatch.h"
#include "StopSignals.h"

namespace {

double ProcessorMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;

    QTemporaryDir folder;
    QDir(folder.path()).mkpath("ports");
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        return std::fprintf(stderr, "no pseudo-terminal\n"), 1;
    QFile::link(QString::fromLocal8Bit(ptsname(master)), folder.filePath("ports/COM14"));

    // Once ended at once: the start alone (the first look at the ports); then waiting.
    const Output out(false);
    double used[2] = {};
    int status = 0;
    QElapsedTimer wall;
    for (int run = 0; run < 2; ++run) {
        StopSignals stop;
        QTimer::singleShot(run * seconds * 1000, [] { std::raise(SIGINT); });
        wall.start();
        const double before = ProcessorMs();
        status = std::max(status, WatchPorts(folder.path(), out, stop));
        used[run] = ProcessorMs() - before;
    }
    const double waited = wall.elapsed() / 1000.0;
    ::close(master);

    const double waiting = std::max(0.0, used[1] - used[0]);
    std::printf(
        "ports --watch: %.2f ms of processor time to start; waiting %.1f s with nothing coming or "
        "going: %.2f ms more (%.4f %% of one core); exit status %d\n",
        used[0], waited, waiting, waiting / (waited * 10.0), status);
    return status;
}
