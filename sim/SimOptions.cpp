#include "SimOptions.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <algorithm>
#include <array>

#include "SiteOptions.h"

namespace {

struct NamedFault {
    const char* name;
    ReaderFault fault;
};
constexpr std::array<NamedFault, 11> FaultNames{{
    {"none", ReaderFault::None},
    {"silent", ReaderFault::Silent},
    {"wrong-check", ReaderFault::WrongCheck},
    {"lower-case-check", ReaderFault::LowerCaseCheck},
    {"wrong-length", ReaderFault::WrongLength},
    {"noise", ReaderFault::Noise},
    {"echo", ReaderFault::Echo},
    {"flood", ReaderFault::Flood},
    {"disconnect", ReaderFault::Disconnect},
    {"late", ReaderFault::Late},
    {"slow-turnaround", ReaderFault::SlowTurnaround},
}};

QString FaultList() {
    QStringList names;
    for (const NamedFault& f : FaultNames) names << QString::fromLatin1(f.name);
    return names.join(", ");
}

// Eight characters that can stand in a reply body: printable ASCII.
bool IsBodyText(const QString& text) {
    if (text.size() != 8) return false;
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) return false;
    return true;
}

// A tag as the reader reports it: exactly eight hexadecimal digits, nothing else.
bool IsTag(const QString& text) {
    if (text.size() != 8) return false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F')))
            return false;
    }
    return true;
}

std::optional<int> Number(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < low || value > high) return std::nullopt;
    return value;
}

SimCommandLine Mistake(const QString& text) {
    return {std::nullopt, text, 2};
}

}  // namespace

std::optional<ReaderFault> FaultFromName(const QString& name) {
    for (const NamedFault& f : FaultNames)
        if (name.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0) return f.fault;
    return std::nullopt;
}

QString FaultName(ReaderFault fault) {
    for (const NamedFault& f : FaultNames)
        if (f.fault == fault) return QString::fromLatin1(f.name);
    return QStringLiteral("none");
}

