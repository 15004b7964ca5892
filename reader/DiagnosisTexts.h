#pragma once

#include <QString>
#include <QStringList>

#include "PortNames.h"
#include "ScanDiagnosis.h"

// What happened at a port, one line: "COM5 (/dev/ttyUSB0): in use by brltty (process 812)", in
// the language of the column (0 English, 1 Simplified, 2 Traditional Chinese).
QString PortLine(const PortSummary& port, const PortNames& names, int language);
QStringList PortLines(const Diagnosis& diagnosis, const PortNames& names, int language);
// The remedy for the likeliest cause, one sentence in plain language.
QString HintText(const Diagnosis& diagnosis, const PortNames& names, int language);
