#pragma once

#include <QJsonObject>
#include <QStringList>

#include "PortNames.h"
#include "ScanDiagnosis.h"

// Why a search found no reader, for people and for scripts: a line for each port tried, then
// the hint. Adds "ports" and "hint" to the JSON object of the failed search.
QStringList NoReaderLines(const Diagnosis& diagnosis, const PortNames& names, int language);
void AddNoReaderFields(QJsonObject& object, const Diagnosis& diagnosis, const PortNames& names,
                       int language);
// The standard-error note for a port that a search asked for and that did not open: its line as
// the search tells it, "COM14 (/dev/pts/3): in use by minicom (process 4711)".
QString PortNote(const PortTry& port, const PortNames& names, int language);
