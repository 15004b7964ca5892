#pragma once

#include <QJsonValue>
#include <QString>
#include <array>
#include <map>
#include <optional>
#include <vector>

#include "ConsoleTexts.h"
#include "ReaderOperations.h"
#include "ValueChecks.h"

// Every setting the command line writes, one row each: the one place that names a setting and
// says how its value is checked, written to the reader, recorded and printed. `set-*`,
// `provision`, the plan, the record and the usage checks all read it.

// In the order provisioning writes them: the number first, the line setting last, since the
// reader listens at it from then on.
enum class SettingKey { Id, SameCard, Input, Mode, Rssi, LineSpeed };

// A setting's value: one number for each of its parts (the reader mode has two).
struct SettingValue {
    std::array<int, 2> parts{};
    bool operator==(const SettingValue& o) const { return parts == o.parts; }
};

// The settings a command writes, in the catalogue's order.
using SettingValues = std::map<SettingKey, SettingValue>;

// One part of a setting's value, as it is given.
struct SettingPart {
    const char* option;  // the option that gives it ("rs485"); null where none does
    const char* column;  // the plan's column that gives it
    ValueRule rule;
};

struct SettingRow {
    SettingKey key;
    // The one word for the setting: the JSON key, the record's column, the printed key=value,
    // and (with its parts) the options and the plan's columns.
    const char* name;
    const char* command;   // the command that writes it alone, "set-same-card"
    const char* argument;  // its value as the help shows it after that command, when it takes one
    const ConsoleText* valueName;  // the value in a mistake: "The same-card time"
    std::vector<SettingPart> parts;
    // The key of the JSON object's value from now on, for the settings a scan reports.
    const char* afterKey;
    // The reader is reached at another line setting from now on: it is searched for there.
    bool findAgain;
    SettingResult (*write)(ReaderContext& context, const SettingValue& value);
    // As the record, the JSON lines and the printed key=value give it.
    QJsonValue (*recorded)(const SettingValue& value);
    // A value as the record holds it, or nothing for one that the reader does not take.
    std::optional<SettingValue> (*fromRecorded)(const QJsonValue& value);

    // The printed "same-card=10".
    QString Printed(const SettingValue& value) const;
};

const std::vector<SettingRow>& SettingCatalogue();
const SettingRow& Setting(SettingKey key);
// The row whose name is given, or null.
const SettingRow* SettingNamed(const QString& name);

// The value of a record's cell or JSON value as text: numbers without a fraction.
QString RecordedText(const QJsonValue& value);
