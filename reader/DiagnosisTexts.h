#pragma once

#include <QString>
#include <QStringList>

#include "PortNames.h"
#include "ScanDiagnosis.h"

// A port's state in words, the same wherever it is told (the scan's lines, the standard-error
// note, vq880 ports): "in use by brltty (process 812)", "not a serial device (a folder)", in the
// language of the column (0 English, 1 Simplified, 2 Traditional Chinese). Answered and Silent
// are told line setting by line setting in PortLine instead.
QString PortStateText(const PortFacts& port, int language);

// What happened at a port, one line: "COM5 (/dev/ttyUSB0): in use by brltty (process 812)".
QString PortLine(const PortSummary& port, const PortNames& names, int language);
QStringList PortLines(const Diagnosis& diagnosis, const PortNames& names, int language);
// The remedy for the likeliest cause, one sentence in plain language.
QString HintText(const Diagnosis& diagnosis, const PortNames& names, int language);
