#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

// What the command line asks for, checked against the ranges the reader takes before any port
// is touched.
enum class Command {
    Scan,
    Tags,
    SetId,
    SetLineSpeed,
    SetSameCard,
    SetInput,
    SetMode,
    SetRssi,
    FactoryDefault,
    Reset,
    Provision,
    Ports,
};

// The settings a command writes; provisioning may write several, the set-* commands one.
struct SettingValues {
    std::optional<int> readerNumber;      // 1 to 99
    std::optional<int> lineSettingIndex;  // index in LineSettingTable
    std::optional<int> sameCardSeconds;   // 0 to 9999
    std::optional<bool> inputNormallyOpen;
    std::optional<int> rs485Index;  // 0 to 3, always together with wiegandIndex
    std::optional<int> wiegandIndex;
    std::optional<int> rssiLevel;  // 0 to 250
};

struct ProvisioningPlan;

struct Request {
    Command command = Command::Scan;
    QString commandName;
    int port = 0;  // --port, 0 for the whole search
    // --port named a device that no COM number reaches; port is PortNames::RunOnlyPort then.
    QString runOnlyDevice;
    bool allLineSettings = false;
    bool json = false;
    bool beep = false;
    QString languageFlag;  // empty: the kept language
    QString machineFolder;
    SettingValues values;
    std::optional<int> count;  // tags: tags to read; provision: readers to set up
    std::optional<int> seconds;
    // provision --plan: the readers by serial number, read and checked with the command line.
    std::shared_ptr<const ProvisioningPlan> plan;
    // --record: the site's record, appended to with each reader written.
    QString recordPath;
    // --trace: the file of the trace, "-" for standard error; empty for no trace.
    QString tracePath;
};

// Either a request, the text to print for --help or --version, or the one line that names
// what is wrong with the command line.
struct ParseResult {
    enum class Kind { Run, Help, Version, UsageError };
    Kind kind = Kind::Run;
    Request request;
    QString text;
};

ParseResult ParseCommandLine(const QStringList& arguments);

// One command as the command line knows it: the values that follow its name, the options that
// belong to it and those it cannot do without.
struct CommandInfo {
    const char* name;
    Command command;
    const char* arguments;  // as the help shows them
    int positionalCount;
    QStringList options;          // the command's own options, without "--"
    QStringList requiredOptions;  // of those, the ones it needs
};

// Every command, in the order of the help.
const std::vector<CommandInfo>& CommandTable();

// The short usage line printed below a usage error.
QString UsageLine();

// The exit statuses.
constexpr int ExitSuccess = 0;
constexpr int ExitNotConfirmed = 1;
constexpr int ExitNoReader = 2;
constexpr int ExitUsage = 64;
constexpr int ExitPortGone = 74;  // the port went away in the middle, as a pulled adapter does
