#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "ReaderModel.h"
#include "SitePlan.h"

// What the simulator program was asked to do.
struct SimOptions {
    ReaderOptions reader;
    QString devicePath;     // a real serial device to serve; empty: a new pseudo-terminal
    int linkComNumber = 0;  // make ports/COMn in the machine folder point at the device; 0: none
    QString machineFolder;
    QString logPath;  // the frame log; "-" is standard output, empty is none
    int batchMs = 0;  // the adapter hands replies on in batches this often; 0 as they come
    SitePlan site;    // the readers that come and go, and the adapter's links
};

// The outcome of reading the command line: options to run with, or a text to print and an
// exit code (the help text with 0, a mistake with 2).
struct SimCommandLine {
    std::optional<SimOptions> options;
    QString message;
    int exitCode = 0;
};

SimCommandLine ParseSimCommandLine(const QStringList& arguments,
                                   const QString& defaultMachineFolder);

// Fault names as the command line and the log spell them: "silent", "wrong-check", ...
std::optional<ReaderFault> FaultFromName(const QString& name);
QString FaultName(ReaderFault fault);
