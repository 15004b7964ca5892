// vq880's usage errors: each is one line that names the mistake, in the run's language, then
// the usage line, exit status 64, and no port touched. The rows come from the command table and
// the catalogue of settings, and, since rows made from the table cannot see a rule lost from
// it, also from the manual page's synopsis of each command.
#include <unistd.h>

#include <QtTest>

#include "CliHarness.h"
#include "CommandTable.h"
#include "ManualPage.h"
#include "ReaderProtocol.h"
#include "RecordEntry.h"

namespace {

const QStringList Reader{"--serial", "40002718", "--reader-number", "5"};

const ManualPage& Manual() {
    static const ManualPage page(QStringLiteral(VQ880_MANUAL_PATH));
    return page;
}

// A plan file that lives as long as the test program.
QString PlanFile(const QByteArray& text) {
    return CliHarness::LastingFile("plan.csv", text);
}

// A site's record of one door that lives as long as the test program.
QString RecordFile() {
    static const QString path = CliHarness::LastingFile(
        "site.csv", CsvHeader() +
                        "2026-12-01T10:00:00.000+01:00,set-id,COM14,SERA0001,01.70-01,01,05,05,,"
                        ",,,,Door 1,ok,\n");
    return path;
}

// Another name of the same file: a hard link beside it.
QString HardLink(const QString& path) {
    const QString other = path + ".link";
    return ::link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()) == 0
               ? other
               : QString();
}

// The places of a command's values: the command, its value when it has one, and options; a
// value that begins with "-" follows "--", as a command line may give it.
QStringList CommandLineOf(const QString& command, const QString& value,
                          const QStringList& options) {
    QStringList line{command};
    if (!value.isEmpty() && !value.startsWith('-')) line << value;
    line << options;
    if (value.startsWith('-')) line << "--" << value;
    return line;
}

// A value of the command line as this test knows it, apart from the table: the words its
// mistake names it by, a value in range, and the values one past each end of its range (for a
// choice, one that is none of them). Keyed by the option, or by the command for its value.
struct ValueCase {
    QString named;
    QString good;
    QStringList outside;
};

QHash<QString, ValueCase> ValueCases() {
    const auto past = [](int low, int high) {
        return QStringList{QString::number(low - 1), QString::number(high + 1)};
    };
    const QStringList lines{"2400,n,8,1", "230400,n,8,1"};
    const QStringList rs485 = past(Rs485FormatBits[0], Rs485FormatBits[Rs485FormatCount - 1]);
    const QStringList wiegand =
        past(WiegandFormatBits[0], WiegandFormatBits[WiegandFormatCount - 1]);
    return {
        {"set-id", {"reader number", "5", past(ReaderNumberMin, ReaderNumberMax)}},
        {"set-line-speed", {"line setting", "38400,n,8,1", lines}},
        {"set-same-card", {"same-card time", "10", past(0, SameCardMax)}},
        {"set-input", {"input", "nc", {"nx"}}},
        {"set-rssi", {"RSSI level", "200", past(0, RssiLevelMax)}},
        {"--count", {"--count", "2", past(1, 1000000)}},
        {"--seconds", {"--seconds", "1", past(1, 86400 * 365)}},
        {"--rs485", {"--rs485", "32", rs485}},
        {"--wiegand", {"--wiegand", "26", wiegand}},
        {"--first-id", {"--first-id", "5", past(ReaderNumberMin, ReaderNumberMax)}},
        {"--line-speed", {"--line-speed", "38400,n,8,1", lines}},
        {"--same-card", {"--same-card", "10", past(0, SameCardMax)}},
        {"--input", {"--input", "nc", {"nx"}}},
        {"--rssi", {"--rssi", "200", past(0, RssiLevelMax)}},
        {"--plan", {"--plan", "site.csv", {"/dev/null", "/nonexistent/site.csv"}}},
        {"--record", {"--record", "record.csv", {"/dev/null"}}},
        {"--watch", {"--watch", {}, {}}},
        {"--follow", {"--follow", {}, {}}},
        {"--force", {"--force", {}, {}}},
        {"--like", {"--like", "Door 1", {}}},
        {"site", {"record", RecordFile(), {"/nonexistent/r.csv", "/dev/null"}}},
    };
}

