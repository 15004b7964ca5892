// A long reading run with a tag always in the field, against the simulator program on a
// pseudo-terminal: once through the real window (offscreen) and once through `vq880 tags`.
// Prints the resident memory and open descriptors at the start and the end, the tag rate in
// each stretch of time, and the processor time.
//
//   bench_long_run [--minutes M | --seconds S] [--report-every S] [--window-only | --cli-only]
//
// Ends with status 1 when a run read no tag or ended with more descriptors than it began with
// (beyond a small margin): that much holds without timing, so the short form is a test.
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "PortLinks.h"
#include "PortNames.h"
#include "ProcessFigures.h"
#include "SerialLineLinux.h"
#include "SettingsStore.h"
#include "SimulatorProcess.h"
#include "TfrmModule.h"
#include "WindowControls.h"
#include "WindowServices.h"

namespace {

constexpr int SimPort = 3;
const QString LineSetting = QStringLiteral("19200,e,8,1");
// A descriptor more at the end may be Qt's own, opened once on first use.
constexpr int DescriptorMargin = 2;

// The speaker of a machine without sound: silent, blocking for the tone's duration.
class SilentTone final : public ToneSink {
  public:
    void Beep(int, int durationMs) override { clock_.SleepMs(quint32(durationMs)); }

  private:
    SteadyClock clock_;
};

// The program's line, counting the exchanges: with a tag always in the field, one a tag.
class CountingLine final : public SerialLine {
  public:
    OpenResult Open(const QString& d) override { return inner_.Open(d); }
    bool GetTimeouts(CommTimeouts& t) override { return inner_.GetTimeouts(t); }
    bool SetTimeouts(const CommTimeouts& t) override { return inner_.SetTimeouts(t); }
    bool SetLine(const LineParameters& l) override { return inner_.SetLine(l); }
    qint64 Write(const char* d, qint64 n) override { return inner_.Write(d, n); }
    int ReadByte(char* b) override {
        const int n = inner_.ReadByte(b);
        if (n == 1 && *b == '\r') ++replies;
        return n;
    }
    bool Purge() override { return inner_.Purge(); }
    void Close() override { inner_.Close(); }

    qint64 replies = 0;

  private:
    LinuxSerialLine inner_;
};

// Samples one process at the start, every stretch and at the end, and prints each sample.
class Recorder {
  public:
    Recorder(const char* name, qint64 pid) : name_(name), pid_(pid) {}

    void Sample(qint64 count) {
        const ProcessFigures now = ReadProcessFigures(pid_);
        const double seconds = double(clock_.nsecsElapsed()) / 1e9;
        if (samples_ == 0) {
            start_ = now;
            startSeconds_ = seconds;
            startCount_ = count;
            std::printf("%s at the start: %lld KiB resident, %d open descriptors\n", name_,
                        now.residentKiB, now.openFiles);
        } else {
            const double stretch = seconds - lastSeconds_;
            std::printf("%s %7.0f s: %6.2f tags/s, %5.2f %% of a core, %lld KiB, %d fds\n", name_,
                        seconds, double(count - lastCount_) / stretch,
                        (now.cpuSeconds - last_.cpuSeconds) / stretch * 100, now.residentKiB,
                        now.openFiles);
        }
        std::fflush(stdout);
        last_ = now;
        lastSeconds_ = seconds;
        lastCount_ = count;
        ++samples_;
    }

    // Prints the figures from the first sample to the last; false when they show a fault.
    bool Finish() {
        const qint64 count = lastCount_ - startCount_;
        const double seconds = lastSeconds_ - startSeconds_;
        std::printf(
            "%s over %.0f s: %lld tags (%.2f/s), resident %lld -> %lld KiB, descriptors %d -> %d, "
            "processor %.2f %% of a core\n",
            name_, seconds, count, seconds > 0 ? double(count) / seconds : 0.0, start_.residentKiB,
            last_.residentKiB, start_.openFiles, last_.openFiles,
            seconds > 0 ? (last_.cpuSeconds - start_.cpuSeconds) / seconds * 100 : 0.0);
        bool ok = true;
        if (count == 0) {
            std::printf("%s: FAULT: no tag was read\n", name_);
            ok = false;
        }
        if (last_.openFiles > start_.openFiles + DescriptorMargin) {
            std::printf("%s: FAULT: the descriptors grew\n", name_);
            ok = false;
        }
        return ok;
    }

    void Start() { clock_.start(); }

