// How long each setting operation takes on a reader that answers, over QSerialPort and the
// simulator program on a pseudo-terminal, against the least the protocol allows: the pauses
// before the commands, the write pauses of each frame, the reader's reply delay and the
// character times of its replies. The closing tone is left out of both.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "LineSetting.h"
#include "PortNames.h"
#include "ReaderModel.h"
#include "ReaderOperations.h"
#include "SerialLineLinux.h"
#include "SettingsStore.h"
#include "SimulatorProcess.h"
#include "TfrmModule.h"
#include "WindowControls.h"
#include "WindowServices.h"

namespace {

constexpr int ReplyDelayMs = 2;
// The pauses behind the TAB, the text and the two check characters; the one behind the CR
// runs while the reader already answers.
constexpr double PausesBeforeCrMs = 1 + 5 + 1 + 1;
constexpr double PauseAfterCrMs = 1;
constexpr int PresenceReplyBytes = 16;
constexpr int AcknowledgeBytes = 7;  // the simulator's "OK" and the command letter

double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// The reader on a new pseudo-terminal, reached by the tool as COM1.
struct Simulator : SimulatorProcess {
    Simulator(const QString& lineSetting, const QString& machineFolder)
        : SimulatorProcess(machineFolder, 1,
                           {"--line", lineSetting, "--reply-delay", QString::number(ReplyDelayMs),
                            "--restart-ms", "0"}) {}
};

// Notes when each step of an operation reaches the line, to tell where the time over the
// floor goes.
class StepClockLine final : public SerialLine {
  public:
    explicit StepClockLine(SerialLine& inner) : inner_(inner) {}
    enum Step { OpenCalled, Opened, ExchangeStarts, ReplyEnds, Closed };
    std::vector<std::pair<Step, double>> steps;

    OpenResult Open(const QString& devicePath) override {
        steps.push_back({OpenCalled, NowMs()});
        return inner_.Open(devicePath);
    }
    bool GetTimeouts(CommTimeouts& timeouts) override { return inner_.GetTimeouts(timeouts); }
    bool SetTimeouts(const CommTimeouts& timeouts) override { return inner_.SetTimeouts(timeouts); }
    bool SetLine(const LineParameters& line) override {
        const bool applied = inner_.SetLine(line);
        steps.push_back({Opened, NowMs()});
        return applied;
    }
    qint64 Write(const char* data, qint64 count) override { return inner_.Write(data, count); }
    int ReadByte(char* byte) override {
        const int n = inner_.ReadByte(byte);
        if (n == 1 && *byte == '\r') steps.push_back({ReplyEnds, NowMs()});
        return n;
    }
    bool Purge() override {
        steps.push_back({ExchangeStarts, NowMs()});
        return inner_.Purge();
    }
    void Close() override {
        inner_.Close();
        steps.push_back({Closed, NowMs()});
    }

