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
