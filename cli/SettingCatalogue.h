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

// One part of a setting's value, as it is given: the reader mode has two, the others one.
struct SettingPart {
    const char* name;       // the part's own word ("rs485"); null for the one part of a setting
    const char* valueName;  // its value as the help shows it: "SECONDS", "24|32|40|64"
    const char* help;       // the help of its option
    ValueRule rule;
};

struct SettingRow {
    SettingKey key;
    // The one word for the setting: the JSON key, the record's column, the printed key=value,
    // the option and the plan's column of a setting of one part, and, after "set-", the command
    // that writes it alone.
    const char* name;
    const ConsoleText* valueName;  // the value in a mistake: "The same-card time"
    std::vector<SettingPart> parts;
    // How the number is given otherwise: provision numbers the readers from --first-id, and the
    // plan's column of the number is "number".
    bool givenAsOption;
    const char* planColumn;  // null: the parts' names
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
    // "set-same-card"
    QString Command() const;
    // The word of a part: its option ("rs485", "same-card") and its plan's column.
    QString PartName(size_t part) const;
    QString PlanColumn(size_t part) const;
    // Whether set-* takes its value after its name rather than as options.
    bool TakesArgument() const { return parts.size() == 1; }
};

const std::vector<SettingRow>& SettingCatalogue();
const SettingRow& Setting(SettingKey key);
// The row whose name is given, or null.
const SettingRow* SettingNamed(const QString& name);
// The setting and its part that an option or a plan's column gives; null for none.
struct PartOfSetting {
    const SettingRow* setting = nullptr;
    size_t part = 0;
};
PartOfSetting OptionPart(const QString& option);
PartOfSetting PlanColumnPart(const QString& column);

// The value of a record's cell or JSON value as text: numbers without a fraction.
QString RecordedText(const QJsonValue& value);
