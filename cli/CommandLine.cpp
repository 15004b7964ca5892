#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

#include "CommandTable.h"
#include "ConsoleTexts.h"
#include "LikeReader.h"
#include "LineSetting.h"
#include "PortOption.h"
#include "ProvisioningPlan.h"
#include "RecordReader.h"
#include "RecordValues.h"
#include "RegularFile.h"
#include "SettingsStore.h"
#include "TerminalText.h"

namespace Texts {
ConsoleText UnknownOption = {"Unknown option '%1'.", "未知的选项“%1”。", "未知的選項「%1」。"};
ConsoleText MissingValue = {"Missing value after '%1'.", "“%1”后面缺少值。", "「%1」後面缺少值。"};
ConsoleText TraceIsRecord = {
    "--trace and --record name the same file \"%1\": the trace would destroy the record.",
    "--trace 和 --record 指向同一个文件“%1”：跟踪记录会毁掉站点记录。",
    "--trace 和 --record 指向同一個檔案「%1」：追蹤記錄會毀掉站點記錄。"};
}  // namespace Texts

namespace {

const QString HelpOption = QStringLiteral("help");
const QString VersionOption = QStringLiteral("version");
const QString MachineFolderOption = QStringLiteral("machine-folder");

// A negative number given as a value, such as "set-id -1", would be taken for an option: it
// stands in the parser's list under a name that is no option, and is put back afterwards.
const QString NegativeMark = QStringLiteral("\x01negative");

// The arguments as the parser is to read them: a bare --trace means standard error, and a
// negative number that follows no option that takes a value is a command's value.
QStringList Prepared(const QStringList& arguments, QStringList& negatives) {
    static const QRegularExpression negative(QStringLiteral("^-[0-9]"));
    QStringList prepared;
    bool valueFollows = false;
    bool optionsEnded = false;
    for (QString argument : arguments) {
        const bool isValue = valueFollows;
        valueFollows = false;
        if (prepared.isEmpty() || optionsEnded || isValue) {
            prepared << argument;
            continue;
        }
        if (argument == QLatin1String("--")) optionsEnded = true;
        if (argument == QLatin1String("--trace") || argument == QLatin1String("-trace"))
            argument = QStringLiteral("--trace=-");
        if (negative.match(argument).hasMatch()) {
            negatives << argument;
            argument = NegativeMark + QString::number(negatives.size() - 1);
        } else if (argument.startsWith(QLatin1Char('-')) && !argument.contains(QLatin1Char('='))) {
            const QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
            const OptionRow* option = FindOption(name);
            valueFollows = (option && option->valueName && !option->optionalValue) ||
                           name == MachineFolderOption;
        }
        prepared << argument;
    }
    return prepared;
}

QString MachineFolder(const QCommandLineParser& parser) {
    if (parser.isSet(MachineFolderOption)) return parser.value(MachineFolderOption);
    const QString fromEnvironment = qEnvironmentVariable("VQ880_MACHINE_FOLDER");
    return fromEnvironment.isEmpty() ? QStringLiteral(VQ880_MACHINE_FOLDER) : fromEnvironment;
}

// --language's column, or -1 when it is not given or names no language.
int LanguageOption(const QCommandLineParser& parser) {
    const QStringList given = parser.values(QStringLiteral("language"));
    return given.size() == 1 ? LanguageIndexFromName(given.first()) : -1;
}

// The prefix as it stands, then the text's words in lines of at most `width` characters; the
// lines after the first start below the text's first word.
QString Wrapped(const QString& prefix, const QString& text, int width = 100) {
    const QString indent(prefix.size(), QLatin1Char(' '));
    QString wrapped, line = prefix;
    bool lineHasWords = false;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lineHasWords && line.size() + 1 + word.size() > width) {
            wrapped += line + '\n';
            line = indent;
            lineHasWords = false;
        }
        if (lineHasWords) line += QLatin1Char(' ');
        line += word;
        lineHasWords = true;
    }
    return wrapped + line + '\n';
}

