// vq880 tags: the window's reading run, one line per tag as it is read.
#include <QDateTime>
#include <QDeadlineTimer>

#include "CardLayouts.h"
#include "Commands.h"
#include "ConsoleContext.h"
#include "ReaderCaptions.h"
#include "RecordEntry.h"
#include "StopSignals.h"

namespace {

// Prints each tag as it is read and ends the run when enough were read, the time is up or a
// stop signal came: the run then finishes its pass and closes the port.
class TagPrinter final : public ReadingRunObserver {
  public:
    TagPrinter(CommandRun& run)
        : run_(run),
          deadline_(run.request.seconds ? QDeadlineTimer(qint64(*run.request.seconds) * 1000)
                                        : QDeadlineTimer(QDeadlineTimer::Forever)) {
        run_.console->view().afterMessages = [this] {
            if (run_.stop->requested() || deadline_.hasExpired()) EndRun();
        };
    }
    ~TagPrinter() override { run_.console->view().afterMessages = nullptr; }
    TagPrinter(const TagPrinter&) = delete;
    TagPrinter& operator=(const TagPrinter&) = delete;

    bool portGone() const { return portGone_; }

    void PassEnded(const ReadingPass& pass) override {
        if (pass.outcome == PassOutcome::PortGone) {
            portGone_ = true;
            EndRun();
        }
        if (pass.outcome != PassOutcome::TagRead) return;
        const CardLayouts layouts = CardLayoutsOf(pass.tag);
        run_.out.Lines({TagCaption(pass.tag, run_.console->context().LanguageIndex) +
                        "  Wiegand 26: " + Wiegand26Text(layouts) +
                        "  Wiegand 34: " + Wiegand34Text(layouts)});
        run_.out.Object({{"tag", QString::fromLatin1(pass.tag.hex)},
                         {"decimal", pass.tag.number},
                         {"wiegand26", Wiegand26Text(layouts)},
                         {"wiegand34", Wiegand34Text(layouts)},
                         {"time", TimeWithOffset(QDateTime::currentDateTime())}});
        // The last tag asked for ends the run here, inside its own pass: no exchange follows.
        const auto& count = run_.request.count;
        if (count && ++tagsRead_ >= *count) EndRun();
    }

  private:
    void EndRun() { CancelReadTags(run_.console->context()); }

    CommandRun& run_;
    QDeadlineTimer deadline_;
    int tagsRead_ = 0;
    bool portGone_ = false;
};

}  // namespace

int RunTags(CommandRun& run) {
    ConsoleContext& console = *run.console;
    if (run.stop->requested()) return ExitSuccess;

    ReadingRunResult reading;
    bool portGone = false;
    {
        TagPrinter printer(run);
        reading = ReadTags(console.context(), &printer);
        portGone = printer.portGone();
    }
    if (portGone) {
        const QString note = console.ReportPortGone();
        run.out.Object({{"command", "tags"},
                        {"result", ResultName(Outcome::PortGone)},
                        {"message", note},
                        {"tags", reading.tags}});
        return ExitPortGone;
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