  private:
    SerialLine& inner_;
};

// Time over the floor of one answered setting operation, by step, in milliseconds.
struct Overhead {
    double beforeOpen = 0, open = 0, pauses = 0, exchanges = 0, close = 0, outcome = 0;
    int operations = 0;
};

struct Measured {
    std::vector<double> ms;
    int failures = 0;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    const char* lineSettings[] = {"19200,e,8,1", "4800,n,8,1", "115200,n,8,1"};
    double worstRatio = 0;
    for (const char* lineSetting : lineSettings) {
        QTemporaryDir folder;
        QDir(folder.path()).mkpath("ports");
        Simulator sim(lineSetting, folder.path());
        if (!sim.started()) return std::fprintf(stderr, "the simulator did not start\n"), 1;

        LinuxSerialLine serialLine;
        StepClockLine line(serialLine);
        SteadyClock clock;
        SilentTone tone;
        SettingsStore store(folder.path());
        TfrmModule form(WindowServices(line, clock, tone, store, folder.path()));
        form.show();
        const int lineIndex = LineSettingIndex(lineSetting);
        // As a scan leaves the window that found the reader on COM1.
        form.context().ScanCommNo = 1;
        form.context().ScanBaudRate = lineSetting;
        form.context().ScanBaudRateNo = lineIndex;
        Ui(form).pnID->setCaption("01");
        form.context().ReaderFound = true;

        const double charMs =
            double(CharacterTimeUs(*ParseLineSetting(QString::fromLatin1(lineSetting)))) / 1000;
        // One exchange: the frame's pauses, then the reply, whose first byte the simulator sends
        // after its delay behind the CR and each further one a character time later.
        auto exchange = [&](int replyBytes) {
            return PausesBeforeCrMs +
                   std::max(PauseAfterCrMs, ReplyDelayMs + (replyBytes - 1) * charMs);
        };
        const double settingFloor =
            2 * 100 + exchange(PresenceReplyBytes) + exchange(AcknowledgeBytes);
        const double resetFloor = 50 + exchange(AcknowledgeBytes);

        struct Case {
            const char* name;
            void (*run)(TfrmModule&);
            double floorMs;
        };
        const Case cases[] = {
            {"reader number", ClickID, settingFloor},
            {"line speed", ClickBaudRate, settingFloor},
            {"same-card time", ClickSameCard, settingFloor},
            {"input NO/NC", ClickNoNc, settingFloor},
            {"reader mode", ClickMode, settingFloor},
            {"radio address", ClickAddr, settingFloor},
            {"radio frequency", ClickFreq, settingFloor},
            {"radio channel", ClickChannel, settingFloor},
            {"RSSI level", ClickRSSI, settingFloor},
            {"factory default", ClickFactory, settingFloor},
            {"reader reset", ClickReset, resetFloor},
        };
        const QString okSuffix = " Ok";
        Overhead overhead;
        // Splits one operation with a presence check and a setting command into its steps.
        auto account = [&](double start, double end) {
            const auto& st = line.steps;
            if (st.size() != 7 || st[0].first != StepClockLine::OpenCalled ||
                st[6].first != StepClockLine::Closed)
                return;
            overhead.beforeOpen += st[0].second - start;
            overhead.open += st[1].second - st[0].second;
            overhead.pauses += st[2].second - st[1].second + st[4].second - st[3].second - 200;
            overhead.exchanges += st[3].second - st[2].second - exchange(PresenceReplyBytes) +
                                  st[5].second - st[4].second - exchange(AcknowledgeBytes);
            overhead.close += st[6].second - st[5].second;
            overhead.outcome += end - st[6].second;
            ++overhead.operations;
        };
        std::vector<Measured> results(std::size(cases));
        for (int round = 0; round < rounds; ++round) {
            for (size_t i = 0; i < std::size(cases); ++i) {
                Ui(form).cmbBaudRate->setCurrentIndex(lineIndex);  // the same line again
                line.steps.clear();
                const double start = NowMs();
                cases[i].run(form);
                const double end = NowMs();
                const double took = end - start;
                if (cases[i].run != ClickReset) account(start, end);
                if (Ui(form).pnMsg->caption().endsWith(okSuffix))
                    results[i].ms.push_back(took);
                else
                    ++results[i].failures;
                if (cases[i].run == ClickFactory && lineIndex != 5) {
                    // The reader is back at its own default line: bring it to this one again.
                    form.context().ScanBaudRate = "19200,e,8,1";
                    Ui(form).cmbBaudRate->setCurrentIndex(lineIndex);
                    form.btnBaudRateClick();
                }
            }
        }

        std::printf("%s, %d rounds, reply delay %d ms, character time %.3f ms:\n", lineSetting,
                    rounds, ReplyDelayMs, charMs);
        for (size_t i = 0; i < std::size(cases); ++i) {
            const Measured& m = results[i];
            const double median = Median(m.ms);
            const auto [least, most] = std::minmax_element(m.ms.begin(), m.ms.end());
            const double ratio = median / cases[i].floorMs;
            worstRatio = std::max(worstRatio, ratio);
            std::printf(
                "  %-16s min %7.2f  median %7.2f  max %7.2f ms  floor %7.2f ms  ratio %.3f "
                "(min %.3f)%s\n",
                cases[i].name, m.ms.empty() ? 0 : *least, median, m.ms.empty() ? 0 : *most,
                cases[i].floorMs, ratio, m.ms.empty() ? 0 : *least / cases[i].floorMs,
                m.failures ? qPrintable(QString("  (%1 failed)").arg(m.failures)) : "");
        }
        if (overhead.operations > 0) {
            const double n = overhead.operations;
            std::printf(
                "  over the floor, mean of %d operations: before the open %.2f, open %.2f, "
                "pauses %.2f, exchanges %.2f, close %.2f, outcome %.2f ms\n",
                overhead.operations, overhead.beforeOpen / n, overhead.open / n,
                overhead.pauses / n, overhead.exchanges / n, overhead.close / n,
                overhead.outcome / n);
        }
    }
    double load[1] = {0};
    getloadavg(load, 1);
    std::printf("worst median ratio %.3f (goal at most 1.05); load average %.2f\n", worstRatio,
                load[0]);
    return 0;
}
