// vq880 tags: the window's reading run, one line per tag as it is read; a reader that stops
// answering and a port that goes away are told as they happen, and with --follow waited for.
#include <QDateTime>
#include <QDeadlineTimer>
#include <optional>

#include "AdapterMark.h"
#include "CardLayouts.h"
#include "Commands.h"
#include "ConsoleContext.h"
#include "ConsoleTexts.h"
#include "ReaderCaptions.h"
#include "ReadingRunWatch.h"
#include "RecordEntry.h"
#include "StopSignals.h"
#include "TerminalText.h"

namespace {

using Event = ReadingRunWatch::Event;

QString EventName(Event event) {
    switch (event) {
        case Event::PortGone:
            return QStringLiteral("port-gone");
        case Event::PortBack:
            return QStringLiteral("port-back");
        case Event::ReaderSilent:
            return QStringLiteral("reader-silent");
        case Event::ReaderBack:
            break;
    }
    return QStringLiteral("reader-back");
}

// Prints each tag as it is read and ends the run when enough were read, the time is up or a
// stop signal came: the run then finishes its pass and closes the port. Without --follow a
// port that goes away or a reader that stops answering ends it too.
class TagPrinter final : public ReadingRunObserver {
  public:
    TagPrinter(CommandRun& run)
        : run_(run),
          context_(run.console->context()),
          deadline_(run.request.seconds ? QDeadlineTimer(qint64(*run.request.seconds) * 1000)
                                        : QDeadlineTimer(QDeadlineTimer::Forever)),
          device_(context_.portNames().DevicePath(context_.ScanCommNo)),
          watch_(context_.clock().NowUs()) {
        if (run.request.follow) search_.emplace(run.request.machineFolder, device_);
        run_.console->view().afterMessages = [this] {
            if (run_.stop->requested() || deadline_.hasExpired()) EndRun();
        };
    }
    ~TagPrinter() override { run_.console->view().afterMessages = nullptr; }
    TagPrinter(const TagPrinter&) = delete;
    TagPrinter& operator=(const TagPrinter&) = delete;

    bool portGone() const { return portGone_; }
    // The line that said the reader stopped answering, when that ended the run.
    const QString& silence() const { return silence_; }

    void PassEnded(const ReadingPass& pass) override {
        for (const Event event : watch_.Pass(pass, context_.clock().NowUs())) Tell(event);
        if (pass.outcome != PassOutcome::TagRead) return;
        const CardLayouts layouts = CardLayoutsOf(pass.tag);
        run_.out.Lines({TagCaption(pass.tag, context_.LanguageIndex) + "  Wiegand 26: " +
                        Wiegand26Text(layouts) + "  Wiegand 34: " + Wiegand34Text(layouts)});
        run_.out.Object({{"tag", QString::fromLatin1(pass.tag.hex)},
                         {"decimal", pass.tag.number},
                         {"wiegand26", Wiegand26Text(layouts)},
                         {"wiegand34", Wiegand34Text(layouts)},
                         {"time", TimeWithOffset(QDateTime::currentDateTime())}});
        // The last tag asked for ends the run here, inside its own pass: no exchange follows.
        const auto& count = run_.request.count;
        if (count && ++tagsRead_ >= *count) EndRun();
    }

    QString DeviceAfterLoss(const QString& portDevice) override {
        if (!search_) return portDevice;
        const QString device = search_->Device(portDevice);
        if (!device.isEmpty()) device_ = device;  // the port back, if it opens
        return device;
    }

  private:
    void EndRun() { CancelReadTags(context_); }

    void Tell(Event event) {
        if (run_.request.follow) {
            Report(event);
        } else if (event == Event::PortGone) {
            // Said by the end of the reading, as before.
            portGone_ = true;
            EndRun();
        } else if (event == Event::ReaderSilent) {
            silence_ = Report(event);
            EndRun();
        }
    }

    // The event's line, with its time, and its object; the message without the time.
    QString Report(Event event) {
        const QString port = context_.portNames().Label(context_.ScanCommNo);
        const QString seconds = QString::number(ReadingRunWatch::SilentAfterUs / 1000000);
        const auto message = [&](const QString& device) {
            switch (event) {
                case Event::PortGone:
                    return Tr(Texts::PortWentAway).arg(port, device);
                case Event::PortBack:
                    return Tr(Texts::PortBack).arg(port, device);
                case Event::ReaderSilent:
                    return Tr(Texts::ReaderSilent).arg(port, seconds);
                case Event::ReaderBack:
                    break;
            }
            return Tr(Texts::ReaderAnswersAgain).arg(port);
        };
        const QDateTime now = QDateTime::currentDateTime();
        run_.out.Lines(
            {now.toString(QStringLiteral("hh:mm:ss.zzz  ")) + message(TerminalText(device_))});
        const QString text = message(device_);
        run_.out.Object({{"event", EventName(event)},
                         {"port", port},
                         {"device", device_},
                         {"time", TimeWithOffset(now)},
                         {"message", text}});
        return text;
    }

    CommandRun& run_;
    ReaderContext& context_;
    QDeadlineTimer deadline_;
    QString device_;  // where the port is, or was last
    ReadingRunWatch watch_;
    std::optional<AdapterSearch> search_;
    int tagsRead_ = 0;
    bool portGone_ = false;
    QString silence_;
};

}  // namespace

int RunTags(CommandRun& run) {
    ConsoleContext& console = *run.console;
    if (run.stop->requested()) return ExitSuccess;

    ReadingRunResult reading;
    bool portGone = false;
    QString silence;
    {
        TagPrinter printer(run);
        reading = ReadTags(console.context(), &printer);
        portGone = printer.portGone();
        silence = printer.silence();
    }
    if (portGone) {
        const QString note = console.ReportPortGone();
        run.out.Object({{"command", "tags"},
                        {"result", ResultName(Outcome::PortGone)},
                        {"message", note},
                        {"tags", reading.tags}});
        return ExitPortGone;
    }
    if (!silence.isEmpty()) {
        run.out.Object({{"command", "tags"},
                        {"result", QStringLiteral("silent")},
                        {"message", silence},
                        {"tags", reading.tags}});
        return ExitReaderSilent;
    }
    if (reading.end == ReadingRunEnd::PortNotOpened) {
        // "Open COM : n Error"
        const QString message = console.Text(reading.message);
        run.out.Lines({message});
        run.out.Object(
            {{"command", "tags"}, {"result", ResultName(Outcome::Failure)}, {"message", message}});
        return ExitNotConfirmed;
    }
    run.out.Object(
        {{"command", "tags"}, {"result", ResultName(Outcome::Success)}, {"tags", reading.tags}});
    return ExitSuccess;
}
