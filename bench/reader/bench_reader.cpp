// Discovery and tag reading on the real window (offscreen), QSerialPort, the steady clock and
// the simulator program on pseudo-terminals, against the floors their own pauses allow.
//
//   bench_reader [seconds of reading per case, default 5] [--timer-slack-ns=N]
//                [--reading-only | --scan-only]
#include <sys/prctl.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <vector>

#include "LineSetting.h"
#include "PortLinks.h"
#include "PortNames.h"
#include "ReaderModel.h"
#include "SerialLineLinux.h"
#include "SettingsStore.h"
#include "SimulatorProcess.h"
#include "TfrmModule.h"
#include "ToneSink.h"
#include "WindowControls.h"
#include "WindowServices.h"

namespace {

constexpr double TurnsMs = 80;       // 80 turns of message processing, 1 ms sleep each
constexpr double WritePausesMs = 9;  // 1 + 5 + 1 + 1 + 1 after the pieces of a frame
constexpr double PresencePauseMs = 100;
constexpr double ReplyWindowMs = 121;  // the window closes once more than 120 ms have passed
constexpr double TagToneMs = 30;
constexpr double OutcomeToneMs = 300;
constexpr int SimReplyDelayMs = 2;
constexpr int CommandFrameBytes = 8;  // TAB, "A00F", two check characters, CR
constexpr int TagReplyBytes = 17;     // LF, 13-character body, two check characters, CR
constexpr int NoTagReplyBytes = 9;    // LF, "F01NO", two check characters, CR
constexpr int PresenceReplyBytes = 16;
constexpr int VersionReplyBytes = 16;

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double CharacterMs(const QString& lineSetting) {
    return double(CharacterTimeUs(*ParseLineSetting(lineSetting))) / 1000.0;
}

// The speaker of a machine without sound: silent, blocking for the tone's duration.
class SilentTone final : public ToneSink {
  public:
    void Beep(int, int durationMs) override { clock_.SleepMs(quint32(durationMs)); }

  private:
    SteadyClock clock_;
};

// The program's line, noting for each exchange when it began (the purge), when its CR had gone
// out and when the reply's CR came in, and the processor time at each CR sent.
class TimedLine final : public SerialLine {
  public:
    struct Exchange {
        qint64 purgeNs = 0, sentNs = 0, replyNs = -1;
        double cpu = 0;
    };

    OpenResult Open(const QString& d) override {
        const qint64 start = clock.nsecsElapsed();
        const OpenResult result = inner_.Open(d);
        (result.opened() ? openNs : failedOpenNs) += clock.nsecsElapsed() - start;
        return result;
    }
    bool GetTimeouts(CommTimeouts& t) override { return inner_.GetTimeouts(t); }
    bool SetTimeouts(const CommTimeouts& t) override { return inner_.SetTimeouts(t); }
    bool SetLine(const LineParameters& l) override { return inner_.SetLine(l); }
    qint64 Write(const char* d, qint64 n) override {
        const qint64 written = inner_.Write(d, n);
        if (n == 1 && d[0] == '\r' && !exchanges.empty()) {
            exchanges.back().sentNs = clock.nsecsElapsed();
            exchanges.back().cpu = CpuSeconds();
        }
        return written;
    }
    int ReadByte(char* b) override {
        const int n = inner_.ReadByte(b);
        if (n == 1 && *b == '\r' && !exchanges.empty())
            exchanges.back().replyNs = clock.nsecsElapsed();
        return n;
    }
    bool Purge() override {
        exchanges.push_back({clock.nsecsElapsed(), 0, -1, 0});
        return inner_.Purge();
    }
    void Close() override {
        const qint64 start = clock.nsecsElapsed();
        inner_.Close();
        closeNs += clock.nsecsElapsed() - start;
    }

    void Reset() {
        exchanges.clear();
        openNs = failedOpenNs = closeNs = 0;
        clock.start();
    }

    QElapsedTimer clock;
    std::vector<Exchange> exchanges;
    qint64 openNs = 0, failedOpenNs = 0, closeNs = 0;  // time spent opening and closing

