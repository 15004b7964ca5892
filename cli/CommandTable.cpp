#include "CommandTable.h"

#include "Commands.h"
#include "ReaderProtocol.h"

namespace {

const QString Record = QStringLiteral("record");

// The command that writes one setting alone: its value after the name, or, for a setting of
// two parts, as the parts' options.
CommandRow SettingCommand(const SettingRow& setting) {
    CommandRow row{setting.Command(), &setting, {}, {}, {}, Needs::Writing, false, RunSetting};
    if (!setting.TakesArgument())
        for (size_t part = 0; part < setting.parts.size(); ++part) {
            row.options << setting.PartName(part);
            row.required << setting.PartName(part);
        }
    row.options << Record;
    return row;
}

// The options of the settings that provisioning writes besides the number.
QStringList SettingOptions() {
    QStringList options;
    for (const SettingRow& setting : SettingCatalogue())
        for (size_t part = 0; setting.givenAsOption && part < setting.parts.size(); ++part)
            options << setting.PartName(part);
    return options;
}

std::vector<CommandRow> Rows() {
    const QStringList provisionOptions = QStringList{"first-id", "plan", "like", "force"} +
                                         SettingOptions() + QStringList{"count", Record};
    std::vector<CommandRow> rows{
        {"scan", nullptr, {}, {}, {}, Needs::Reader, false, RunScan},
        {"tags", nullptr, {"count", "seconds", "follow"}, {}, {}, Needs::Reader, true, RunTags},
    };
    // Each setting's own command, in the catalogue's order.
    for (const SettingRow& setting : SettingCatalogue()) rows.push_back(SettingCommand(setting));
    const std::vector<CommandRow> others{
        {"factory-default", nullptr, {Record}, {}, {}, Needs::Writing, false, RunFactoryDefault},
        {"reset", nullptr, {}, {}, {}, Needs::Writing, false, RunReset},
        {"provision",
         nullptr,
         provisionOptions,
         {},
         {"first-id", "plan", "like"},
         Needs::Context,
         true,
         RunProvision},
        {"ports", nullptr, {"watch"}, {}, {}, Needs::Nothing, true, RunPorts},
        {"site", nullptr, {"plan"}, {}, {}, Needs::Nothing, false, RunSite, "RECORD..."},
    };
    rows.insert(rows.end(), others.begin(), others.end());
    return rows;
}

std::vector<OptionRow> Options() {
    std::vector<OptionRow> options{
        {"port", "COMn|device",
         "Searches only this port: COM1 to COM16 (on Windows up to COM256), or a serial device "
         "such as /dev/ttyUSB0; one the window does not reach is not kept.",
         false, true, false},
        {"all-line-settings", nullptr,
         "Tries every line setting on each port, not only the kept one.", false, true, false},
        {"json", nullptr, "Writes one JSON object per line, for scripts.", false, false, true},
        {"language", "english|chinesegb|chinesebig5",
         "The language of the texts; the kept language by default.", false, false, true},
        {"beep", nullptr, "Sounds the tones of the window.", false, true, false},
        {"trace", "FILE",
         "Writes every frame and reply to standard error, or with =FILE to that file (see "
         "vq880(1) for its format).",
         true, true, false},
        {"count", "N", "tags: ends after N tags; provision: after N readers.", false, false, false},
        {"seconds", "S", "tags: ends after S seconds.", false, false, false},
        {"follow", nullptr,
         "tags: waits for a reader that stops answering, and for its adapter when it is pulled "
         "out, and reads on when they are back.",
         false, false, false},
        {"watch", nullptr,
         "ports: one line for each serial port that appears or goes, until Ctrl+C.", false, false,
         false},
        {"first-id", "N", "provision: the number of the first reader, 1 to 99.", false, false,
         false},
        {"record", "FILE",
         "provision, set-*, factory-default: appends what each reader was given to this CSV "
         "file (JSON lines when it ends in .jsonl).",
         false, false, false},
        {"plan", "FILE",
         "provision: a CSV file that gives each reader, by serial number, its number and "
         "settings; site: what is still to do, and where the readers differ.",
         false, false, false},
        {"like", "LABEL",
         "provision: the reader plugged in gets what the record (--record) holds for the reader "
         "at LABEL, which it replaces.",
         false, false, false},
        {"force", nullptr,
         "provision --like: also a reader that the record holds under another label.", false, false,
         false},
    };
    for (const QString& name : SettingOptions()) {
        const PartOfSetting given = OptionPart(name);
        const SettingPart& part = given.setting->parts[given.part];
        options.push_back({name, part.valueName, QLatin1String(part.help), false, false, false});
    }
    return options;
}

// The value rules of the options that give a number and are no setting.
const ValueRule CountRule = ValueRule::Range(1, 1000000);
const ValueRule SecondsRule = ValueRule::Range(1, 86400 * 365);
const ValueRule FirstIdRule = ValueRule::Range(ReaderNumberMin, ReaderNumberMax);

}  // namespace

QString CommandRow::Synopsis() const {
    const auto given = [](const QString& option) {
        const OptionRow* row = FindOption(option);
        return row && row->valueName ? QStringLiteral("--%1 %2").arg(option, row->valueName)
                                     : "--" + option;
    };
    QStringList words{name};
    if (argument()) words << QLatin1String(argument());
    QStringList either;
    for (const QString& option : oneOf) either << given(option);
    if (!either.isEmpty()) words << either.join(QLatin1Char('|'));
    for (const QString& option : required) words << given(option);
    for (const QString& option : options)
        if (!required.contains(option) && !oneOf.contains(option))
            words << "[" + given(option) + "]";
    return words.join(QLatin1Char(' '));
}

const std::vector<CommandRow>& CommandTable() {
    static const std::vector<CommandRow> rows = Rows();
    return rows;
}

const CommandRow* FindCommand(const QString& name) {
    for (const CommandRow& row : CommandTable())
        if (name == row.name) return &row;
    return nullptr;
}

const std::vector<OptionRow>& OptionTable() {
    static const std::vector<OptionRow> rows = Options();
    return rows;
}

const OptionRow* FindOption(const QString& name) {
    for (const OptionRow& row : OptionTable())
        if (name == row.name) return &row;
    return nullptr;
}

bool Takes(const CommandRow& command, const OptionRow& option) {
    if (option.everyCommand) return true;
    if (option.readerOptions) return command.needs != Needs::Nothing;
    return command.options.contains(option.name);
}

const ValueRule* OptionRule(const QString& option) {
    if (option == QLatin1String("count")) return &CountRule;
    if (option == QLatin1String("seconds")) return &SecondsRule;
    if (option == QLatin1String("first-id")) return &FirstIdRule;
    const PartOfSetting given = OptionPart(option);
    return given.setting ? &given.setting->parts[given.part].rule : nullptr;
}
