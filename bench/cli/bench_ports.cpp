// `vq880 ports` from the process's start to its exit, with sixteen COM numbers: four of them
// links to pseudo-terminals that are there (one held open by another program), the others
// links to nothing or fixed devices.
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 30;

    QTemporaryDir folder;
    QDir(folder.path()).mkpath("ports");
    std::vector<int> masters;
    for (int com : {2, 5, 9, 14}) {
        const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return std::fprintf(stderr, "no pseudo-terminal\n"), 1;
        masters.push_back(master);
        QFile::link(QString::fromLocal8Bit(ptsname(master)),
                    folder.filePath(QStringLiteral("ports/COM%1").arg(com)));
    }
    for (int com : {3, 7})
        QFile::link(folder.filePath("unplugged"),
                    folder.filePath(QStringLiteral("ports/COM%1").arg(com)));
    QProcess holder;
    holder.setStandardInputFile(folder.filePath("ports/COM9"));
    holder.start("sleep", {"600"});
    holder.waitForStarted();

    std::vector<double> ms;
    for (int round = 0; round < rounds; ++round) {
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VQ880_MACHINE_FOLDER", folder.path());
        run.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        run.start(QStringLiteral(VQ880_CLI_PATH), {"ports"});
        run.waitForFinished(10000);
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (run.exitCode() != 0) return std::fprintf(stderr, "vq880 ports failed\n"), 1;
    }
    holder.kill();
    holder.waitForFinished();
    for (int master : masters) ::close(master);
    std::sort(ms.begin(), ms.end());
    std::printf("vq880 ports, 16 COM numbers, 4 devices present, %d runs\n", rounds);
    std::printf("  median %.1f ms, best %.1f ms, worst %.1f ms (goal 100 ms)\n", ms[ms.size() / 2],
                ms.front(), ms.back());
    return 0;
}