  private:
    LinuxSerialLine inner_;
};

// One simulator program on a new pseudo-terminal, linked as COMn in the machine folder.
using Simulator = SimulatorProcess;

// The window on the program's own pieces, with a machine folder of its own.
struct Rig {
    QTemporaryDir folder;
    TimedLine line;
    SteadyClock clock;
    SilentTone tone;
    SettingsStore store{folder.path()};
    std::unique_ptr<TfrmModule> form;

    Rig() {
        // Every COM number that no simulator takes stands for nothing, whatever the machine has.
        for (int com = 1; com <= 16; ++com) LinkMissingPort(folder.path(), com);
    }
    void Free(int comNumber) { QFile::remove(PortNames(folder.path()).LinkPath(comNumber)); }
    TfrmModule& Form() {
        if (!form) {
            form = std::make_unique<TfrmModule>(
                WindowServices(line, clock, tone, store, folder.path()));
            form->show();
        }
        return *form;
    }
};

void BenchReading(const QString& lineSetting, bool tagPresent, int seconds) {
    Rig rig;
    rig.Free(3);
    Simulator sim(
        rig.folder.path(), 3,
        QStringList{"--line", lineSetting, "--reply-delay", QString::number(SimReplyDelayMs)} +
            (tagPresent ? QStringList{"--tags", "0000BC61"} : QStringList{"--no-tags"}));
    if (!sim.started()) {
        std::printf("reading %s: the simulator did not start\n", qPrintable(lineSetting));
        return;
    }
    TfrmModule& form = rig.Form();
    form.context().ScanCommNo = 3;
    form.context().ScanBaudRate = lineSetting;
    form.context().ReaderFound = true;
    rig.line.Reset();
    QTimer::singleShot(seconds * 1000, &form, [&form] { Ui(form).btnReadCard->click(); });
    Ui(form).btnReadCard->click();

    const auto& ex = rig.line.exchanges;
    if (ex.size() < 3) {
        std::printf("reading %s: only %zu exchanges\n", qPrintable(lineSetting), ex.size());
        return;
    }
    // From the first exchange to the last: whole passes only, without the start and the end.
    const size_t passes = ex.size() - 1;
    const double wallS = double(ex.back().sentNs - ex.front().sentNs) / 1e9;
    const double cpuS = ex.back().cpu - ex.front().cpu;
    // Where a pass spends its time: writing the frame, awaiting the reply, then the tone and
    // the 80 turns up to the next exchange.
    double writingMs = 0, replyMs = 0, turnsMs = 0;
    int answered = 0;
    for (size_t i = 0; i + 1 < ex.size(); ++i) {
        writingMs += double(ex[i].sentNs - ex[i].purgeNs) / 1e6;
        if (ex[i].replyNs >= 0) {
            replyMs += double(ex[i].replyNs - ex[i].sentNs) / 1e6;
            turnsMs += double(ex[i + 1].purgeNs - ex[i].replyNs) / 1e6;
            ++answered;
        }
    }
    const double charMs = CharacterMs(lineSetting);
    const int replyBytes = tagPresent ? TagReplyBytes : NoTagReplyBytes;
    // On a pseudo-terminal only the reply is paced; a real line also spends the command's time.
    const double floorPtyMs = TurnsMs + WritePausesMs + replyBytes * charMs + SimReplyDelayMs +
                              (tagPresent ? TagToneMs : 0);
    const double floorLineMs = floorPtyMs + CommandFrameBytes * charMs;
    const double rate = double(passes) / wallS;
    std::printf(
        "reading %-13s %-7s %5.2f passes/s (%.1f ms a pass); ceiling %.2f/s (%.1f ms): %.1f %% "
        "(goal >= 95 %%); against a real line's ceiling %.2f/s: %.1f %%; processor %.1f ms/s = "
        "%.2f %% of a core (goal <= 10 %%)\n",
        qPrintable(lineSetting), tagPresent ? "tag" : "no tag", rate, 1000.0 / rate,
        1000.0 / floorPtyMs, floorPtyMs, rate * floorPtyMs / 10.0, 1000.0 / floorLineMs,
        rate * floorLineMs / 10.0, cpuS / wallS * 1000, cpuS / wallS * 100);
    if (answered > 0)
        std::printf(
            "    a pass: writing %.2f ms (floor 8 of the 9 ms pauses), reply %.2f ms (floor "
            "%.2f ms: 1 ms pause, %.0f ms delay, %d characters), tone and turns %.2f ms (floor "
            "%.0f ms)\n",
            writingMs / double(passes), replyMs / answered,
            1 + SimReplyDelayMs + (replyBytes - 1) * charMs, double(SimReplyDelayMs), replyBytes,
            turnsMs / answered, TurnsMs + (tagPresent ? TagToneMs : 0));
}

void BenchLockedScan(int rounds) {
    std::vector<double> times;
    double cpu = 0, writing = 0, windowAndPause = 0, portNs = 0, failedNs = 0;
    int pairs = 0;
    for (int round = 0; round < rounds; ++round) {
        Rig rig;
        std::vector<std::unique_ptr<Simulator>> silent;
        for (int com : {2, 5, 9, 16}) {
            rig.Free(com);
            silent.push_back(std::make_unique<Simulator>(rig.folder.path(), com,
                                                         QStringList{"--fault", "silent"}));
            if (!silent.back()->started()) {
                std::printf("locked scan: a simulator did not start\n");
                return;
            }
        }
        TfrmModule& form = rig.Form();
        rig.line.Reset();
        QElapsedTimer timer;
        const double cpuBefore = CpuSeconds();
        timer.start();
        Ui(form).btnScan->click();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        cpu += CpuSeconds() - cpuBefore;
        if (form.context().ReaderFound) std::printf("locked scan: a silent port answered\n");
        // The second try on a port follows the first at once: window, then the next pause.
        const auto& ex = rig.line.exchanges;
        portNs += rig.line.openNs + rig.line.closeNs;
        failedNs += rig.line.failedOpenNs;
        for (size_t i = 0; i + 1 < ex.size(); i += 2) {
            writing += double(ex[i].sentNs - ex[i].purgeNs) / 1e6;
            windowAndPause += double(ex[i + 1].purgeNs - ex[i].sentNs) / 1e6;
            ++pairs;
        }
    }
    const double perTry = PresencePauseMs + WritePausesMs + ReplyWindowMs;
    const double floorMs = 4 * 2 * perTry + OutcomeToneMs;
    double sum = 0;
    for (double t : times) sum += t;
    const double mean = sum / double(times.size());
    std::printf(
        "locked scan COM1-COM16, 4 silent ports, %d rounds: mean %.1f ms; floor %.0f ms "
        "(8 tries of %.0f ms pause + %.0f ms writing + %.0f ms window, %.0f ms tone): "
        "ratio %.4f (goal <= 1.03); processor %.2f %% of a core\n",
        rounds, mean, floorMs, PresencePauseMs, WritePausesMs, ReplyWindowMs, OutcomeToneMs,
        mean / floorMs, cpu / (sum / 1000) * 100);
    if (pairs > 0)
        std::printf(
            "    a try: writing %.2f ms (floor 8 of the 9 ms pauses); the window and the next "
            "pause %.2f ms (floor %.0f ms, 1 ms pause included)\n",
            writing / pairs, windowAndPause / pairs, 1 + ReplyWindowMs + PresencePauseMs);
    std::printf(
        "    a scan: %.1f ms opening and closing the 4 ports, %.1f ms in the 12 opens that "
        "fail\n",
        portNs / 1e6 / rounds, failedNs / 1e6 / rounds);
}

void BenchSavedPort(int rounds) {
    const QString lineSetting = "19200,e,8,1";
    Rig rig;
    rig.Free(3);
    Simulator sim(rig.folder.path(), 3,
                  {"--line", lineSetting, "--reply-delay", QString::number(SimReplyDelayMs)});
    if (!sim.started()) {
        std::printf("saved port: the simulator did not start\n");
        return;
    }
    TfrmModule& form = rig.Form();
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        form.context().ScanCommNo = 3;
        form.context().ScanBaudRate = lineSetting;
        QElapsedTimer timer;
        timer.start();
        Ui(form).btnScan->click();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (!form.context().ReaderFound) std::printf("saved port: the reader was not found\n");
    }
    const double charMs = CharacterMs(lineSetting);
    // Presence try, version try, the pause after the version, the success tone.
    const double floorMs = PresencePauseMs + WritePausesMs + PresenceReplyBytes * charMs +
                           SimReplyDelayMs + PresencePauseMs + WritePausesMs +
                           VersionReplyBytes * charMs + SimReplyDelayMs + PresencePauseMs +
                           OutcomeToneMs;
    double sum = 0;
    for (double t : times) sum += t;
    const double mean = sum / double(times.size());
    std::printf(
        "reader on the saved port (%s), %d rounds: mean %.1f ms to the end of the scan; floor "
        "%.1f ms (3 pauses, 2 frames' writing and replies, the tone): ratio %.4f; without the "
        "tone %.1f ms against %.1f ms\n",
        qPrintable(lineSetting), rounds, mean, floorMs, mean / floorMs, mean - OutcomeToneMs,
        floorMs - OutcomeToneMs);
}

