#pragma once

#include "CommandLine.h"

// Runs the command the request names: what the command's row says it needs first (the
// context, the trace and the record, the reader found), then its handler. The exit status:
// the handler's, or ExitCannotWrite when the trace or the record could not be written.
int RunCommand(const Request& request);
