// The tag-reading rate of `vq880 tags` with --trace against the rate without it, from the times
// of the first and the last tag of each run; runs alternate so that the machine's drift falls on
// both alike.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Tags per second between the first and the last tag a run printed; 0 when it failed.
double TagRate(const QString& machineFolder, const QStringList& arguments) {
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VQ880_MACHINE_FOLDER", machineFolder);
    run.setProcessEnvironment(environment);
    run.start(QStringLiteral(VQ880_CLI_PATH), arguments);
    if (!run.waitForFinished(120000) || run.exitCode() != 0) return 0;
    std::vector<QDateTime> times;
    for (const QByteArray& line : run.readAllStandardOutput().split('\n')) {
        const QJsonObject tag = QJsonDocument::fromJson(line).object();
        if (tag.contains("tag"))
            times.push_back(QDateTime::fromString(tag.value("time").toString(), Qt::ISODateWithMs));
    }
    if (times.size() < 2) return 0;
    return double(times.size() - 1) * 1000 / double(times.front().msecsTo(times.back()));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const int tags = argc > 2 ? std::max(3, atoi(argv[2])) : 60;

    QTemporaryDir folder;
    QDir(folder.path()).mkpath("ports");
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(QStringLiteral(VQ880_SIM_PATH),
              {"--link", "COM1", "--machine-folder", folder.path(), "--tags", "0000BC61,00000001"});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000))
        return std::fprintf(stderr, "the simulator did not start\n"), 1;
    while (sim.canReadLine() || sim.waitForReadyRead(1000))
        if (sim.readLine().startsWith("link ")) break;

    const QString trace = folder.filePath("trace.txt");
    const QStringList plain{"--json", "tags", "--count", QString::number(tags)};
    std::vector<double> without, with;
    for (int round = 0; round < rounds; ++round) {
        without.push_back(TagRate(folder.path(), plain));
        with.push_back(TagRate(folder.path(), QStringList{"--trace=" + trace} + plain));
    }
    sim.terminate();
    sim.waitForFinished(3000);
    if (std::count(without.begin(), without.end(), 0.0) + std::count(with.begin(), with.end(), 0.0))
        return std::fprintf(stderr, "a run failed\n"), 1;
    std::printf("vq880 tags --count %d, %d runs each, alternating\n", tags, rounds);
    std::printf(
        "  without --trace %.3f tags/s; with --trace=FILE %.3f tags/s; ratio %.4f (goal "
        "within 1 %%)\n",
        Median(without), Median(with), Median(with) / Median(without));
    return 0;
}