// A reader whose device vanishes in the middle of a run: the passes go on until the cancel
// click, and should cost no more processor time than waiting for a silent reader.
void BenchVanishedReader(int seconds) {
    Rig rig;
    rig.Free(3);
    auto sim = std::make_unique<Simulator>(
        rig.folder.path(), 3, QStringList{"--line", "19200,e,8,1", "--tags", "00000001"});
    if (!sim->started()) {
        std::printf("vanished reader: the simulator did not start\n");
        return;
    }
    TfrmModule& form = rig.Form();
    form.context().ScanCommNo = 3;
    form.context().ScanBaudRate = "19200,e,8,1";
    form.context().ReaderFound = true;
    rig.line.Reset();
    double cpuAtKill = 0;
    qint64 killNs = 0;
    size_t exchangesAtKill = 0;
    QTimer::singleShot(1000, &form, [&] {
        sim->Kill();
        cpuAtKill = CpuSeconds();
        killNs = rig.line.clock.nsecsElapsed();
        exchangesAtKill = rig.line.exchanges.size();
    });
    double cpuAtCancel = 0;
    qint64 cancelNs = 0;
    size_t exchangesAtCancel = 0;
    QTimer::singleShot(1000 + seconds * 1000, &form, [&] {
        cpuAtCancel = CpuSeconds();
        cancelNs = rig.line.clock.nsecsElapsed();
        exchangesAtCancel = rig.line.exchanges.size();
        Ui(form).btnReadCard->click();
    });
    Ui(form).btnReadCard->click();
    const double wallS = double(cancelNs - killNs) / 1e9;
    // Once the device has hung up, a pass keeps its turns but writes no frame to it.
    const size_t frames = exchangesAtCancel - exchangesAtKill;
    std::printf(
        "vanished reader, %d s after the simulator was killed: %zu frames written to the gone "
        "device, processor %.2f %% of a core; the run ended on the cancel click\n",
        seconds, frames, (cpuAtCancel - cpuAtKill) / wallS * 100);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int seconds = 5;
    bool reading = true, scan = true;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument.startsWith("--timer-slack-ns=")) {
            // What the 1 ms sleeps lose to the kernel's timer slack (50 us by default).
            const unsigned long slack = argument.section('=', 1).toULong();
            prctl(PR_SET_TIMERSLACK, slack);
            std::printf("timer slack of the user-interface thread: %lu ns\n", slack);
        } else if (argument == "--reading-only") {
            scan = false;
        } else if (argument == "--scan-only") {
            reading = false;
        } else {
            seconds = qMax(2, argument.toInt());
        }
    }

    if (reading)
        for (const char* line : {"19200,e,8,1", "115200,n,8,1"})
            for (bool tag : {true, false}) BenchReading(QString::fromLatin1(line), tag, seconds);
    if (reading) BenchVanishedReader(seconds);
    if (scan) {
        BenchLockedScan(3);
        BenchSavedPort(5);
    }
    return 0;
}
