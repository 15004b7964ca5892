// Starts the real window again and again in a fresh process and prints, for the offscreen
// platform and for an X display (Xvfb is started when there is none), the time from process
// start to the first painted window and the peak resident memory.
//
//   bench-startup [runs]           the measurement (10 runs per platform by default)
//   bench-startup --window FOLDER  one start, used by the measurement itself
#include <time.h>

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <optional>

#include "PlatformServices.h"
#include "TfrmModule.h"

namespace {

constexpr double GoalFirstPaintMs = 300;
constexpr double GoalPeakMiB = 60;

qint64 MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The high-water mark of this process's resident memory, in KiB.
qint64 PeakResidentKiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

// Reports the moment the first paint of a widget has been delivered.
class FirstPaint : public QObject {
  public:
    explicit FirstPaint(std::function<void()> done) : done_(std::move(done)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Queued, so it runs once the paint has been drawn and flushed to the screen.
            QTimer::singleShot(0, done_);
        }
        return false;
    }

  private:
    std::function<void()> done_;
    bool seen_ = false;
};

// One start of the window as the program makes it; prints "painted <ns> <KiB>".
int RunWindow(int argc, char* argv[], const QString& machineFolder) {
    QApplication application(argc, argv);
    const ProgramServices services(machineFolder);
    TfrmModule window(services.services());
    FirstPaint watcher([&] {
        const qint64 paintedNs = MonotonicNs();
        // Let the window settle a little, as it does when it waits for the first click.
        QTimer::singleShot(300, [paintedNs] {
            std::printf("painted %lld %lld\n", static_cast<long long>(paintedNs),
                        static_cast<long long>(PeakResidentKiB()));
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    });
    window.installEventFilter(&watcher);
    window.show();
    return application.exec();
}

struct Sample {
    double firstPaintMs = 0;
    double peakMiB = 0;
};

std::optional<Sample> MeasureOnce(const QString& platform, const QString& display) {
    QTemporaryDir machineFolder;
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", platform);
    environment.insert("XDG_RUNTIME_DIR", runtime.path());
    if (!display.isEmpty()) environment.insert("DISPLAY", display);
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const qint64 startNs = MonotonicNs();
    child.start(QCoreApplication::applicationFilePath(), {"--window", machineFolder.path()});
    if (!child.waitForFinished(30000) || child.exitCode() != 0) return std::nullopt;
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 3 || fields[0] != "painted") return std::nullopt;
    return Sample{(fields[1].toLongLong() - startNs) / 1e6, fields[2].toLongLong() / 1024.0};
}

void Report(const char* name, QList<Sample> samples) {
    if (samples.isEmpty()) {
        std::printf("%-10s no successful start\n", name);
        return;
    }
    auto byTime = [](const Sample& a, const Sample& b) { return a.firstPaintMs < b.firstPaintMs; };
    std::sort(samples.begin(), samples.end(), byTime);
    double peak = 0;
    for (const Sample& s : samples) peak = std::max(peak, s.peakMiB);
    const double median = samples[samples.size() / 2].firstPaintMs;
    std::printf(
        "%-10s runs %2lld  first paint ms: min %6.1f  median %6.1f  max %6.1f  (goal %.0f, "
        "median/goal %.2f)  peak RSS MiB: %5.1f  (goal %.0f, ratio %.2f)\n",
        name, static_cast<long long>(samples.size()), samples.first().firstPaintMs, median,
        samples.last().firstPaintMs, GoalFirstPaintMs, median / GoalFirstPaintMs, peak, GoalPeakMiB,
        peak / GoalPeakMiB);
}

// A display to measure on: the one there is, or a fresh Xvfb.
QString StartDisplay(QProcess& xvfb) {
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) return qEnvironmentVariable("DISPLAY");
    xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-dpi", "96", "-nolisten",
                        "tcp"});
    if (!xvfb.waitForStarted(5000) || !xvfb.waitForReadyRead(10000)) return QString();
    return ":" + QString::fromLatin1(xvfb.readLine().trimmed());
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && QByteArray(argv[1]) == "--window") return RunWindow(argc, argv, argv[2]);

    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10;

    QList<Sample> offscreen;
    for (int i = 0; i < runs; ++i)
        if (auto sample = MeasureOnce("offscreen", QString())) offscreen << *sample;
    Report("offscreen", offscreen);

    QProcess xvfb;
    const QString display = StartDisplay(xvfb);
    if (display.isEmpty()) {
        std::printf("xcb        no X display and no Xvfb: not measured\n");
    } else {
        QList<Sample> x11;
        for (int i = 0; i < runs; ++i)
            if (auto sample = MeasureOnce("xcb", display)) x11 << *sample;
        Report(qPrintable("xcb " + display), x11);
    }
    if (xvfb.state() != QProcess::NotRunning) {
        xvfb.terminate();
        xvfb.waitForFinished(5000);
    }
    return 0;
}
