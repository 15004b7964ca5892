#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QHash>

#include "LineSetting.h"
#include "PortOption.h"
#include "ProvisioningPlan.h"
#include "ReaderProtocol.h"
#include "RegularFile.h"
#include "ValueChecks.h"

namespace {

// All the options that belong to a command, each once.
QStringList CommandOptions() {
    QStringList all;
    for (const CommandInfo& info : CommandTable())
        for (const QString& option : info.options)
            if (!all.contains(option)) all << option;
    return all;
}

QString LanguageFlag(const QString& text) {
    static const QHash<QString, QString> flags = {
        {"english", "English"}, {"chinesegb", "ChineseGB"}, {"chinesebig5", "ChineseBIG5"}};
    const auto flag = flags.find(text.toLower());
    if (flag == flags.end())
        throw UsageMistake{
            QStringLiteral("--language must be english, chinesegb or chinesebig5, not \"%1\".")
                .arg(text)};
    return *flag;
}

QString HelpText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    text += QStringLiteral("\nCommands:\n");
    for (const CommandInfo& info : CommandTable())
        text += QStringLiteral("  ") +
                QStringLiteral("%1 %2")
                    .arg(QLatin1String(info.name), QLatin1String(info.arguments))
                    .trimmed() +
                QLatin1Char('\n');
    text += QStringLiteral(
                "\nLine settings: %1.\n"
                "Exit status: 0 done, 1 the reader did not confirm, 2 no reader found, 64 a usage "
                "error, 74 the port went away.\n")
                .arg([] {
                    QStringList all;
                    for (const char* setting : LineSettingTable) all << QLatin1String(setting);
                    return all.join(QStringLiteral(", "));
                }());
    return text;
}

void ReadSettingOptions(const QCommandLineParser& parser, Request& request) {
    SettingValues& v = request.values;
    if (parser.isSet("first-id"))
        v.readerNumber =
            Integer(parser.value("first-id"), "--first-id", ReaderNumberMin, ReaderNumberMax);
    if (parser.isSet("line-speed"))
        v.lineSettingIndex = LineIndex(parser.value("line-speed"), "--line-speed");
    if (parser.isSet("same-card"))
        v.sameCardSeconds = Integer(parser.value("same-card"), "--same-card", 0, SameCardMax);
    if (parser.isSet("input"))
        v.inputNormallyOpen = InputNormallyOpen(parser.value("input"), "--input");
    if (parser.isSet("rs485"))
        v.rs485Index =
            FormatIndex(parser.value("rs485"), "--rs485", Rs485FormatBits, Rs485FormatCount);
    if (parser.isSet("wiegand"))
        v.wiegandIndex = FormatIndex(parser.value("wiegand"), "--wiegand", WiegandFormatBits,
                                     WiegandFormatCount);
    if (parser.isSet("rssi"))
        v.rssiLevel = Integer(parser.value("rssi"), "--rssi", 0, RssiLevelMax);
    if (v.rs485Index.has_value() != v.wiegandIndex.has_value())
        throw UsageMistake{QStringLiteral("--rs485 and --wiegand go together: give both.")};
}

void ReadArgument(const CommandInfo& info, const QString& argument, Request& request) {
    SettingValues& v = request.values;
    switch (info.command) {
        case Command::SetId:
            v.readerNumber =
                Integer(argument, "The reader number", ReaderNumberMin, ReaderNumberMax);
            break;
        case Command::SetLineSpeed:
            v.lineSettingIndex = LineIndex(argument, "The line setting");
            break;
        case Command::SetSameCard:
            v.sameCardSeconds = Integer(argument, "The same-card time", 0, SameCardMax);
            break;
        case Command::SetInput:
            v.inputNormallyOpen = InputNormallyOpen(argument, "The input");
            break;
        case Command::SetRssi:
            v.rssiLevel = Integer(argument, "The RSSI level", 0, RssiLevelMax);
            break;
        default:
            break;
    }
}

