// The time from an adapter's return to the first tag shown again, for the window's reading run
// (offscreen, the program's own serial line and clock) and for `vq880 tags --follow`: the
// simulator's adapter is pulled out during the reading and put back at the same link, round
// after round, against what a reading pass allows.
//
//   bench_follow [rounds, default 10]
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "PortLinks.h"
#include "PortNames.h"
#include "SerialLineLinux.h"
#include "SettingsStore.h"
#include "SimulatorProcess.h"
#include "TfrmModule.h"
#include "ToneRecorder.h"
#include "WindowControls.h"
#include "WindowServices.h"

namespace {

constexpr int Com = 4;
// The adapter stays out this long, and a random part of a pass more, so that its return falls
// anywhere in a pass.
constexpr int AwayMs = 400;
int AwayForMs() {
    return AwayMs + int(QRandomGenerator::global()->bounded(80));
}
// After the return: the pass in progress ends its turns (0 to 80 ms), then the port opens and
// one exchange brings the tag: 9 ms of writing, 2 ms of reply delay and 17 bytes at 19200,e.
constexpr double ExchangeMs = 9 + 2 + 17 * 11.0 * 1000 / 19200;
constexpr double TurnsMs = 80;

QStringList SimulatorArguments(const QString& folder) {
    return {"--link",
            PortNames::PortName(Com),
            "--machine-folder",
            folder,
            "--commands",
            "--tags",
            "0000BC61",
            "--reply-delay",
            "2"};
}

// A folder where every COM number but the simulator's stands for nothing.
void MachineFolder(const QTemporaryDir& folder) {
    for (int com = 1; com <= 16; ++com)
        if (com != Com) LinkMissingPort(folder.path(), com);
}

bool IsLinkLine(const QByteArray& line) {
    return line.startsWith("link ");
}

void Print(const char* what, std::vector<double> ms, int rounds) {
    if (ms.empty()) return void(std::printf("%s: no return measured\n", what));
    std::sort(ms.begin(), ms.end());
    std::printf(
        "%s, %zu of %d returns: from the adapter's return to the first tag shown, median %.0f ms, "
        "best %.0f ms, worst %.0f ms; a pass's turns and one exchange allow %.0f to %.0f ms\n",
        what, ms.size(), rounds, ms[ms.size() / 2], ms.front(), ms.back(), ExchangeMs,
        TurnsMs + ExchangeMs);
}

// The window reads tags; the adapter goes and comes back while it does.
std::vector<double> WindowReturns(int rounds) {
    QTemporaryDir folder;
    MachineFolder(folder);
    SimulatorProcess sim(SimulatorArguments(folder.path()));
    std::vector<double> returns;
    if (!sim.started()) return returns;
    LinuxSerialLine line;
    SteadyClock clock;
    ToneRecorder tone(clock);
    SettingsStore store(folder.path());
    TfrmModule form(WindowServices(line, clock, tone, store, folder.path()));
    form.show();
    form.context().ScanCommNo = Com;
    form.context().ReaderFound = true;

    QElapsedTimer timer;
    timer.start();
    qint64 backNs = -1;
    bool pulled = false;  // a link line from now on is the adapter's return
    QProcess& out = sim.process();
    QObject::connect(&out, &QProcess::readyReadStandardOutput, &form, [&] {
        while (out.canReadLine())
            if (IsLinkLine(out.readLine()) && pulled) {
                backNs = timer.nsecsElapsed();
                pulled = false;
            }
    });
    const auto pull = [&] {
        pulled = true;
        sim.Command("adapter-out");
        QTimer::singleShot(AwayForMs(), &form, [&] { sim.Command("adapter-in"); });
    };
    tone.onBeep = [&](int, int durationMs) {
        if (durationMs != 30 || backNs < 0) return;
        returns.push_back(double(timer.nsecsElapsed() - backNs) / 1e6);
        backNs = -1;
        if (int(returns.size()) < rounds)
            QTimer::singleShot(300, &form, pull);
        else
            QTimer::singleShot(0, &form, [&] { Ui(form).btnReadCard->click(); });
    };
    QTimer::singleShot(500, &form, pull);
    Ui(form).btnReadCard->click();
    return returns;
}

// vq880 tags --follow reads tags; the adapter goes and comes back while it does.
std::vector<double> TagsReturns(int rounds) {
    QTemporaryDir folder;
    MachineFolder(folder);
    SimulatorProcess sim(SimulatorArguments(folder.path()));
    std::vector<double> returns;
    if (!sim.started()) return returns;
    // Lines of the process until one that begins so, within 10 s; whether it came.
    const auto await = [](QProcess& process, const QByteArray& begin) {
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            if (!process.canReadLine() && !process.waitForReadyRead(50)) continue;
            while (process.canReadLine())
                if (process.readLine().startsWith(begin)) return true;
        }
        return false;
    };
    QProcess tags;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VQ880_MACHINE_FOLDER", folder.path());
    tags.setProcessEnvironment(environment);
    tags.start(QStringLiteral(VQ880_CLI_PATH), {"--json", "tags", "--follow"});
    await(sim.process(), "link ");  // the link made at the start
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < rounds; ++round) {
        if (!await(tags, "{\"decimal\"")) break;
        sim.Command("adapter-out");
        if (!await(tags, "{\"device\"")) break;  // the port went away
        QThread::msleep(quint64(AwayForMs()));
        sim.Command("adapter-in");
        if (!await(sim.process(), "link ")) break;
        const qint64 backNs = timer.nsecsElapsed();
        if (!await(tags, "{\"device\"")) break;  // the port is back
        if (!await(tags, "{\"decimal\"")) break;
        returns.push_back(double(timer.nsecsElapsed() - backNs) / 1e6);
    }
    tags.terminate();
    tags.waitForFinished(5000);
    return returns;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    Print("the window's reading run", WindowReturns(rounds), rounds);
    Print("vq880 tags --follow", TagsReturns(rounds), rounds);
    return 0;
}
