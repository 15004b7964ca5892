// The exchange over a pseudo-terminal: reply latency, the unanswered exchange against its
// floor, and the processor time spent waiting for a reply.
#include <sys/resource.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "PtyReader.h"
#include "ReaderLink.h"
#include "SerialLineLinux.h"

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

struct Rig {
    QTemporaryDir folder;
    PtyReader reader;
    LinuxSerialLine line;
    SteadyClock clock;
    PortNames names{folder.path()};
    ReaderLink link{line, clock, names, [] { QCoreApplication::processEvents(); }};
    explicit Rig(ReaderOptions options) : reader(std::move(options)) {
        QDir(folder.path()).mkpath("ports");
        QFile::link(reader.device(), names.LinkPath(1));
    }
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);

    {
        ReaderOptions options;
        options.lineIndex = 10;  // "115200,n,8,1"
        // The reply comes after the tool's 1 ms pause behind the CR, so what is measured is
        // the receive path alone.
        options.replyDelayMs = 3;
        Rig rig(options);
        if (!rig.link.OpenPort(1, "115200,n,8,1")) return std::fprintf(stderr, "no port\n"), 1;
        std::vector<double> latencies;
        int failures = 0;
        for (int i = 0; i < 300; ++i) {
            const bool ok = rig.link.SendCommand("A00B");
            const qint64 returned = SteadyNs();
            if (!ok) {
                ++failures;
                continue;
            }
            latencies.push_back(double(returned - rig.reader.lastReplyEndNs()) / 1e6);
        }
        rig.link.ClosePort();
        const double median = Percentile(latencies, 0.5), p99 = Percentile(latencies, 0.99);
        std::printf(
            "(a) reply latency, CR written to SendCommand returned, %zu exchanges at "
            "115200,n,8,1 (%d failed):\n    median %.3f ms, 99th percentile %.3f ms "
            "(goal 2 ms: %.2f of it)\n",
            latencies.size(), failures, median, p99, p99 / 2.0);
    }

    {
        ReaderOptions options;
        options.fault = ReaderFault::Silent;
        Rig rig(options);
        rig.link.OpenPort(1, "19200,e,8,1");
        const int rounds = 20;
        std::vector<double> durations;
        const double cpuBefore = CpuSeconds();
        const qint64 wallBefore = SteadyNs();
        for (int i = 0; i < rounds; ++i) {
            const qint64 start = SteadyNs();
            rig.link.SendCommand("A00B");
            durations.push_back(double(SteadyNs() - start) / 1e6);
        }
        const double wall = double(SteadyNs() - wallBefore) / 1e9;
        const double cpu = CpuSeconds() - cpuBefore;
        rig.link.ClosePort();
        const double floorMs = 9 + 121;
        const double median = Percentile(durations, 0.5);
        std::printf(
            "(b) unanswered SendCommand, %d rounds: median %.2f ms, max %.2f ms; floor "
            "%.0f ms (9 ms write pauses + 121 ms window): ratio %.3f, %.2f ms over "
            "(goal within 3 ms)\n",
            rounds, median, Percentile(durations, 1.0), floorMs, median / floorMs,
            median - floorMs);
        std::printf(
            "(c) processor time while waiting for a reply: %.1f ms per second, %.2f %% "
            "of one core (goal at most 5 %%)\n",
            cpu / wall * 1000, cpu / wall * 100);
    }
    return 0;
}