// An option as it is given with a good value; a switch alone.
QStringList Given(const QString& option, const QHash<QString, ValueCase>& cases) {
    const QString good = cases.value("--" + option).good;
    return good.isEmpty() ? QStringList{"--" + option} : QStringList{"--" + option, good};
}

}  // namespace

class UsageTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("VQ880_SIM")) QSKIP("the simulator program is not known");
        QVERIFY2(!Manual().synopses.isEmpty(), "the manual page has no synopses");
    }
    void usageErrorsTouchNoPort_data();
    void usageErrorsTouchNoPort();
    void helpShowsEachOptionAsItIsTyped();
};

// The help names each option as it must be typed: a value after a space, or one that may only
// follow "=" in brackets; and each command with what it needs.
void UsageTest::helpShowsEachOptionAsItIsTyped() {
    CliHarness h;
    const CliResult help = h.Run({"--help"});
    QCOMPARE(help.exitCode, 0);
    const QString text = help.out.join(' ').simplified();
    for (const OptionRow& option : OptionTable()) {
        QString typed = "--" + option.name;
        if (option.valueName)
            typed += QString(option.optionalValue ? "[=%1]" : " %1").arg(option.valueName);
        QVERIFY2(text.contains(typed + ' '), qPrintable(typed));
    }
    QVERIFY(text.contains("--trace[=FILE] "));
    for (const CommandRow& command : CommandTable())
        QVERIFY2(text.contains(command.Synopsis()), qPrintable(command.Synopsis()));
}