QString HelpText() {
    QString text = QStringLiteral(
        "Usage: vq880 [options] command [arguments]\n"
        "Finds a VQ880 reader on COM1 to COM16 and reads its tags or writes its settings.\n\n"
        "Options:\n");
    QList<QPair<QString, QString>> rows{{"-h, --help", "Shows this help."},
                                        {"-v, --version", "Shows the version."}};
    for (const OptionRow& option : OptionTable()) {
        QString given = "--" + option.name;
        if (option.valueName)
            given += QString(option.optionalValue ? "[=%1]" : " %1").arg(option.valueName);
        rows.append({given, option.help});
    }
    int width = 0;
    for (const auto& row : rows) width = std::max(width, int(row.first.size()));
    for (const auto& row : rows)
        text += Wrapped("  " + row.first.leftJustified(width + 2), row.second);
    text += QStringLiteral("\nCommands:\n");
    for (const CommandRow& command : CommandTable()) {
        const int name = command.name.size() + 1;
        text += Wrapped("  " + command.Synopsis().left(name), command.Synopsis().mid(name));
    }
    QStringList lines;
    for (const char* setting : LineSettingTable) lines << QLatin1String(setting);
    text +=
        '\n' + Wrapped("Line settings: ", lines.join(QStringLiteral(", ")) + '.') +
        Wrapped("Exit status: ",
                "0 done, 1 the reader did not confirm, 2 no reader found, 64 a usage error, 69 the "
                "reader stopped answering (tags), "
                "73 the trace or the record could not be written, 74 the port went away.");
    return text;
}

[[noreturn]] void Refuse(const QString& text) {
    throw UsageMistake{text};
}

QString PathOption(const QCommandLineParser& parser, const QString& option) {
    const QString path = parser.value(option);
    if (path.isEmpty()) Refuse(Tr(Texts::EmptyPath).arg(option));
    return path;
}

// The options given, each checked to belong to the command and to be given once.
void CheckOptionsGiven(const QCommandLineParser& parser, const CommandRow& command) {
    QStringList seen;
    for (const QString& name : parser.optionNames()) {
        if (name == MachineFolderOption) continue;
        const OptionRow* option = FindOption(name);
        if (option && !Takes(command, *option))
            Refuse(Tr(Texts::NotAnOptionOf).arg(name, command.name));
        if (seen.contains(name)) Refuse(Tr(Texts::GivenTwice).arg(name));
        seen << name;
    }
}

// The setting that set-* writes, from its value after the name.
void ReadSettingArgument(const CommandRow& command, const QString& argument, Request& request) {
    const SettingRow& setting = *command.setting;
    const int value = setting.parts.front().rule.Check(argument, Tr(*setting.valueName));
    request.values[setting.key] = SettingValue{{value, 0}};
}

// The settings the options give; the parts of one setting go together.
void ReadSettingOptions(const QCommandLineParser& parser, Request& request) {
    for (const SettingRow& setting : SettingCatalogue()) {
        if (setting.TakesArgument() && !setting.givenAsOption) continue;
        SettingValue value;
        int given = 0;
        for (size_t part = 0; part < setting.parts.size(); ++part) {
            const QString option = setting.PartName(part);
            if (!parser.isSet(option)) continue;
            value.parts[part] = setting.parts[part].rule.Check(parser.value(option), "--" + option);
            ++given;
        }
        if (given == 0) continue;
        if (given < int(setting.parts.size()))
            Refuse(
                Tr(Texts::GoTogether).arg("--" + setting.PartName(0), "--" + setting.PartName(1)));
        request.values[setting.key] = value;
    }
}

// provision --like: what the record holds for the reader at the label, to write to the one that
// takes its place; what the command line gives fills what the record does not hold.
void ReadLike(const QCommandLineParser& parser, Request& request) {
    request.like = parser.value(QStringLiteral("like"));
    if (request.recordPath.isEmpty()) Refuse(Tr(Texts::LikeNeedsRecord));
    auto entries = std::make_shared<std::vector<RecordedEntry>>(ReadRecord(request.recordPath));
    const LikeSettings like = ResolveLike(*entries, request.like);
    SettingTexts texts;
    for (const auto& [key, value] : like.settings) texts.insert(key, value);
    for (const auto& [key, value] : SettingValuesOf(texts)) request.values[key] = value;
    // What the record does not hold and the command line gives is written all the same.
    for (const QString& name : like.notRecorded)
        if (!request.values.count(SettingNamed(name)->key)) request.notRecorded << name;
    request.records = std::move(entries);
}

