// vq880 provision: one reader after another on the bench, each given the next number and the
// same settings.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QThread>

#include "Commands.h"
#include "ConsoleContext.h"
#include "LineSetting.h"
#include "ReaderProtocol.h"
#include "StopSignals.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

namespace {

// Between two looks for a reader that comes or goes.
constexpr int PollPauseMs = 100;
// Unanswered presence checks in a row that mean the reader is gone.
constexpr int MissesForGone = 2;

struct ReaderReport {
    QString number;
    QString serial;
    QStringList written;  // "id=05", "same-card=10", ...; a failed one ends in "(Error)"
    QJsonObject writtenObject;
    bool ok = true;
    QString failed;            // the key in writtenObject of the setting not confirmed
    bool numberTaken = false;  // the reader confirmed its new number

    QString Line() const {
        return QStringLiteral("%1 %2 %3 %4")
            .arg(number, serial, written.join(QLatin1Char(' ')),
                 ok ? QStringLiteral("Ok") : QStringLiteral("Error"));
    }
    QJsonObject Object() const {
        QJsonObject object{{"reader", number},
                           {"serial", serial},
                           {"written", writtenObject},
                           {"result", ok ? "ok" : "error"}};
        if (!ok) object.insert("failed", failed);
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

// Until the reader of this serial number no longer answers, or another answers in its place.
bool WaitUntilGone(ConsoleContext& console, StopSignals& stop, const QString& serial) {
    int misses = 0;
    while (misses < MissesForGone) {
        const Presence presence = CheckPresence(console.context());
        if (!presence.answered)
            ++misses;
        else if (QString::fromLatin1(presence.serialNumber) != serial)
            return true;
        else
            misses = 0;
        if (!PauseUnlessStopped(stop, PollPauseMs)) return false;
    }
    return true;
}

// Until the scan finds a reader; false when a stop was asked for first.
bool WaitForReader(ConsoleContext& console, StopSignals& stop) {
    while (console.SearchReader() != ExitSuccess)
        if (!PauseUnlessStopped(stop, PollPauseMs)) return false;
    return !stop.requested();
}

// Writes the number and every setting asked for, the line setting last (the reader listens at
// it from then on); stops at the first that is not confirmed.
ReaderReport Provision(ConsoleContext& console, int number) {
    const SettingValues& asked = console.request().values;
    ReaderReport report;
    report.number = QString::asprintf("%02d", number);
    report.serial = QString::fromLatin1(console.reader().serialNumber);

    // Each setting operation takes its own value out of these.
    SettingValues values = asked;
    values.readerNumber = number;
    struct Step {
        Command command;
        QString name;
        QJsonValue value;
    };
    std::vector<Step> steps{{Command::SetId, "id", report.number}};
    if (asked.sameCardSeconds)
        steps.push_back({Command::SetSameCard, "same-card", *asked.sameCardSeconds});
    if (asked.inputNormallyOpen)
        steps.push_back({Command::SetInput, "input", *asked.inputNormallyOpen ? "no" : "nc"});
    if (asked.rs485Index)
        steps.push_back({Command::SetMode, "mode",
                         QStringLiteral("rs485-%1,wiegand-%2")
                             .arg(Rs485FormatBits[*asked.rs485Index])
                             .arg(WiegandFormatBits[*asked.wiegandIndex])});
    if (asked.rssiLevel) steps.push_back({Command::SetRssi, "rssi", *asked.rssiLevel});
    if (asked.lineSettingIndex)
        steps.push_back({Command::SetLineSpeed, "line-speed",
                         QString::fromLatin1(LineSettingTable[*asked.lineSettingIndex])});

    for (const Step& step : steps) {
        const bool ok = WriteSetting(console, step.command, values) == Outcome::Success;
        const QString value =
            step.value.isString() ? step.value.toString() : QString::number(step.value.toInt());
        report.written << step.name + QLatin1Char('=') + value +
                              (ok ? QString() : QStringLiteral("(Error)"));
        report.writtenObject.insert(step.name, step.value);
        if (step.command == Command::SetId) report.numberTaken = ok;
        if (!ok) {
            report.ok = false;
            report.failed = step.name;
            break;
        }
    }
    return report;
}

}  // namespace

int RunProvision(ConsoleContext& console, StopSignals& stop) {
    const Request& request = console.request();
    ReaderContext& s = console.context();
    ConsoleView& view = console.view();
    // The readers come as the first one: at the line setting they were searched at to begin
    // with, whatever the ones before were set to.
    const QString arrivalLine = s.ScanBaudRate;
    const int arrivalLineIndex = s.ScanBaudRateNo;
    view.SetProgressShown(false);

    std::vector<ReaderReport> reports;
    int number = *request.values.readerNumber;
    while (!request.count || int(reports.size()) < *request.count) {
        if (number > ReaderNumberMax) {
            Output::Note(QStringLiteral("Reader number %1 was the last one.").arg(ReaderNumberMax));
            break;
        }
        Progress(QStringLiteral("Waiting for reader %1 ...").arg(number, 2, 10, QLatin1Char('0')));
        if (!WaitForReader(console, stop)) break;

        const ReaderReport report = Provision(console, number);
        console.out().Lines({report.Line()});
        QJsonObject object = report.Object();
        object.insert("event", "reader");
        console.out().Object(object);
        reports.push_back(report);
        // A number the reader did not take goes to the next one.
        if (report.numberTaken) ++number;
        if (request.count && int(reports.size()) >= *request.count) break;

        Progress(QStringLiteral("Unplug reader %1 (S/N %2) ...").arg(report.number, report.serial));
        if (!WaitUntilGone(console, stop, report.serial)) break;
        s.ScanBaudRate = arrivalLine;
        s.ScanBaudRateNo = arrivalLineIndex;
    }

    int failed = 0;
    QJsonArray all;
    QStringList lines{QStringLiteral("Summary: %1 readers").arg(reports.size())};
    for (const ReaderReport& report : reports) {
        if (!report.ok) ++failed;
        lines << report.Line();
        all.append(report.Object());
    }
    console.out().Lines(lines);
    const Outcome outcome = reports.empty() ? Outcome::NoReader
                            : failed == 0   ? Outcome::Success
                                            : Outcome::Failure;
    console.out().Object({{"event", "summary"},
                          {"readers", all},
                          {"ok", int(reports.size()) - failed},
                          {"error", failed},
                          {"result", OutcomeName(outcome)}});
    return ConsoleContext::ExitStatus(outcome);
}