void UsageTest::usageErrorsTouchNoPort_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("named");  // words the line of the mistake holds
    QList<QStringList> given;
    const auto row = [&given](const QString& name, const QStringList& arguments,
                              const QStringList& named) {
        if (given.contains(arguments)) return;
        given << arguments;
        QTest::newRow(qPrintable(name)) << arguments << named;
    };
    row("no command", QStringList{}, {"No command"});
    row("unknown command", QStringList{"scna"}, {"scna"});
    row("unknown option", QStringList{"--quick", "scan"}, {"quick"});
    row("reader number 0", QStringList{"set-id", "0"}, {"reader number"});
    row("reader number -1, a value and no option", QStringList{"set-id", "-1"},
        {"reader number", "-1"});
    row("reader number not a number", QStringList{"set-id", "7a"}, {"7a"});
    row("missing argument", QStringList{"set-id"}, {"needs an argument"});
    row("extra argument", QStringList{"scan", "now"}, {"now"});
    row("line setting not in the table", QStringList{"set-line-speed", "38400,o,8,1"},
        {"38400,o,8,1"});
    row("input neither no nor nc", QStringList{"set-input", "open"}, {"open"});
    row("rs485 without wiegand", QStringList{"set-mode", "--rs485", "32"}, {"--wiegand"});
    row("an option given twice",
        QStringList{"set-mode", "--rs485", "32", "--wiegand", "26", "--rs485", "64"},
        {"--rs485", "more than once"});
    row("a port given twice", QStringList{"--port", "COM3", "--port", "COM4", "scan"}, {"--port"});
    row("a switch given twice", QStringList{"--json", "--json", "scan"}, {"--json"});
    row("ports takes no port", QStringList{"--port", "COM3", "ports"}, {"--port", "ports"});
    row("negative rssi named as a value",
        QStringList{"provision", "--first-id", "1", "--rssi", "-5"}, {"--rssi", "-5"});
    row("a bare --trace before a file", QStringList{"--trace", "t.txt", "scan"},
        {"t.txt", "--trace=FILE"});
    row("an empty record", QStringList{"--record", "", "set-id", "3"}, {"--record"});
    row("an empty record after =", QStringList{"--record=", "set-id", "3"}, {"--record"});
    row("an empty plan", QStringList{"provision", "--plan", ""}, {"--plan"});
    row("port COM17", QStringList{"--port", "COM17", "scan"}, {"COM17"});
    row("port neither a COM name nor a device",
        QStringList{"--port", "/nonexistent/ttyUSB0", "scan"}, {"/nonexistent/ttyUSB0"});
    row("port a regular file", QStringList{"--port", PlanFile("serial,number\n"), "scan"},
        {"--port", "not a serial device (a regular file)"});
    row("trace into a device", QStringList{"--trace=/dev/null", "scan"}, {"--trace", "/dev/null"});
    row("seconds -1", QStringList{"tags", "--seconds", "-1"}, {"--seconds", "-1"});
    row("provision with first id and plan",
        QStringList{"provision", "--first-id", "5", "--plan",
                    PlanFile("serial,number\nSERA0001,1\n")},
        {"--first-id", "--plan"});
    row("a plan with a mistake: file, line and column",
        QStringList{"provision", "--plan", PlanFile("serial,number,rssi\nSERA0001,1,251\n")},
        {"plan", "line 2", "column rssi", "251"});
    // The trace never in the record's file, by whichever name.
    const QString record = PlanFile("time,command\n");
    const QFileInfo recordInfo(record);
    for (const auto& [name, trace] :
         {std::pair<const char*, QString>{"the trace in the record's file", record},
          {"the trace in the record's file through ./",
           recordInfo.path() + "/./" + recordInfo.fileName()},
          {"the trace in the record's file through a hard link", HardLink(record)}})
        row(name, QStringList{"--record", record, "--trace=" + trace, "set-id", "8"},
            {"--trace", "--record", "same file"});
    const QString unmade = recordInfo.dir().filePath("unmade.csv");
    row("the trace and the record one new file",
        QStringList{"--record", unmade, "--trace=" + recordInfo.dir().filePath("./unmade.csv"),
                    "set-id", "8"},
        {"same file"});
    // A plan's cells are text, and its mistakes are told as text.
    row("a plan cell with an escape sequence, spelled out",
        QStringList{"provision", "--plan",
                    PlanFile("serial,number,label\nSERA0001,1,\x1b]0;owned\x07\n")},
        {"line 2", "column label", "(\\e)"});
    row("a NUL in a plan cell does not cut the line short",
        QStringList{"provision", "--plan",
                    PlanFile(QByteArray("serial,number,label\nSERA0001,1,a") + '\0' + "b\n")},
        {"column label", "(\\x00) is not text"});
    row("a plan cell not UTF-8",
        QStringList{"provision", "--plan", PlanFile("serial,number,label\nSERA0001,1,D\xff\n")},
        {"line 2", "column label", "UTF-8"});
    row("a plan's mistake in Simplified Chinese",
        QStringList{"--language", "chinesegb", "provision", "--plan",
                    PlanFile("serial,number,rssi\nSERA0001,1,251\n")},
        {"第 2 行", "rssi", "251"});
    row("language", QStringList{"--language", "french", "scan"}, {"french"});
    row("a record with a mistake: file and line",
        QStringList{"site", PlanFile("serial,number\nSERA0001,1\n")}, {"plan", "line 1"});
    row("--like without a record", QStringList{"provision", "--like", "Door 1"},
        {"--like", "--record"});
    row("--like a label the record does not know",
        QStringList{"provision", "--like", "Door 9", "--record", RecordFile()}, {"Door 9"});
    row("--force without --like", QStringList{"provision", "--first-id", "2", "--force"},
        {"--force", "--like"});
    row("--like and --first-id",
        QStringList{"provision", "--first-id", "2", "--like", "Door 1", "--record", RecordFile()},
        {"--first-id", "--like"});
    // In the language asked for.
    row("in Simplified Chinese", QStringList{"--language", "chinesegb", "set-id", "0"},
        {"读卡机编号", "1 到 99", "0"});
    row("in Traditional Chinese", QStringList{"--language", "ChineseBIG5", "scna"},
        {"未知的指令", "scna"});

    // For every command of the command table: none of its values, one of a pair alone, each
    // value one past its range, an option of another command, an option of its own twice. A
    // command or an option without its values here fails.
    const QHash<QString, ValueCase> cases = ValueCases();
    QStringList allOptions;
    for (const CommandRow& command : CommandTable())
        for (const QString& option : command.options)
            if (!allOptions.contains(option)) allOptions << option;
    for (const CommandRow& command : CommandTable()) {
        const QString name = command.name;
        const ValueCase value = cases.value(name);
        QVERIFY2(!command.argument() || !value.good.isEmpty(), qPrintable(name));
        for (const QString& option : command.options)
            QVERIFY2(cases.contains("--" + option), qPrintable(name + " --" + option));
        // What the command needs, with good values, but those left out.
        const auto needed = [&](const QStringList& leftOut) {
            QStringList options;
            // One of a group stands for it, unless one of the group is the value tried.
            const bool groupTried =
                std::any_of(leftOut.begin(), leftOut.end(),
                            [&](const QString& o) { return command.oneOf.contains(o); });
            for (const QString& option :
                 command.required + command.oneOf.mid(0, groupTried ? 0 : 1))
                if (!leftOut.contains(option)) options << Given(option, cases);
            return options;
        };
        // The parts of one setting given as options go together: each alone is a mistake.
        const QStringList parts =
            command.setting && !command.argument() ? command.required : QStringList{};
        if (command.argument() || !command.required.isEmpty())
            row(name + ": none of its values", {name}, {name});
        for (const QString& alone : parts)
            row(QStringLiteral("%1: --%2 alone").arg(name, alone),
                CommandLineOf(name, value.good,
                              needed(parts) + QStringList{"--" + alone, cases["--" + alone].good}),
                {"--" + parts.join(" and --")});
        for (const QString& bad : value.outside)
            row(QStringLiteral("%1 %2: one past its range").arg(name, bad),
                CommandLineOf(name, bad, needed({})), {value.named, bad});
        for (const QString& option : command.options) {
            for (const QString& bad : cases["--" + option].outside)
                row(QStringLiteral("%1 --%2 %3: one past its range").arg(name, option, bad),
                    CommandLineOf(name, value.good,
                                  needed({option}) + QStringList{"--" + option, bad}),
                    {"--" + option, bad});
        }
        if (!command.options.isEmpty()) {
            const QString twice = command.options.last();
            const QStringList pair = Given(twice, cases);
            row(QStringLiteral("%1 --%2 twice").arg(name, twice),
                CommandLineOf(name, value.good, needed({twice}) + pair + pair), {"--" + twice});
        }
        for (const QString& option : allOptions) {
            if (command.options.contains(option)) continue;
            row(QStringLiteral("%1 --%2: an option of another command").arg(name, option),
                CommandLineOf(name, value.good, needed({}) + Given(option, cases)),
                {"--" + option, name});
            break;
        }
    }

    // What the manual's synopsis of each command says it needs: the value after its name, each
    // option outside brackets; of two synopses, what one of them needs.
    for (auto synopses = Manual().synopses.begin(); synopses != Manual().synopses.end();
         ++synopses) {
        const QString name = synopses.key();
        QVERIFY2(FindCommand(name), qPrintable("the manual's " + name + " is no command"));
        const ValueCase value = cases.value(name);
        if (synopses->size() > 1) {
            row(name + ": none of the manual's synopses", {name}, {name});
            continue;
        }
        const ManualSynopsis& synopsis = synopses->first();
        const auto given = [&](const QString& leftOut) {
            QStringList options;
            for (const QString& option : synopsis.options)
                if (option != leftOut) options << Given(option, cases);
            return options;
        };
        if (synopsis.argument)
            row(name + ": without the manual's value", QStringList{name} + given({}), {});
        if (!synopsis.options.isEmpty())
            row(name + ": without the manual's options",
                CommandLineOf(name, synopsis.argument ? value.good : QString(), {}), {});
        for (const QString& option : synopsis.options)
            row(QStringLiteral("%1: without the manual's --%2").arg(name, option),
                CommandLineOf(name, synopsis.argument ? value.good : QString(), given(option)),
                {"--" + option});
    }
}

void UsageTest::usageErrorsTouchNoPort() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, named);
    CliHarness h;
    SimulatorProcess sim(h.SimArguments(Reader));
    QVERIFY(sim.started());

    const CliResult result = h.Run(arguments);

    QCOMPARE(result.exitCode, 64);
    QVERIFY(result.out.isEmpty());
    QCOMPARE(result.err.size(), 2);
    for (const QString& word : named)
        QVERIFY2(result.err[0].contains(word), qPrintable(result.err[0]));
    // Whatever it quotes is shown as text.
    for (const QChar c : result.err[0])
        QVERIFY2(c.category() != QChar::Other_Control, qPrintable(result.err[0]));
    QVERIFY(result.err[1].startsWith("Usage: vq880"));
    QVERIFY(h.Frames().isEmpty());
    QVERIFY(h.KeptSettings().isEmpty());
}

QTEST_GUILESS_MAIN(UsageTest)
#include "tst_usage.moc"
