#pragma once

#include <QString>
#include <QStringList>
#include <climits>
#include <vector>

#include "CommandLine.h"
#include "SettingCatalogue.h"

class ConsoleContext;
class Output;
class StopSignals;

// What a command's handler runs with.
struct CommandRun {
    const Request& request;
    const Output& out;
    // The context of the reader operations, for a command that talks to a reader; its reader is
    // already found for a command that needs one.
    ConsoleContext* console;
    // SIGINT and SIGTERM as requests to stop, for a command that ends after its pass.
    StopSignals* stop;
};
// Every handler: the command's exit status.
using CommandHandler = int (*)(CommandRun& run);

// What a command needs before its handler runs.
enum class Needs {
    Nothing,  // no port, no kept settings
    Context,  // the reader operations' context, the trace and the record; it finds readers itself
    Reader,   // the same, and the reader found as the window's scan finds it
    // The same, for a command that writes to the reader: a port that goes away during the
    // search is gone (74), as one that goes while the command writes.
    Writing,
};

// One command of the command line: everything of it.
struct CommandRow {
    QString name;
    const SettingRow* setting;  // set-*: the setting it writes, given as its argument or options
    QStringList options;        // its own options, without "--", in the order of the help
    QStringList required;       // of those, the ones it cannot do without
    QStringList oneOf;          // of those, exactly one must be given
    Needs needs;
    bool stoppable;  // a stop signal ends it after its pass; any other command it ends at once
    CommandHandler handler;
    // The values that follow the command's name when it takes one or more ("RECORD..."); set-*
    // takes its setting's one value.
    const char* values = nullptr;

    // The value that follows the command's name, as the help shows it, or null.
    const char* argument() const {
        return setting && setting->TakesArgument() ? setting->parts.front().valueName : values;
    }
    // How many values may follow the name.
    int fewestArguments() const { return argument() ? 1 : 0; }
    int mostArguments() const { return values ? INT_MAX : fewestArguments(); }
    // "set-id N [--record FILE]", as the help shows it.
    QString Synopsis() const;
};

// Every command, in the order of the help.
const std::vector<CommandRow>& CommandTable();
const CommandRow* FindCommand(const QString& name);

// One option of the command line.
struct OptionRow {
    QString name;
    const char* valueName;  // as the help shows it; null for a switch
    QString help;
    bool optionalValue;  // given as --name=VALUE only; alone it has a meaning of its own
    bool readerOptions;  // taken by every command that talks to a reader
    bool everyCommand;   // taken by every command
};

// Every option, the commands' own and the general ones, in the order of the help.
const std::vector<OptionRow>& OptionTable();
const OptionRow* FindOption(const QString& name);
// Whether the command takes the option.
bool Takes(const CommandRow& command, const OptionRow& option);
// The value rule of a command's own option that gives a number, or null for one that does not.
const ValueRule* OptionRule(const QString& option);