Request Check(const QCommandLineParser& parser) {
    Request request;
    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) throw UsageMistake{QStringLiteral("No command given.")};
    request.commandName = positional.takeFirst();
    const CommandInfo* info = nullptr;
    for (const CommandInfo& candidate : CommandTable())
        if (request.commandName == QLatin1String(candidate.name)) info = &candidate;
    if (!info)
        throw UsageMistake{QStringLiteral("Unknown command \"%1\".").arg(request.commandName)};
    request.command = info->command;

    for (const QString& option : CommandOptions())
        if (parser.isSet(option) && !info->options.contains(option))
            throw UsageMistake{
                QStringLiteral("--%1 is not an option of %2.").arg(option, request.commandName)};
    if (positional.size() < info->positionalCount)
        throw UsageMistake{QStringLiteral("%1 needs an argument: %2.")
                               .arg(request.commandName, QLatin1String(info->arguments))};
    if (positional.size() > info->positionalCount)
        throw UsageMistake{QStringLiteral("Unexpected argument \"%1\" after %2.")
                               .arg(positional.value(info->positionalCount), request.commandName)};

    if (parser.isSet("language")) request.languageFlag = LanguageFlag(parser.value("language"));
    request.allLineSettings = parser.isSet("all-line-settings");
    request.json = parser.isSet("json");
    request.beep = parser.isSet("beep");
    if (parser.isSet("machine-folder")) {
        request.machineFolder = parser.value("machine-folder");
    } else {
        const QString fromEnvironment = qEnvironmentVariable("VQ880_MACHINE_FOLDER");
        request.machineFolder =
            fromEnvironment.isEmpty() ? QStringLiteral(VQ880_MACHINE_FOLDER) : fromEnvironment;
    }
    if (parser.isSet("port")) {
        const PortChoice port = ParsePortOption(parser.value("port"), request.machineFolder);
        request.port = port.comNumber;
        request.runOnlyDevice = port.runOnlyDevice;
    }

    if (info->positionalCount == 1) ReadArgument(*info, positional.first(), request);
    ReadSettingOptions(parser, request);
    if (parser.isSet("count"))
        request.count = Integer(parser.value("count"), "--count", 1, 1000000);
    if (parser.isSet("seconds"))
        request.seconds = Integer(parser.value("seconds"), "--seconds", 1, 86400 * 365);

    if (parser.isSet("trace")) {
        request.tracePath = parser.value("trace");
        if (request.tracePath.isEmpty())
            throw UsageMistake{
                QStringLiteral("--trace= names no file: give --trace alone for "
                               "standard error.")};
        if (request.tracePath != QLatin1String("-"))
            if (QString problem = WritePathProblem(QStringLiteral("--trace"), request.tracePath);
                !problem.isEmpty())
                throw UsageMistake{problem};
    }
    if (parser.isSet("record")) {
        request.recordPath = parser.value("record");
        const QString problem = WritePathProblem(QStringLiteral("--record"), request.recordPath);
        if (!problem.isEmpty()) throw UsageMistake{problem};
    }
    if (info->command == Command::Provision) {
        if (parser.isSet("plan") && parser.isSet("first-id"))
            throw UsageMistake{QStringLiteral(
                "--first-id and --plan exclude each other: the plan gives each reader's number.")};
        if (!parser.isSet("plan") && !parser.isSet("first-id"))
            throw UsageMistake{QStringLiteral("provision needs --first-id or --plan.")};
        if (parser.isSet("plan"))
            request.plan = std::make_shared<const ProvisioningPlan>(ReadPlan(parser.value("plan")));
    }

    QStringList missing;
    for (const QString& option : info->requiredOptions)
        if (!parser.isSet(option)) missing << QStringLiteral("--") + option;
    if (!missing.isEmpty())
        throw UsageMistake{QStringLiteral("%1 needs %2.")
                               .arg(request.commandName, missing.join(QStringLiteral(" and ")))};
    return request;
}

}  // namespace