  private:
    const char* name_;
    qint64 pid_;
    QElapsedTimer clock_;
    ProcessFigures start_, last_;
    double startSeconds_ = 0, lastSeconds_ = 0;
    qint64 lastCount_ = 0, startCount_ = 0;
    int samples_ = 0;
};

QStringList SimArguments(const QString& folder) {
    return {"--link",           PortNames::PortName(SimPort),
            "--machine-folder", folder,
            "--line",           LineSetting,
            "--tags",           "0000BC61"};
}

bool WindowRun(int seconds, int everySeconds) {
    QTemporaryDir folder;
    for (int com = 1; com <= 16; ++com)
        if (com != SimPort) LinkMissingPort(folder.path(), com);
    SimulatorProcess sim(SimArguments(folder.path()));
    if (!sim.started()) {
        std::printf("window: the simulator did not start\n");
        return false;
    }
    CountingLine line;
    SteadyClock clock;
    SilentTone tone;
    SettingsStore store(folder.path());
    TfrmModule form(WindowServices(line, clock, tone, store, folder.path()));
    form.show();
    form.context().ScanCommNo = SimPort;
    form.context().ScanBaudRate = LineSetting;
    form.context().ReaderFound = true;

    Recorder recorder("window", 0);
    recorder.Start();
    QTimer every;
    every.setInterval(everySeconds * 1000);
    QObject::connect(&every, &QTimer::timeout, [&] { recorder.Sample(line.replies); });
    // The first sample once the run has opened the port and settled.
    QTimer::singleShot(1000, [&] {
        recorder.Sample(line.replies);
        every.start();
    });
    QTimer::singleShot(1000 + seconds * 1000, &form, [&] {
        every.stop();
        recorder.Sample(line.replies);
        Ui(form).btnReadCard->click();  // the cancel click
    });
    Ui(form).btnReadCard->click();  // returns when the run has ended
    return recorder.Finish();
}

bool CommandLineRun(int seconds, int everySeconds) {
    QTemporaryDir folder;
    for (int com = 1; com <= 16; ++com)
        if (com != SimPort) LinkMissingPort(folder.path(), com);
    SimulatorProcess sim(SimArguments(folder.path()));
    if (!sim.started()) {
        std::printf("vq880: the simulator did not start\n");
        return false;
    }
    QProcess tags;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VQ880_MACHINE_FOLDER", folder.path());
    tags.setProcessEnvironment(environment);
    tags.start(QStringLiteral(VQ880_CLI_PATH), {"--port", PortNames::PortName(SimPort), "--json",
                                                "tags", "--seconds", QString::number(seconds + 3)});
    if (!tags.waitForStarted()) {
        std::printf("vq880: did not start\n");
        return false;
    }
    qint64 count = 0;
    QObject::connect(&tags, &QProcess::readyReadStandardOutput, [&] {
        while (tags.canReadLine())
            if (tags.readLine().contains("\"tag\":")) ++count;
    });
    Recorder recorder("vq880 tags", tags.processId());
    recorder.Start();
    QEventLoop loop;
    QTimer every;
    every.setInterval(everySeconds * 1000);
    QObject::connect(&every, &QTimer::timeout, [&] { recorder.Sample(count); });
    // The first sample once the program has found the reader and reads.
    QTimer::singleShot(1000, [&] {
        recorder.Sample(count);
        every.start();
    });
    QTimer::singleShot(1000 + seconds * 1000, &loop, [&] {
        every.stop();
        recorder.Sample(count);
        loop.quit();
    });
    loop.exec();
    tags.waitForFinished(10000);
    const bool ok = recorder.Finish();
    if (tags.exitStatus() != QProcess::NormalExit || tags.exitCode() != 0) {
        std::printf("vq880 tags: FAULT: ended with status %d\n", tags.exitCode());
        return false;
    }
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption minutes("minutes", "Length of each run (default 10).", "M", "10");
    const QCommandLineOption seconds("seconds", "Length of each run in seconds.", "S");
    const QCommandLineOption every("report-every", "Seconds between two samples (default 60).", "S",
                                   "60");
    const QCommandLineOption windowOnly("window-only", "Only the window's run.");
    const QCommandLineOption cliOnly("cli-only", "Only the run of vq880 tags.");
    parser.addOptions({minutes, seconds, every, windowOnly, cliOnly});
    parser.process(app);
    const int length =
        parser.isSet(seconds) ? parser.value(seconds).toInt() : parser.value(minutes).toInt() * 60;
    const int everySeconds = qMax(1, parser.value(every).toInt());
    if (length <= 0) {
        std::fprintf(stderr, "bench_long_run: the length must be positive\n");
        return 64;
    }
    bool ok = true;
    if (!parser.isSet(cliOnly)) ok = WindowRun(length, everySeconds) && ok;
    if (!parser.isSet(windowOnly)) ok = CommandLineRun(length, everySeconds) && ok;
    return ok ? 0 : 1;
}
