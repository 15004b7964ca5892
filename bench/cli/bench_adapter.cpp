// What an adapter that holds received bytes costs: `vq880 tags` and `vq880 set-same-card 10`
// against a reader whose adapter hands its replies on at once, every 1 ms (an FTDI adapter whose
// driver granted low latency) and every 16 ms (an FTDI adapter at its default). The tag rate is
// taken between the first and the last tag of a run; the setting's time is the whole process,
// reader on the kept port, from start to exit. Rounds alternate between the adapters so that
// the machine's drift falls on all alike.
//
//   bench_adapter [rounds, default 3] [tags per run, default 60]
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

std::unique_ptr<QProcess> RunCli(const QString& machineFolder, const QStringList& arguments) {
    auto run = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VQ880_MACHINE_FOLDER", machineFolder);
    run->setProcessEnvironment(environment);
    run->start(QStringLiteral(VQ880_CLI_PATH), arguments);
    run->waitForFinished(120000);
    return run;
}

bool Succeeded(const QProcess& run) {
    return run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
}

// Tags per second between the first and the last tag a run printed; 0 when it failed.
double TagRate(const QString& machineFolder, int tags) {
    const auto run = RunCli(machineFolder, {"--json", "tags", "--count", QString::number(tags)});
    if (!Succeeded(*run)) return 0;
    std::vector<QDateTime> times;
    for (const QByteArray& line : run->readAllStandardOutput().split('\n')) {
        const QJsonObject tag = QJsonDocument::fromJson(line).object();
        if (tag.contains("tag"))
            times.push_back(QDateTime::fromString(tag.value("time").toString(), Qt::ISODateWithMs));
    }
    if (times.size() < 2) return 0;
    return double(times.size() - 1) * 1000 / double(times.front().msecsTo(times.back()));
}

// The whole process of one setting; 0 when it failed.
double SettingMs(const QString& machineFolder) {
    QElapsedTimer timer;
    timer.start();
    const auto run = RunCli(machineFolder, {"set-same-card", "10"});
    return Succeeded(*run) ? double(timer.nsecsElapsed()) / 1e6 : 0;
}

// The reader on a new pseudo-terminal, linked as COM1 of the machine folder, behind an adapter
// that hands on every batchMs.
class Reader {
  public:
    Reader(const QString& machineFolder, int batchMs) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(VQ880_SIM_PATH),
                       {"--link", "COM1", "--machine-folder", machineFolder, "--tags",
                        "0000BC61,00000001", "--batch-ms", QString::number(batchMs)});
        if (!process_.waitForStarted(5000)) return;
        while (process_.canReadLine() || process_.waitForReadyRead(5000))
            if (process_.readLine().startsWith("link ")) {
                started_ = true;
                break;
            }
    }
    ~Reader() {
        process_.terminate();
        if (!process_.waitForFinished(3000)) process_.kill();
    }
    bool started() const { return started_; }

  private:
    QProcess process_;
    bool started_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    const int tags = argc > 2 ? std::max(3, atoi(argv[2])) : 60;
    const int batches[] = {0, 1, 16};

    QTemporaryDir folder;
    QDir(folder.path()).mkpath("ports");
    {
        // The first scan keeps the reader's place: every timed run finds it there at once.
        Reader reader(folder.path(), 0);
        if (!reader.started()) return std::fprintf(stderr, "the simulator did not start\n"), 1;
        if (!Succeeded(*RunCli(folder.path(), {"scan"})))
            return std::fprintf(stderr, "no reader on COM1\n"), 1;
    }
    std::vector<double> rates[3], settings[3];
    for (int round = 0; round < rounds; ++round)
        for (int i = 0; i < 3; ++i) {
            Reader reader(folder.path(), batches[i]);
            if (!reader.started()) return std::fprintf(stderr, "the simulator did not start\n"), 1;
            rates[i].push_back(TagRate(folder.path(), tags));
            settings[i].push_back(SettingMs(folder.path()));
        }
    for (int i = 0; i < 3; ++i)
        if (std::count(rates[i].begin(), rates[i].end(), 0.0) +
            std::count(settings[i].begin(), settings[i].end(), 0.0))
            return std::fprintf(stderr, "a run failed\n"), 1;

    std::printf("vq880 at 19200,e,8,1, %d rounds, medians; the adapter hands replies on:\n",
                rounds);
    std::printf("  %-28s %10s %10s   %s\n", "", "tags/s", "ratio",
                "set-same-card 10, start to exit");
    const char* const names[] = {"at once", "every 1 ms (low latency)",
                                 "every 16 ms (FTDI default)"};
    for (int i = 0; i < 3; ++i)
        std::printf("  %-28s %10.3f %10.3f   %.1f ms (+%.1f ms)\n", names[i], Median(rates[i]),
                    Median(rates[i]) / Median(rates[0]), Median(settings[i]),
                    Median(settings[i]) - Median(settings[0]));
    return 0;
}
