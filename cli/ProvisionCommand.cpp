// vq880 provision: one reader after another on the bench, each given the next number and the
// same settings.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QThread>

#include "Commands.h"
#include "ConsoleContext.h"
#include "ConsoleTexts.h"
#include "LikeReader.h"
#include "LineSetting.h"
#include "NoReaderReport.h"
#include "PortClaim.h"
#include "ProvisioningPlan.h"
#include "ReaderProtocol.h"
#include "SettingWrite.h"
#include "StopSignals.h"
#include "TerminalText.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

namespace {

// Between two looks for a reader that comes or goes. Each look is already paced by the
// protocol's 100 ms pause before the exchange; this one only keeps a port without its device
// from being tried in a tight loop.
constexpr int PollPauseMs = 20;
// Unanswered presence checks in a row that mean the reader is gone.
constexpr int MissesForGone = 2;

struct ReaderReport {
    QString number;
    QString serial;
    QStringList written;  // "id=05", "same-card=10", ...; a failed one ends in "(Error)"
    QJsonObject writtenObject;
    bool ok = true;
    QString label;             // the plan's, for the door or lane
    QString failed;            // the key in writtenObject of the setting not confirmed
    bool numberTaken = false;  // the reader confirmed its new number
    bool portGone = false;     // the port went away while the reader was written

    QString Line() const {
        const QString line = QStringLiteral("%1 %2 %3 %4")
                                 .arg(number, serial, written.join(QLatin1Char(' ')),
                                      ok ? QStringLiteral("Ok") : QStringLiteral("Error"));
        return label.isEmpty() ? line : line + QStringLiteral("  ") + label;
    }
    Outcome outcome() const {
        return portGone ? Outcome::PortGone : ok ? Outcome::Success : Outcome::Failure;
    }
    QJsonObject Object() const {
        QJsonObject object{{"reader", number},
                           {"serial", serial},
                           {"written", writtenObject},
                           {"result", ResultName(outcome())}};
        if (!ok) object.insert("failed", failed);
        if (!label.isEmpty()) object.insert("label", label);
        return object;
    }
};

void Progress(const QString& text) {
    if (isatty(2)) Output::Note(text);
}

// Waits, dispatching events; false when a stop was asked for.
bool PauseUnlessStopped(StopSignals& stop, int ms) {
    const QDeadlineTimer deadline(ms);
    do {
        QCoreApplication::processEvents();
        if (stop.requested()) return false;
        QThread::msleep(5);
    } while (!deadline.hasExpired());
    QCoreApplication::processEvents();
    return !stop.requested();
}

// How a wait ended.
enum class Wait { Done, Stopped, Refused };

// The port of the search that another run holds for its own readers, or null.
const PortTry* HeldByAnotherRun(const ScanResult& scan) {
    for (const PortTry& port : scan.ports)
        if (port.open.state == PortState::InUse && ClaimHolderPid(port.open.device) > 0)
            return &port;
    return nullptr;
}

// Until the search finds a reader. A port without its device (the adapter not plugged in yet,
// or gone with the last reader on its own cable) is only a port where no reader answers yet. A
// port that another run holds is refused: asked for (--port), it ends the wait; found by the
// search, it is passed over, said once.
Wait WaitForReader(ConsoleContext& console, StopSignals& stop, QList<int>& passedOver) {
    while (console.SearchReader() != ExitSuccess) {
        if (const PortTry* held = HeldByAnotherRun(console.lastScan())) {
            if (console.request().port != 0) return Wait::Refused;
            if (!passedOver.contains(held->comNumber)) {
                passedOver << held->comNumber;
                const ReaderContext& s = console.context();
                Output::Note(Tr(Texts::HeldByAnotherRun)
                                 .arg(PortNote(*held, s.portNames(), s.LanguageIndex)));
            }
        }
        if (!PauseUnlessStopped(stop, PollPauseMs)) return Wait::Stopped;
    }
    return stop.requested() ? Wait::Stopped : Wait::Done;
}

// Until the reader of this serial number is gone: it no longer answers, or another answers in
// its place. A port whose device went away (a reader on its own USB cable takes it along) is one
// where it does not answer: the next reader's may already be back at the next look.
Wait WaitUntilGone(ConsoleContext& console, StopSignals& stop, const QString& serial) {
    int misses = 0;
    while (misses < MissesForGone) {
        const Presence presence = CheckPresence(console.context());
        if (!presence.answered)
            ++misses;
        else if (QString::fromLatin1(presence.serialNumber) != serial)
            return Wait::Done;
        else
            misses = 0;
        if (!PauseUnlessStopped(stop, PollPauseMs)) return Wait::Stopped;
    }
    return Wait::Done;
}

// What the plan's row asks for, the command line's settings where the row leaves a column empty.
SettingValues Merged(const SettingValues& row, SettingValues values) {
    for (const auto& [key, value] : row) values[key] = value;
    return values;
}

// Writes the number and every setting asked for, in the catalogue's order: the line setting
// last, since the reader listens at it from then on. Stops at the first that is not confirmed.
ReaderReport Provision(ConsoleContext& console, const SettingValues& asked, const QString& label) {
    ReaderReport report;
    report.number = RecordedText(Setting(SettingKey::Id).recorded(asked.at(SettingKey::Id)));
    report.serial = QString::fromLatin1(console.reader().serialNumber);
    report.label = label;

    for (const auto& [key, value] : asked) {
        const SettingRow& setting = Setting(key);
        const Outcome outcome = WriteSetting(console, setting, value).outcome;
        const bool ok = outcome == Outcome::Success;
        report.portGone = outcome == Outcome::PortGone;
        report.written << setting.Printed(value) + (ok ? QString() : QStringLiteral("(Error)"));
        report.writtenObject.insert(QLatin1String(setting.name), setting.recorded(value));
        if (key == SettingKey::Id) report.numberTaken = ok;
        if (!ok) {
            report.ok = false;
            report.failed = QLatin1String(setting.name);
            break;
        }
    }
    return report;
}

// The replacement's door, the reader it replaces, and the settings the record holds no value
// of: the new reader keeps its own there.
void ReportLike(CommandRun& run) {
    const Request& request = run.request;
    const QString line =
        request.notRecorded.isEmpty()
            ? Tr(Texts::LikeAll).arg(TerminalText(request.like))
            : Tr(Texts::LikeNotRecorded)
                  .arg(TerminalText(request.like), request.notRecorded.join(QStringLiteral(", ")));
    run.out.Lines({line});
    run.out.Object({{"event", "like"},
                    {"label", request.like},
                    {"not-recorded", QJsonArray::fromStringList(request.notRecorded)},
                    {"message", line}});
}

}  // namespace

