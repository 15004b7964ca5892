// vq880 set-*, factory-default and reset: the window's buttons, one a run.
#include "Commands.h"
#include "ConsoleContext.h"
#include "LineSetting.h"
#include "ReaderProtocol.h"
#include "SettingWrite.h"

namespace {

// What a command wrote and where the reader is now, printed and recorded. `found` is the reader
// as the search found it, taken before the write; `after` its values from now on when the reader
// confirmed them.
int Report(CommandRun& run, QJsonObject found, const SettingResult& result,
           const QJsonObject& written, const QJsonObject& after, bool recorded) {
    ConsoleContext& console = *run.console;
    const QString message = console.Text(result.message);
    const bool ok = result.outcome == Outcome::Success;
    run.out.Lines({message});
    // Where the reader is reached now: after a new line setting, that one.
    found.insert("line", console.context().ScanBaudRate);
    if (ok)
        for (auto value = after.begin(); value != after.end(); ++value)
            found.insert(value.key(), value.value());
    // An entry the record does not take is said at once; the exit status tells it at the end.
    if (recorded) {
        RecordEntry entry;
        entry.written = written;
        entry.readerAfter = found.value("reader-after").toString();
        entry.result = ResultName(result.outcome);
        if (!ok && !written.isEmpty()) entry.failed = written.begin().key();
        console.Record(entry);
    }
    found.insert("command", run.request.commandName);
    found.insert("result", ResultName(result.outcome));
    found.insert("message", message);
    if (result.outcome == Outcome::PortGone) found.insert("note", console.ReportPortGone());
    run.out.Object(found);
    return ConsoleContext::ExitStatus(result.outcome);
}

}  // namespace

SettingResult WriteSetting(ConsoleContext& console, const SettingRow& setting,
                           const SettingValue& value) {
    const SettingResult result = setting.write(console.context(), value);
    if (result.outcome != Outcome::Success || !setting.findAgain) return result;
    if (console.FindReaderAgain() != ExitSuccess)
        return {console.lastScan().goneComNumber != 0 || console.PortWentAway() ? Outcome::PortGone
                                                                                : Outcome::Failure,
                console.lastScan().message};
    return result;
}

int RunSetting(CommandRun& run) {
    const SettingRow& setting = *run.request.command->setting;
    const SettingValue& value = run.request.values.at(setting.key);
    // Taken before the write: a search after a new line setting that does not find the reader
    // knows nothing of it.
    const QJsonObject found = run.console->ReaderObject();
    const SettingResult result = WriteSetting(*run.console, setting, value);
    const QJsonValue recorded = setting.recorded(value);
    QJsonObject after;
    if (setting.afterKey) after.insert(QLatin1String(setting.afterKey), recorded);
    return Report(run, found, result, {{QLatin1String(setting.name), recorded}}, after, true);
}

int RunFactoryDefault(CommandRun& run) {
    ConsoleContext& console = *run.console;
    const QJsonObject found = console.ReaderObject();
    const SettingResult result = SetFactoryDefault(console.context());
    const SettingValue factoryNumber{{FactoryReaderNumber, 0}};
    const SettingValue factoryLine{{FactoryLineIndex, 0}};
    const QJsonObject after{{"reader-after", Setting(SettingKey::Id).recorded(factoryNumber)},
                            {"line-after", Setting(SettingKey::LineSpeed).recorded(factoryLine)}};
    const int status = Report(run, found, result, {}, after, true);
    // The reader listens at the factory line setting from now on. The window's line selection
    // moves there; here the kept place does, so that the next command finds the reader on its
    // first try.
    if (result.outcome == Outcome::Success) {
        ReaderContext& s = console.context();
        s.KeepPlace(s.Place().WithLine(FactoryLineIndex));
        s.SaveScanSettings();
    }
    return status;
}

int RunReset(CommandRun& run) {
    const QJsonObject found = run.console->ReaderObject();
    return Report(run, found, ResetReader(run.console->context()), {}, {}, false);
}