std::optional<int> NumberOption(const QCommandLineParser& parser, const QString& option) {
    if (!parser.isSet(option)) return std::nullopt;
    return OptionRule(option)->Check(parser.value(option), "--" + option);
}

Request Check(const QCommandLineParser& parser, QStringList positional, bool afterBareTrace) {
    Request request;
    if (positional.isEmpty()) Refuse(Tr(Texts::NoCommand));
    request.commandName = positional.takeFirst();
    const CommandRow* command = FindCommand(request.commandName);
    if (!command) {
        QString text = Tr(Texts::UnknownCommand).arg(request.commandName);
        if (afterBareTrace) text += Tr(Texts::TraceTakesItsFileAfterEquals);
        Refuse(text);
    }
    request.command = command;
    CheckOptionsGiven(parser, *command);

    if (positional.size() < command->fewestArguments())
        Refuse(Tr(Texts::NeedsAnArgument)
                   .arg(request.commandName, QLatin1String(command->argument())));
    if (positional.size() > command->mostArguments())
        Refuse(Tr(Texts::UnexpectedArgument)
                   .arg(TerminalExcerpt(positional.value(command->mostArguments())),
                        request.commandName));

    if (parser.isSet(QStringLiteral("language"))) {
        request.language = LanguageOption(parser);
        if (request.language < 0)
            Refuse(Tr(Texts::Language).arg(parser.value(QStringLiteral("language"))));
    }
    request.allLineSettings = parser.isSet(QStringLiteral("all-line-settings"));
    request.json = parser.isSet(QStringLiteral("json"));
    request.beep = parser.isSet(QStringLiteral("beep"));
    request.watch = parser.isSet(QStringLiteral("watch"));
    request.follow = parser.isSet(QStringLiteral("follow"));
    request.machineFolder = MachineFolder(parser);
    if (request.machineFolder.isEmpty()) Refuse(Tr(Texts::EmptyPath).arg(MachineFolderOption));
    if (parser.isSet(QStringLiteral("port"))) {
        const PortChoice port =
            ParsePortOption(parser.value(QStringLiteral("port")), request.machineFolder);
        request.port = port.comNumber;
        request.runOnlyDevice = port.runOnlyDevice;
    }

    if (command->setting && command->argument())
        ReadSettingArgument(*command, positional.first(), request);
    ReadSettingOptions(parser, request);
    request.firstId = NumberOption(parser, QStringLiteral("first-id"));
    request.count = NumberOption(parser, QStringLiteral("count"));
    request.seconds = NumberOption(parser, QStringLiteral("seconds"));

    if (parser.isSet(QStringLiteral("trace"))) {
        request.tracePath = parser.value(QStringLiteral("trace"));
        if (request.tracePath.isEmpty()) Refuse(Tr(Texts::TraceNamesNoFile));
        if (request.tracePath != QLatin1String("-"))
            if (QString problem = WritePathProblem(QStringLiteral("--trace"), request.tracePath);
                !problem.isEmpty())
                Refuse(problem);
    }
    if (parser.isSet(QStringLiteral("record"))) {
        request.recordPath = PathOption(parser, QStringLiteral("record"));
        const QString problem = WritePathProblem(QStringLiteral("--record"), request.recordPath);
        if (!problem.isEmpty()) Refuse(problem);
    }
    // Through another name, a link to its folder or a hard link too.
    if (!request.recordPath.isEmpty() && !request.tracePath.isEmpty() &&
        request.tracePath != QLatin1String("-") && SameFile(request.tracePath, request.recordPath))
        Refuse(Tr(Texts::TraceIsRecord).arg(request.tracePath));

    QStringList oneOf;
    for (const QString& option : command->oneOf)
        if (parser.isSet(option)) oneOf << "--" + option;
    if (!command->oneOf.isEmpty() && oneOf.isEmpty()) {
        QStringList all;
        for (const QString& option : command->oneOf) all << "--" + option;
        Refuse(Tr(Texts::NeedsOneOf).arg(request.commandName, all.join(Tr(Texts::Or))));
    }
    if (oneOf.size() > 1) Refuse(Tr(Texts::ExcludeEachOther).arg(oneOf.join(Tr(Texts::And))));
    if (parser.isSet(QStringLiteral("plan")))
        request.plan = std::make_shared<const ProvisioningPlan>(
            ReadPlan(PathOption(parser, QStringLiteral("plan"))));
    if (command->values)
        request.records =
            std::make_shared<const std::vector<RecordedEntry>>(ReadRecords(positional));
    if (parser.isSet(QStringLiteral("like"))) ReadLike(parser, request);
    request.force = parser.isSet(QStringLiteral("force"));
    if (request.force && request.like.isEmpty()) Refuse(Tr(Texts::ForceGoesWithLike));

    QStringList missing;
    for (const QString& option : command->required)
        if (!parser.isSet(option)) missing << QStringLiteral("--") + option;
    if (!missing.isEmpty())
        Refuse(Tr(Texts::Needs).arg(request.commandName, missing.join(Tr(Texts::And))));
    return request;
}

