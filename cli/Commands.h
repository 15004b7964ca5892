#pragma once

#include "CommandTable.h"

// The handlers of the command table, each in a file of its own.
int RunScan(CommandRun& run);
int RunTags(CommandRun& run);
int RunSetting(CommandRun& run);
int RunFactoryDefault(CommandRun& run);
int RunReset(CommandRun& run);
int RunProvision(CommandRun& run);
int RunPorts(CommandRun& run);
int RunSite(CommandRun& run);
