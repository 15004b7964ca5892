#pragma once

#include <QJsonObject>
#include <QString>

#include "CommandLine.h"
#include "ReaderOperations.h"

class ConsoleContext;
class StopSignals;

// The commands, each on a context whose reader is still to be found; each returns the exit
// status.
int RunScan(ConsoleContext& console);
int RunSetting(ConsoleContext& console);
int RunTags(ConsoleContext& console, StopSignals& stop);
int RunProvision(ConsoleContext& console, StopSignals& stop);
// Needs no reader and no kept settings: it opens no port.
int RunPorts(const Request& request);

// One of the window's setting operations on the found reader. The line setting is followed by
// a search at the new setting, which keeps the new place; its failure is the operation's.
Outcome WriteSetting(ConsoleContext& console, Command command, const SettingValues& values);

// The setting a command sends, as one key and value: "id", "line-speed", "same-card", "input",
// "mode" or "rssi", as provisioning's JSON and the record name them; empty for the factory
// default and the restart.
QJsonObject WrittenBy(Command command, const SettingValues& values);

// "ok", "error", "no-reader" or "port-gone", for the JSON lines.
QString OutcomeName(Outcome outcome);