// The language of the run's texts: --language when it names one, else the kept one.
void SetRunLanguage(const QCommandLineParser& parser) {
    int language = LanguageOption(parser);
    if (language < 0) {
        KeptSettings kept;
        SettingsStore(MachineFolder(parser)).Load(kept);
        language = LanguageIndexFromFlag(kept.LanguageFlag);
    }
    SetConsoleLanguage(language);
}

// The parser's own mistake, in the run's language.
QString ParserMistake(const QCommandLineParser& parser) {
    if (!parser.unknownOptionNames().isEmpty())
        return Tr(Texts::UnknownOption).arg(parser.unknownOptionNames().first());
    static const QRegularExpression missing(QStringLiteral("'([^']*)'"));
    const auto match = missing.match(parser.errorText());
    return match.hasMatch() ? Tr(Texts::MissingValue).arg(match.captured(1)) : parser.errorText();
}

}  // namespace

QString UsageLine() {
    return Tr(Texts::UsageLine);
}

ParseResult ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption({{"h", HelpOption}, "Shows this help."});
    parser.addOption({{"v", VersionOption}, "Shows the version."});
    for (const OptionRow& option : OptionTable())
        parser.addOption(option.valueName ? QCommandLineOption(option.name, option.help,
                                                               QLatin1String(option.valueName))
                                          : QCommandLineOption(option.name, option.help));
    parser.addOption({MachineFolderOption, "The machine folder.", "folder"});

    QStringList negatives;
    const QStringList prepared = Prepared(arguments, negatives);
    ParseResult result;
    const bool parsed = parser.parse(prepared);
    SetRunLanguage(parser);
    if (!parsed) {
        result.kind = ParseResult::Kind::UsageError;
        result.text = ParserMistake(parser);
        return result;
    }
    if (parser.isSet(HelpOption)) {
        result.kind = ParseResult::Kind::Help;
        result.text = HelpText();
        return result;
    }
    if (parser.isSet(VersionOption)) {
        result.kind = ParseResult::Kind::Version;
        result.text = QStringLiteral("vq880 %1\n").arg(QCoreApplication::applicationVersion());
        return result;
    }
    QStringList positional = parser.positionalArguments();
    for (QString& argument : positional)
        if (argument.startsWith(NegativeMark))
            argument = negatives.value(argument.mid(NegativeMark.size()).toInt());
    // A command name right after a bare --trace was most likely meant as its file.
    const int traceAt = prepared.indexOf(QStringLiteral("--trace=-"));
    const bool afterBareTrace =
        traceAt >= 0 && !positional.isEmpty() && prepared.value(traceAt + 1) == positional.first();
    try {
        result.request = Check(parser, positional, afterBareTrace);
    } catch (const UsageMistake& mistake) {
        result.kind = ParseResult::Kind::UsageError;
        result.text = mistake.text;
    }
    return result;
}
