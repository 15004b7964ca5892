#pragma once

#include <QJsonValue>
#include <QMap>
#include <QString>

#include "SettingCatalogue.h"

// A reader's settings as the record writes them: a setting's name in the catalogue to its value
// as text ("05", "10", "no", "rs485-32,wiegand-26", "120", "9600,n,8,1").
using SettingTexts = QMap<QString, QString>;

// The value of a setting as read from a record, in the record's own text; a value the reader
// does not take throws the one line that says why. A JSON line gives numbers where the record
// holds them ("same-card", "rssi"); a CSV record gives text.
QString RecordedValue(const QString& key, const QJsonValue& value);
// A value text as a JSON line holds it: a number where the catalogue records one.
QJsonValue JsonValue(const QString& key, const QString& text);

// The values a plan's row or a command gives, as texts.
SettingTexts SettingTextsOf(const SettingValues& values);
// The values to write for texts that RecordedValue has checked.
SettingValues SettingValuesOf(const SettingTexts& texts);

// What a reader holds after a confirmed factory default.
const SettingTexts& FactorySettingTexts();
