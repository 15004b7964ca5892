#pragma once

#include "CommandLine.h"

// Runs the command the request names: what the command's row says it needs first (the
// context, the trace and the record, the reader found), then its handler. The exit status.
int RunCommand(const Request& request);
