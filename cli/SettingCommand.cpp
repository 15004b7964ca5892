// vq880 set-*, factory-default and reset: the window's buttons, one a run.
#include "Commands.h"
#include "ConsoleContext.h"
#include "LineSetting.h"
#include "ReaderProtocol.h"

QString OutcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::Success:
            return QStringLiteral("ok");
        case Outcome::Failure:
            return QStringLiteral("error");
        case Outcome::PortGone:
            return QStringLiteral("port-gone");
        case Outcome::NoReader:
            break;
    }
    return QStringLiteral("no-reader");
}

Outcome WriteSetting(ConsoleContext& console, Command command, const SettingValues& v) {
    ReaderContext& s = console.context();
    switch (command) {
        case Command::SetId:
            // Two digits, as the window's number panel holds it.
            return SetReaderId(s, QString::asprintf("%02d", v.readerNumber.value_or(0)));
        case Command::SetLineSpeed: {
            const Outcome outcome = SetLineSpeed(s, v.lineSettingIndex.value_or(-1));
            if (outcome != Outcome::Success) return outcome;
            // As after the window's button, the reader is found again at its new setting. When
            // it is not, the search's own message ("Reader Not Find") is the outcome.
            const QString message = console.view().Text(Panel::Msg);
            if (console.FindReaderAgain() != ExitSuccess) return Outcome::Failure;
            console.view().ShowText(Panel::Msg, message);
            return Outcome::Success;
        }
        case Command::SetSameCard:
            return SetSameCard(s, v.sameCardSeconds.value_or(0));
        case Command::SetInput:
            return SetInputNoNc(s, v.inputNormallyOpen.value_or(FactoryInputNormallyOpen));
        case Command::SetMode:
            return SetReaderMode(s, v.rs485Index.value_or(FactoryRs485Index),
                                 v.wiegandIndex.value_or(FactoryWiegandIndex));
        case Command::SetRssi:
            return SetRssiLevel(s, v.rssiLevel.value_or(0));
        case Command::FactoryDefault:
            return SetFactoryDefault(s);
        case Command::Reset:
            return ResetReader(s);
        default:
            break;
    }
    return Outcome::Failure;
}

QJsonObject WrittenBy(Command command, const SettingValues& v) {
    switch (command) {
        case Command::SetId:
            return {{"id", QString::asprintf("%02d", v.readerNumber.value_or(0))}};
        case Command::SetLineSpeed:
            return {{"line-speed", LineSettingTable[v.lineSettingIndex.value_or(0)]}};
        case Command::SetSameCard:
            return {{"same-card", v.sameCardSeconds.value_or(0)}};
        case Command::SetInput:
            return {{"input", v.inputNormallyOpen.value_or(true) ? "no" : "nc"}};
        case Command::SetMode:
            return {{"mode", QStringLiteral("rs485-%1,wiegand-%2")
                                 .arg(Rs485FormatBits[v.rs485Index.value_or(0)])
                                 .arg(WiegandFormatBits[v.wiegandIndex.value_or(0)])}};
        case Command::SetRssi:
            return {{"rssi", v.rssiLevel.value_or(0)}};
        default:
            return {};
    }
}

namespace {
// What a confirmed command changed, under keys of its own: "reader" and "line" keep the values
// the reader was found with.
void InsertValuesAfter(QJsonObject& object, const Request& request) {
    const SettingValues& v = request.values;
    switch (request.command) {
        case Command::SetId:
            object.insert("reader-after", QString::asprintf("%02d", v.readerNumber.value_or(0)));
            break;
        case Command::SetLineSpeed:
            object.insert("line-after", LineSettingTable[v.lineSettingIndex.value_or(0)]);
            break;
        case Command::FactoryDefault:
            object.insert("reader-after", QString::asprintf("%02d", FactoryReaderNumber));
            object.insert("line-after", LineSettingTable[FactoryLineIndex]);
            break;
        default:
            break;
    }
}

// The reader listens at the factory line setting from now on. The window's line selection
// moves there; here the kept place does, so that the next command finds the reader on its first
// try.
void KeepFactoryLine(ReaderContext& s) {
    s.ScanBaudRateNo = FactoryLineIndex;
    s.ScanBaudRate = QString::fromLatin1(LineSettingTable[FactoryLineIndex]);
    s.SaveScanSettings();
}
}  // namespace

int RunSetting(ConsoleContext& console) {
    const int found = console.FindReader();
    if (found != ExitSuccess) return found;
    const Request& request = console.request();
    // Taken before the write: a search after a new line setting that does not find the reader
    // leaves only placeholders in the panels.
    QJsonObject object = console.ReaderObject();
    const Outcome outcome = WriteSetting(console, request.command, request.values);
    const QString message = console.view().Text(Panel::Msg);
    console.out().Lines({message});
    // Where the reader is reached now: after a new line setting, that one.
    object.insert("line", console.context().ScanBaudRate);
    if (outcome == Outcome::Success) InsertValuesAfter(object, request);
    if (outcome == Outcome::Success && request.command == Command::FactoryDefault)
        KeepFactoryLine(console.context());
    RecordEntry entry;
    entry.written = WrittenBy(request.command, request.values);
    entry.readerAfter = object.value("reader-after").toString();
    entry.result = OutcomeName(outcome);
    if (outcome != Outcome::Success && !entry.written.isEmpty())
        entry.failed = entry.written.begin().key();
    const bool recorded = request.command == Command::Reset || console.Record(entry);
    object.insert("command", request.commandName);
    object.insert("result", OutcomeName(outcome));
    object.insert("message", message);
    if (outcome == Outcome::PortGone) object.insert("note", console.ReportPortGone());
    console.out().Object(object);
    // A reader written but not recorded is not done: the record is the site's document.
    if (!recorded && outcome == Outcome::Success) return ExitNotConfirmed;
    return ConsoleContext::ExitStatus(outcome);
}
