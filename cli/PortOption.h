#pragma once

#include <QString>

// The port that --port names: a COM number (COM1 to COM16; on Windows up to COM256), or on
// Linux a serial device by its path. A device that a COM number of the machine folder reaches
// is that COM number; another one is used for the run alone, as PortNames::RunOnlyPort.
struct PortChoice {
    int comNumber = 0;
    QString runOnlyDevice;  // the path as given, when no COM number reaches it
};

// Throws a UsageMistake for anything else, before any port is touched.
PortChoice ParsePortOption(const QString& text, const QString& machineFolder);