const std::vector<CommandInfo>& CommandTable() {
    static const std::vector<CommandInfo> commands = {
        {"scan", Command::Scan, "", 0, {}, {}},
        {"tags", Command::Tags, "[--count N] [--seconds S]", 0, {"count", "seconds"}, {}},
        {"set-id", Command::SetId, "N [--record FILE]", 1, {"record"}, {}},
        {"set-line-speed", Command::SetLineSpeed, "SETTING [--record FILE]", 1, {"record"}, {}},
        {"set-same-card", Command::SetSameCard, "SECONDS [--record FILE]", 1, {"record"}, {}},
        {"set-input", Command::SetInput, "no|nc [--record FILE]", 1, {"record"}, {}},
        {"set-mode",
         Command::SetMode,
         "--rs485 24|32|40|64 --wiegand 26|34|42 [--record FILE]",
         0,
         {"rs485", "wiegand", "record"},
         {"rs485", "wiegand"}},
        {"set-rssi", Command::SetRssi, "LEVEL [--record FILE]", 1, {"record"}, {}},
        {"factory-default", Command::FactoryDefault, "[--record FILE]", 0, {"record"}, {}},
        {"reset", Command::Reset, "", 0, {}, {}},
        {"provision",
         Command::Provision,
         "--first-id N|--plan FILE [--line-speed S] [--same-card S] [--input no|nc] "
         "[--rs485 B --wiegand B] [--rssi L] [--count K] [--record FILE]",
         0,
         {"first-id", "plan", "line-speed", "same-card", "input", "rs485", "wiegand", "rssi",
          "count", "record"},
         {}},
        {"ports", Command::Ports, "", 0, {}, {}},
    };
    return commands;
}

QString UsageLine() {
    return QStringLiteral("Usage: vq880 [options] <command> [arguments]; vq880 --help lists them.");
}

ParseResult ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Finds a VQ880 reader on COM1 to COM16 and reads its tags or writes its settings."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, "Shows this help.");
    const QCommandLineOption version({"v", "version"}, "Shows the version.");
    parser.addOption(help);
    parser.addOption(version);
    parser.addOptions({
        {"port",
         "Searches only this port: COM1 to COM16 (on Windows up to COM256), or a serial device "
         "such as /dev/ttyUSB0; one the window does not reach is not kept.",
         "COMn|device"},
        {"all-line-settings", "Tries every line setting on each port, not only the kept one."},
        {"json", "Writes one JSON object per line, for scripts."},
        {"language", "english, chinesegb or chinesebig5; the kept language by default.",
         "language"},
        {"beep", "Sounds the tones of the window."},
        {"count", "tags: ends after N tags; provision: after K readers.", "N"},
        {"seconds", "tags: ends after S seconds.", "S"},
        {"rs485", "set-mode, provision: RS485 format, 24, 32, 40 or 64 bits.", "bits"},
        {"wiegand", "set-mode, provision: Wiegand format, 26, 34 or 42 bits.", "bits"},
        {"first-id", "provision: the number of the first reader, 1 to 99.", "N"},
        {"record",
         "provision, set-*, factory-default: appends what each reader was given to this CSV "
         "file (JSON lines when it ends in .jsonl).",
         "file"},
        {"plan",
         "provision: a CSV file that gives each reader, by serial number, its number and "
         "settings.",
         "file"},
        {"line-speed", "provision: the line setting to write.", "setting"},
        {"same-card", "provision: the same-card time to write, 0 to 9999 seconds.", "seconds"},
        {"input", "provision: the digital input to write, no or nc.", "no|nc"},
        {"rssi", "provision: the RSSI level to write, 0 to 250.", "level"},
        {"trace",
         "Writes every frame and reply to standard error, or with =FILE to that file (see "
         "vq880(1) for its format).",
         "file"},
    });
    QCommandLineOption machineFolder("machine-folder", "The machine folder.", "folder");
    machineFolder.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(machineFolder);
    parser.addPositionalArgument("command", "What to do, see below.");

    // --trace takes its file only as --trace=FILE: alone it means standard error.
    QStringList given = arguments;
    for (QString& argument : given)
        if (argument == QLatin1String("--trace") || argument == QLatin1String("-trace"))
            argument = QStringLiteral("--trace=-");

    ParseResult result;
    if (!parser.parse(given)) {
        result.kind = ParseResult::Kind::UsageError;
        result.text = parser.errorText();
        if (!result.text.endsWith(QLatin1Char('.'))) result.text += QLatin1Char('.');
        return result;
    }
    if (parser.isSet(help)) {
        result.kind = ParseResult::Kind::Help;
        result.text = HelpText(parser);
        return result;
    }
    if (parser.isSet(version)) {
        result.kind = ParseResult::Kind::Version;
        result.text = QStringLiteral("vq880 %1\n").arg(QCoreApplication::applicationVersion());
        return result;
    }
    try {
        result.request = Check(parser);
    } catch (const UsageMistake& mistake) {
        result.kind = ParseResult::Kind::UsageError;
        result.text = mistake.text;
    }
    return result;
}