int RunProvision(CommandRun& run) {
    ConsoleContext& console = *run.console;
    StopSignals& stop = *run.stop;
    const Request& request = console.request();
    ReaderContext& s = console.context();
    // The readers come as the first one: at the line setting they were searched at to begin
    // with, whatever the ones before were set to.
    const ReaderPlace arrivalPlace = s.Place();
    console.view().SetProgressShown(false);

    // The readers' port is this run's from the first reader (from the start, when it is given)
    // to the end: also while it is closed between readers, and while its device is away.
    PortClaim claim;
    if (request.port != 0) claim = PortClaim::TakeName(s.portNames().DevicePath(request.port));
    QList<int> passedOver;  // ports that other runs hold, said once

    std::vector<ReaderReport> reports;
    const ProvisioningPlan* plan = request.plan.get();
    int number = request.firstId.value_or(0);
    QList<QByteArray> planned;  // serial numbers of the plan given their row
    QStringList notInPlan;      // serial numbers that came and are not in the plan
    QString portGoneNote;       // the last reader's port that went away while it was written
    bool recordFailed = false;  // a reader written that the record does not hold ends the run
    const bool like = !request.like.isEmpty();
    const auto finished = [&] {
        if (request.count && int(reports.size()) >= *request.count) return true;
        // A replacement is one reader.
        if (like && !reports.empty()) return true;
        return plan && planned.size() == int(plan->rows.size());
    };
    if (like) ReportLike(run);
    while (!finished()) {
        if (!plan && !like && number > ReaderNumberMax) {
            Output::Note(Tr(Texts::LastReaderNumber).arg(ReaderNumberMax));
            break;
        }
        Progress(plan ? Tr(Texts::WaitingForPlanReader)
                      : Tr(Texts::WaitingForReader).arg(number, 2, 10, QLatin1Char('0')));
        const Wait arrival = WaitForReader(console, stop, passedOver);
        if (arrival == Wait::Refused) {
            // The port asked for is another run's: refused as any command is, with its holder.
            console.ReportSearchFailure(ExitNoReader);
            return ExitNoReader;
        }
        if (arrival != Wait::Done) break;
        // Taken before the last reader's claim goes: the port is never free.
        claim = PortClaim::TakeName(s.portNames().DevicePath(s.ScanCommNo));

        const QByteArray serial = console.reader().serialNumber;
        const PlanRow* row = plan ? plan->Find(serial) : nullptr;
        // A reader of the plan is done once: plugged in again, it is left as it is.
        const bool alreadyDone = row && planned.contains(serial);
        // A replacement that the record holds at another door is left as it is, unless forced.
        const QString elsewhere =
            like && !request.force
                ? LikeReaderProblem(*request.records, request.like, QString::fromLatin1(serial))
                : QString();
        if (!elsewhere.isEmpty()) {
            console.out().Lines({elsewhere});
            console.out().Object({{"event", "elsewhere"},
                                  {"serial", QString::fromLatin1(serial)},
                                  {"message", elsewhere}});
        } else if (plan && (!row || alreadyDone)) {
            // Left untouched: the run goes on with the next reader.
            const QString text = (alreadyDone ? Tr(Texts::AlreadyDone) : Tr(Texts::NotInThePlan))
                                     .arg(QString::fromLatin1(serial));
            console.out().Lines({text});
            console.out().Object({{"event", alreadyDone ? "already-done" : "not-in-plan"},
                                  {"serial", QString::fromLatin1(serial)},
                                  {"message", text}});
            if (!row && !notInPlan.contains(QString::fromLatin1(serial)))
                notInPlan << QString::fromLatin1(serial);
        } else {
            SettingValues asked = request.values;
            if (row)
                asked = Merged(row->values, request.values);
            else if (!like)
                asked[SettingKey::Id] = SettingValue{{number, 0}};
            const QString label = row ? row->label : request.like;
            const ReaderReport report = Provision(console, asked, label);
            // On the disk before the reader's line appears and before the next one is started.
            RecordEntry entry;
            entry.written = report.writtenObject;
            if (report.numberTaken) entry.readerAfter = report.number;
            entry.label = report.label;
            entry.result = ResultName(report.outcome());
            entry.failed = report.failed;
            recordFailed = !console.Record(entry);
            // The reader is failed; the run goes on with the next one.
            if (report.portGone) portGoneNote = console.ReportPortGone();
            console.out().Lines({report.Line()});
            QJsonObject object = report.Object();
            object.insert("event", "reader");
            console.out().Object(object);
            reports.push_back(report);
            if (row) planned << serial;
            // A number the reader did not take goes to the next one.
            if (!row && !like && report.numberTaken) ++number;
            if (recordFailed || finished()) break;
        }

        if (!elsewhere.isEmpty())
            Progress(Tr(Texts::UnplugTheReader).arg(QString::fromLatin1(serial)));
        else if (row)
            Progress(Tr(Texts::UnplugReader)
                         .arg(RecordedText(
                                  Setting(SettingKey::Id).recorded(row->values.at(SettingKey::Id))),
                              QString::fromLatin1(serial)));
        else if (!plan)
            Progress(
                Tr(Texts::UnplugReader).arg(reports.back().number, QString::fromLatin1(serial)));
        else
            Progress(Tr(Texts::UnplugTheReader).arg(QString::fromLatin1(serial)));
        if (WaitUntilGone(console, stop, QString::fromLatin1(serial)) != Wait::Done) break;
        s.KeepPlace(s.Place().WithLineOf(arrivalPlace));
    }

    int failed = 0;
    int portLost = 0;  // of those, readers whose port went away while they were written
    QJsonArray all;
    QStringList lines{reports.size() == 1 ? Tr(Texts::SummaryOne)
                                          : Tr(Texts::Summary).arg(reports.size())};
    for (const ReaderReport& report : reports) {
        if (!report.ok) ++failed;
        if (report.portGone) ++portLost;
        lines << report.Line();
        all.append(report.Object());
    }
    if (!notInPlan.isEmpty())
        lines << Tr(Texts::NotInThePlanList).arg(notInPlan.join(QStringLiteral(", ")));
    console.out().Lines(lines);
    const Outcome outcome = portLost > 0                   ? Outcome::PortGone
                            : reports.empty()              ? Outcome::NoReader
                            : failed == 0 && !recordFailed ? Outcome::Success
                                                           : Outcome::Failure;
    QJsonObject summary{
        {"event", "summary"}, {"readers", all},        {"ok", int(reports.size()) - failed},
        {"error", failed},    {"port-gone", portLost}, {"result", ResultName(outcome)}};
    if (plan) summary.insert("not-in-plan", QJsonArray::fromStringList(notInPlan));
    if (portLost > 0) summary.insert("message", portGoneNote);
    console.out().Object(summary);
    return ConsoleContext::ExitStatus(outcome);
}