SimCommandLine ParseSimCommandLine(const QStringList& arguments,
                                   const QString& defaultMachineFolder) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Simulates a VQ880 tag reader on a new pseudo-terminal (or on a serial device), so that "
        "the configuration tool can be tried and tested without hardware.\n"
        "The first line printed is \"device PATH\": the terminal to open.");
    const QCommandLineOption help({"h", "help"}, "Shows this help.");
    const QCommandLineOption device("device",
                                    "Serves a real serial device instead of a new "
                                    "pseudo-terminal (a null-modem cable to the tool).",
                                    "path");
    const QCommandLineOption serial("serial", "The reader's serial number, 8 characters.", "text",
                                    "00001234");
    const QCommandLineOption number("reader-number", "The reader number, 1 to 99.", "n", "1");
    const QCommandLineOption version("version", "The firmware version, 8 characters.", "text",
                                     "01.70-01");
    const QCommandLineOption line("line",
                                  "The reader's line setting: a text such as 19200,e,8,1 or its "
                                  "index 0 to 11 in the tool's list.",
                                  "setting", "19200,e,8,1");
    const QCommandLineOption tags("tags",
                                  "Tags in the field, presented in turn: 8 hexadecimal "
                                  "digits each, separated by commas.",
                                  "list", "0000BC61");
    const QCommandLineOption noTags("no-tags", "No tag in the field.");
    const QCommandLineOption delay("reply-delay", "Milliseconds from a command's CR to the reply.",
                                   "ms", "2");
    const QCommandLineOption fault("fault", "A fault to inject: " + FaultList() + ".", "name",
                                   "none");
    const QCommandLineOption faultAfter(
        "fault-after", "Frames answered correctly before the fault starts.", "n", "0");
    const QCommandLineOption restart("restart-ms", "Silence after a reset (A00HR).", "ms", "1500");
    const QCommandLineOption batch("batch-ms",
                                   "Hands the reply on in batches, as an adapter with an FTDI "
                                   "chip does: every MS milliseconds, or when 62 bytes are "
                                   "held; 0 hands on each byte as it comes.",
                                   "ms", "0");
    const QCommandLineOption link("link",
                                  "Makes ports/COMn in the machine folder point at the device, "
                                  "so the tool finds the reader at COMn; removed at the end.",
                                  "COMn");
    const QCommandLineOption folder("machine-folder", "The tool's machine folder.", "path",
                                    defaultMachineFolder);
    const QCommandLineOption log("log", "Writes a frame log to the file, or - for standard output.",
                                 "file");
    parser.addOptions({help, device, serial, number, version, line, tags, noTags, delay, fault,
                       faultAfter, restart, batch, link, folder, log});
    const SiteOptions siteOptions;
    parser.addOptions(siteOptions.all());

    if (!parser.parse(arguments)) return Mistake(parser.errorText());
    if (parser.isSet(help)) return {std::nullopt, parser.helpText(), 0};
    if (!parser.positionalArguments().isEmpty())
        return Mistake("Unexpected argument: " + parser.positionalArguments().first());

    SimOptions options;
    ReaderOptions& reader = options.reader;
    options.devicePath = parser.value(device);
    options.machineFolder = parser.value(folder);
    options.logPath = parser.value(log);

    if (!IsBodyText(parser.value(serial)))
        return Mistake("The serial number must be 8 printable characters.");
    reader.serialNumber = parser.value(serial).toLatin1();
    if (!IsBodyText(parser.value(version)))
        return Mistake("The version must be 8 printable characters.");
    reader.version = parser.value(version).toLatin1();

    const auto readerNumber = Number(parser.value(number), 1, 99);
    if (!readerNumber) return Mistake("The reader number must be 1 to 99.");
    reader.readerNumber = *readerNumber;
    const QString siteMistake = ReadSiteOptions(parser, siteOptions, reader.readerNumber,
                                                !options.devicePath.isEmpty(), options.site);
    if (!siteMistake.isEmpty()) return Mistake(siteMistake);

    const QString lineText = parser.value(line).trimmed();
    const auto lineIndex = Number(lineText, 0, int(LineSettingTable.size()) - 1);
    reader.lineIndex = lineIndex ? *lineIndex : LineSettingIndex(lineText.toLower());
    if (reader.lineIndex < 0)
        return Mistake(
            "The line setting must be one of the tool's twelve, such as 19200,e,8,1, "
            "or an index 0 to 11.");

    if (parser.isSet(tags) && parser.isSet(noTags))
        return Mistake("--tags and --no-tags exclude each other: give one of them.");
    if (!parser.isSet(noTags)) {
        const QString list = parser.value(tags).trimmed();
        if (list.isEmpty())
            return Mistake(
                "The tag list of --tags is empty; --no-tags leaves no tag in the field.");
        for (const QString& item : list.split(',')) {
            const QString hex = item.trimmed();
            if (!IsTag(hex))
                return Mistake("Not a tag of exactly 8 hexadecimal digits: \"" + hex + "\"");
            reader.tags << quint32(hex.toUInt(nullptr, 16));
        }
    }

    const auto delayMs = Number(parser.value(delay), 0, 60000);
    if (!delayMs) return Mistake("The reply delay must be 0 to 60000 ms.");
    reader.replyDelayMs = *delayMs;
    const auto restartMs = Number(parser.value(restart), 0, 600000);
    if (!restartMs) return Mistake("The restart time must be 0 to 600000 ms.");
    reader.restartMs = *restartMs;
    const auto batchMs = Number(parser.value(batch), 0, 1000);
    if (!batchMs) return Mistake("The batch time must be 0 to 1000 ms.");
    options.batchMs = *batchMs;

    const auto faultKind = FaultFromName(parser.value(fault));
    if (!faultKind) return Mistake("Unknown fault; the faults are: " + FaultList() + ".");
    reader.fault = *faultKind;
    const auto after = Number(parser.value(faultAfter), 0, 1000000000);
    if (!after) return Mistake("--fault-after takes a number of frames, 0 or more.");
    reader.faultAfterFrames = *after;

    if (parser.isSet(link)) {
        QString name = parser.value(link).trimmed();
        if (name.startsWith("COM", Qt::CaseInsensitive)) name = name.mid(3);
        const bool digits = !name.isEmpty() && std::all_of(name.begin(), name.end(), [](QChar c) {
            return c >= u'0' && c <= u'9';
        });
        const auto com = digits ? Number(name, 1, 16) : std::nullopt;
        if (!com || name.startsWith('0'))
            return Mistake("--link takes a port COM1 to COM16, such as COM3.");
        options.linkComNumber = *com;
    }

    // The machine folder is the installed tool's; only ports/ is ever made in it.
    if (parser.isSet(folder) || options.linkComNumber > 0) {
        const QFileInfo machine(options.machineFolder);
        if (!machine.exists())
            return Mistake("The machine folder " + options.machineFolder + " does not exist.");
        if (!machine.isDir())
            return Mistake("The machine folder " + options.machineFolder + " is not a folder.");
    }
    return {options, QString(), 0};
}
