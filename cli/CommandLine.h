#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "SettingCatalogue.h"

struct CommandRow;
struct ProvisioningPlan;
struct RecordedEntry;

// What the command line asks for, checked against the ranges the reader takes before any port
// is touched.
struct Request {
    const CommandRow* command = nullptr;
    QString commandName;
    int port = 0;  // --port, 0 for the whole search
    // --port named a device that no COM number reaches; port is PortNames::RunOnlyPort then.
    QString runOnlyDevice;
    bool allLineSettings = false;
    bool json = false;
    bool beep = false;
    bool watch = false;   // ports: the ports that come and go, until a stop signal
    bool follow = false;  // tags: waits for a reader that went silent and an adapter that went
    int language = -1;    // --language's column of the text table; -1 for the kept language
    QString machineFolder;
    // The settings to write: set-*'s one, or provisioning's.
    SettingValues values;
    std::optional<int> firstId;  // provision: the number of the first reader
    std::optional<int> count;    // tags: tags to read; provision: readers to set up
    std::optional<int> seconds;
    // provision --plan: the readers by serial number, read and checked with the command line.
    std::shared_ptr<const ProvisioningPlan> plan;
    // --record: the site's record, appended to with each reader written.
    QString recordPath;
    // site: the records named, merged in time order; provision --like: the record's entries.
    std::shared_ptr<const std::vector<RecordedEntry>> records;
    // provision --like: the door whose reader is replaced; --force: also a reader the record
    // holds under another label. The settings to write are in `values`; those the record holds
    // no value of are named here.
    QString like;
    bool force = false;
    QStringList notRecorded;
    // --trace: the file of the trace, "-" for standard error; empty for no trace.
    QString tracePath;
};

// Either a request, the text to print for --help or --version, or the one line that names
// what is wrong with the command line, in the run's language.
struct ParseResult {
    enum class Kind { Run, Help, Version, UsageError };
    Kind kind = Kind::Run;
    Request request;
    QString text;
};

// Also sets the run's language (ConsoleLanguage): --language, else the kept one.
ParseResult ParseCommandLine(const QStringList& arguments);

// The short usage line printed below a usage error.
QString UsageLine();

// The exit statuses.
constexpr int ExitSuccess = 0;
constexpr int ExitNotConfirmed = 1;
constexpr int ExitNoReader = 2;
constexpr int ExitReaderSilent = 69;  // tags: the reader stopped answering
constexpr int ExitUsage = 64;
// The trace or the record could not be written at some moment of the run (a full disk); what
// the reader was given is on standard error.
constexpr int ExitCannotWrite = 73;
constexpr int ExitPortGone = 74;  // the port went away in the middle, as a pulled adapter does
