#pragma once

#include <QString>

// A text as one word of a POSIX shell, whatever it holds.
QString ShellQuoted(const QString& text);

// The shell command that gives the COM number to a device: a link in the ports folder, made
// with the folder when it is not there yet.
QString AssignCommand(const QString& device, int comNumber, const QString& portsFolder);
