// vq880 tags: the window's reading run, one line per tag as it is read.
#include <QDateTime>
#include <QDeadlineTimer>

#include "CardLayouts.h"
#include "Commands.h"
#include "ConsoleContext.h"
#include "RecordEntry.h"
#include "StopSignals.h"

namespace {

// Prints each tag as it is read and ends the run when enough were read, the time is up or a
// stop signal came. The end is the window's cancel click: ReadTags called again while it runs;
// the run then finishes its pass and closes the port.
class TagPrinter final : public ReadingRunObserver {
  public:
    TagPrinter(ConsoleContext& console, StopSignals& stop)
        : console_(console),
          stop_(stop),
          deadline_(console.request().seconds
                        ? QDeadlineTimer(qint64(*console.request().seconds) * 1000)
                        : QDeadlineTimer(QDeadlineTimer::Forever)) {
        console_.view().afterMessages = [this] {
            if (stop_.requested() || deadline_.hasExpired()) EndRun();
        };
    }
    ~TagPrinter() override { console_.view().afterMessages = nullptr; }
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
        console_.out().Lines({console_.view().Text(Panel::CardId) + "  Wiegand 26: " +
                              Wiegand26Text(layouts) + "  Wiegand 34: " + Wiegand34Text(layouts)});
        console_.out().Object({{"tag", QString::fromLatin1(pass.tag.hex)},
                               {"decimal", pass.tag.number},
                               {"wiegand26", Wiegand26Text(layouts)},
                               {"wiegand34", Wiegand34Text(layouts)},
                               {"time", TimeWithOffset(QDateTime::currentDateTime())}});
        // The last tag asked for ends the run here, inside its own pass: no exchange follows.
        const auto& count = console_.request().count;
        if (count && ++tagsRead_ >= *count) EndRun();
    }

  private:
    void EndRun() {
        ReaderContext& s = console_.context();
        if (s.TagReading) ReadTags(s);
    }

    ConsoleContext& console_;
    StopSignals& stop_;
    QDeadlineTimer deadline_;
    int tagsRead_ = 0;
    bool portGone_ = false;
};

}  // namespace

int RunTags(ConsoleContext& console, StopSignals& stop) {
    const int found = console.FindReader();
    if (found != ExitSuccess) return found;
    if (stop.requested()) return ExitSuccess;

    ReadingRunResult run;
    bool portGone = false;
    {
        TagPrinter printer(console, stop);
        run = ReadTags(console.context(), &printer);
        portGone = printer.portGone();
    }
    if (portGone) {
        const QString note = console.ReportPortGone();
        console.out().Object({{"command", "tags"},
                              {"result", OutcomeName(Outcome::PortGone)},
                              {"message", note},
                              {"tags", run.tags}});
        return ExitPortGone;
    }
    if (run.end == ReadingRunEnd::PortNotOpened) {
        // "Open COM : n Error"
        const QString message = console.view().Text(Panel::Msg);
        console.out().Lines({message});
        console.out().Object({{"command", "tags"}, {"result", "error"}, {"message", message}});
        return ExitNotConfirmed;
    }
    console.out().Object({{"command", "tags"}, {"result", "ok"}, {"tags", run.tags}});
    return ExitSuccess;
}
