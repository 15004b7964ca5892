// How long vq880 takes as a whole process, against the least the protocol allows: a setting
// command with the reader on the kept port, from the process's start to its exit; the next scan
// after a command that moves the reader to another line setting; and provisioning with a reader
// that is re-plugged at once, in readers per minute, with and without a record.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "LineSetting.h"
#include "ReaderModel.h"

namespace {

constexpr int ReplyDelayMs = 2;
// The write pauses behind the TAB, the text and the two check characters; the one behind the
// CR runs while the reader already answers.
constexpr double PausesBeforeCrMs = 1 + 5 + 1 + 1;
constexpr double PauseAfterCrMs = 1;
constexpr int PresenceReplyBytes = 16;  // also the version's reply
constexpr int AcknowledgeBytes = 7;
const char* const LineText = "19200,e,8,1";

QString SimPath() {
    return qEnvironmentVariable("VQ880_SIM", VQ880_SIM_PATH);
}

// The reader on a new pseudo-terminal, reached as COM1 of the machine folder.
class Simulator {
  public:
    Simulator(const QString& machineFolder, const QString& serial) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(SimPath(), {"--line", LineText, "--reply-delay",
                                   QString::number(ReplyDelayMs), "--restart-ms", "0", "--serial",
                                   serial, "--link", "COM1", "--machine-folder", machineFolder});
        if (!process_.waitForStarted(5000)) return;
        while (!process_.canReadLine() && process_.waitForReadyRead(5000)) {
        }
        started_ = process_.readLine().startsWith("device ");
        // The second line names the link: the reader is plugged in once it is there.
        while (!process_.canReadLine() && process_.waitForReadyRead(5000)) {
        }
        process_.readLine();
    }
    ~Simulator() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) process_.kill();
    }
    bool started() const { return started_; }

  private:
    QProcess process_;
    bool started_ = false;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

