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
    QJsonObject Object() const {
        QJsonObject object{{"reader", number},
                           {"serial", serial},
                           {"written", writtenObject},
                           {"result", ResultName(ok ? Outcome::Success : Outcome::Failure)}};
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
enum class Wait { Done, Stopped, PortGone };

// Whether the readers' port went away: its device is not there, found so at the open or after
// the device hung up. A hang-up alone, with the device there again, is a reader that went.
bool WentAway(ConsoleContext& console, PortState state, bool hungUp) {
    const bool missing = state == PortState::NoDevice || state == PortState::MissingTarget;
    return (missing || hungUp) && console.PortWentAway();
}

// Until the reader of this serial number no longer answers, or another answers in its place.
Wait WaitUntilGone(ConsoleContext& console, StopSignals& stop, const QString& serial) {
    int misses = 0;
    while (misses < MissesForGone) {
        const Presence presence = CheckPresence(console.context());
        if (WentAway(console, presence.open.state, presence.portGone)) return Wait::PortGone;
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

// Until the scan finds a reader. Once readers have come at a port, that port going away ends
// the wait.
Wait WaitForReader(ConsoleContext& console, StopSignals& stop, int readersPort) {
    while (console.SearchReader() != ExitSuccess) {
        for (const PortTry& port : console.lastScan().ports) {
            if (port.comNumber != readersPort) continue;
            const bool hungUp = !port.lines.empty() && port.lines.back().replies.gone > 0;
            if (WentAway(console, port.open.state, hungUp)) return Wait::PortGone;
        }
        if (!PauseUnlessStopped(stop, PollPauseMs)) return Wait::Stopped;
    }
    return stop.requested() ? Wait::Stopped : Wait::Done;
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

    std::vector<ReaderReport> reports;
    const ProvisioningPlan* plan = request.plan.get();
    int number = request.firstId.value_or(0);
    QList<QByteArray> planned;  // serial numbers of the plan given their row
    QStringList notInPlan;      // serial numbers that came and are not in the plan
    // Where the readers come, once one has come: until then a port without its device (the
    // adapter not plugged in yet) is only a port where no reader answers.
    int readersPort = 0;
    bool portGone = false;
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
        const Wait arrival = WaitForReader(console, stop, readersPort);
        portGone = arrival == Wait::PortGone;
        if (arrival != Wait::Done) break;
        readersPort = s.ScanCommNo;

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
            entry.result = ResultName(report.portGone ? Outcome::PortGone
                                      : report.ok     ? Outcome::Success
                                                      : Outcome::Failure);
            entry.failed = report.failed;
            recordFailed = !console.Record(entry);
            console.out().Lines({report.Line()});
            QJsonObject object = report.Object();
            object.insert("event", "reader");
            console.out().Object(object);
            reports.push_back(report);
            if (row) planned << serial;
            // A number the reader did not take goes to the next one.
            if (!row && !like && report.numberTaken) ++number;
            portGone = report.portGone;
            if (portGone || recordFailed || finished()) break;
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
        const Wait departure = WaitUntilGone(console, stop, QString::fromLatin1(serial));
        portGone = departure == Wait::PortGone;
        if (departure != Wait::Done) break;
        s.KeepPlace(s.Place().WithLineOf(arrivalPlace));
    }

    int failed = 0;
    QJsonArray all;
    QStringList lines{reports.size() == 1 ? Tr(Texts::SummaryOne)
                                          : Tr(Texts::Summary).arg(reports.size())};
    for (const ReaderReport& report : reports) {
        if (!report.ok) ++failed;
        lines << report.Line();
        all.append(report.Object());
    }
    if (!notInPlan.isEmpty())
        lines << Tr(Texts::NotInThePlanList).arg(notInPlan.join(QStringLiteral(", ")));
    console.out().Lines(lines);
    const Outcome outcome = portGone                       ? Outcome::PortGone
                            : reports.empty()              ? Outcome::NoReader
                            : failed == 0 && !recordFailed ? Outcome::Success
                                                           : Outcome::Failure;
    QJsonObject summary{{"event", "summary"},
                        {"readers", all},
                        {"ok", int(reports.size()) - failed},
                        {"error", failed},
                        {"result", ResultName(outcome)}};
    if (plan) summary.insert("not-in-plan", QJsonArray::fromStringList(notInPlan));
    if (portGone) summary.insert("message", console.ReportPortGone());
    console.out().Object(summary);
    return ConsoleContext::ExitStatus(outcome);
}