QProcess* StartCli(const QString& machineFolder, const QStringList& arguments) {
    auto* process = new QProcess;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VQ880_MACHINE_FOLDER", machineFolder);
    process->setProcessEnvironment(environment);
    process->start(QStringLiteral(VQ880_CLI_PATH), arguments);
    return process;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    const int readers = argc > 2 ? std::max(2, atoi(argv[2])) : 6;

    const auto exchangeAt = [](const char* line, int replyBytes) {
        const double charMs = double(CharacterTimeUs(*ParseLineSetting(line))) / 1000;
        return PausesBeforeCrMs +
               std::max(PauseAfterCrMs, ReplyDelayMs + (replyBytes - 1) * charMs);
    };
    const auto exchange = [&](int replyBytes) { return exchangeAt(LineText, replyBytes); };
    // The scan's try of the kept port, the version, then the setting's presence check and
    // command, each behind its 100 ms pause; 100 ms after the version and the presence check.
    const double findFloor =
        100 + exchange(PresenceReplyBytes) + 100 + exchange(PresenceReplyBytes) + 100;
    const double settingFloor =
        100 + exchange(PresenceReplyBytes) + 100 + exchange(AcknowledgeBytes);

    QTemporaryDir folder;
    QDir(folder.path()).mkpath("ports");
    {
        Simulator sim(folder.path(), "00001234");
        if (!sim.started()) return std::fprintf(stderr, "the simulator did not start\n"), 1;
        // The first run finds the reader and keeps its place; the timed ones find it there.
        QProcess* scan = StartCli(folder.path(), {"scan"});
        scan->waitForFinished(30000);
        if (scan->exitCode() != 0) return std::fprintf(stderr, "no reader on COM1\n"), 1;
        delete scan;

        std::vector<double> ms;
        int failures = 0;
        for (int round = 0; round < rounds; ++round) {
            QElapsedTimer timer;
            timer.start();
            QProcess* run = StartCli(folder.path(), {"set-same-card", "10"});
            run->waitForFinished(30000);
            ms.push_back(double(timer.nsecsElapsed()) / 1e6);
            if (run->exitStatus() != QProcess::NormalExit || run->exitCode() != 0) ++failures;
            delete run;
        }
        const double floor = findFloor + settingFloor;
        std::printf("vq880 set-same-card 10, %s, reader on the kept port, %d runs%s\n", LineText,
                    rounds, failures ? " (some failed)" : "");
        std::printf(
            "  median %.1f ms, best %.1f ms; floor %.1f ms; median / floor %.3f (goal 1.10)\n",
            Median(ms), *std::min_element(ms.begin(), ms.end()), floor, Median(ms) / floor);

        // The next plain scan after a command that moves the reader to another line setting
        // finds it on its first try, at the kept place. `steps` run before the timed scan, the
        // last of them the command measured; `back` puts the reader back at 19200,e,8,1.
        const auto scanAfter = [&](const QList<QStringList>& steps, const char* line,
                                   const QStringList& back) {
            const auto run = [&](const QStringList& arguments) {
                std::unique_ptr<QProcess> process(StartCli(folder.path(), arguments));
                process->waitForFinished(30000);
                return process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
            };
            std::vector<double> scans;
            int failures = 0;
            for (int round = 0; round < rounds; ++round) {
                for (const QStringList& step : steps) failures += run(step) != 0;
                QElapsedTimer timer;
                timer.start();
                failures += run({"scan"}) != 0;
                scans.push_back(double(timer.nsecsElapsed()) / 1e6);
                if (!back.isEmpty()) failures += run(back) != 0;
            }
            const double scanFloor = 100 + exchangeAt(line, PresenceReplyBytes) + 100 +
                                     exchangeAt(line, PresenceReplyBytes) + 100;
            std::printf("vq880 %s, then vq880 scan as a whole process, %d runs%s\n",
                        qPrintable(steps.last().join(' ')), rounds,
                        failures ? " (some failed)" : "");
            std::printf("  median %.1f ms; floor %.1f ms; median / floor %.3f (goal 1.10)\n",
                        Median(scans), scanFloor, Median(scans) / scanFloor);
        };
        scanAfter({{"set-line-speed", "115200,n,8,1"}}, "115200,n,8,1",
                  {"set-line-speed", LineText});
        scanAfter({{"set-line-speed", "115200,n,8,1"}, {"factory-default"}}, LineText, {});
    }

    // Each reader is reported, then pulled and the next one plugged in at once; the rate, and
    // false when the run ended early.
    std::vector<double> waits;  // from a reader's plug-in to its line
    const auto provisionRate = [&](const QStringList& more, double& perReader) {
        std::unique_ptr<QProcess> provision(StartCli(
            folder.path(),
            QStringList{"provision", "--first-id", "1", "--count", QString::number(readers)} +
                more));
        provision->waitForStarted(5000);
        std::vector<double> reportedAt;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < readers; ++i) {
            Simulator sim(folder.path(), QString::asprintf("SER%05d", i));
            const double pluggedAt = double(timer.nsecsElapsed()) / 1e6;
            while (!provision->canReadLine() && provision->state() == QProcess::Running)
                provision->waitForReadyRead(100);
            if (!provision->canReadLine()) return false;
            provision->readLine();
            reportedAt.push_back(double(timer.nsecsElapsed()) / 1e6);
            waits.push_back(reportedAt.back() - pluggedAt);
        }
        provision->waitForFinished(30000);
        perReader = (reportedAt.back() - reportedAt.front()) / (readers - 1);
        return true;
    };
    // One reader: the presence check that finds the last one gone (another serial number
    // answers), the scan on the kept port, and the reader number written.
    const double readerFloor = 100 + exchange(PresenceReplyBytes) + findFloor + settingFloor;
    const QString record = QDir(folder.path()).filePath("record.csv");
    double plain = 0, recorded = 0;
    if (!provisionRate({}, plain) || !provisionRate({"--record", record}, recorded))
        return std::fprintf(stderr, "provisioning ended early\n"), 1;
    std::printf("vq880 provision, %d readers re-plugged at once, reader number only\n", readers);
    std::printf("  %.1f readers/min (%.0f ms each); floor %.1f readers/min (%.0f ms); %.3f of it\n",
                60000 / plain, plain, 60000 / readerFloor, readerFloor, readerFloor / plain);
    std::printf("  with --record: %.1f readers/min (%.0f ms each); %.3f of the rate without it\n",
                60000 / recorded, recorded, plain / recorded);
    std::printf(
        "  from a reader's plug-in to its line: median %.0f ms; floor %.0f ms (found and "
        "numbered at once)\n",
        Median(waits), findFloor + settingFloor);
    return 0;
}
