#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

#include "RecordReader.h"
#include "RecordValues.h"

struct ProvisioningPlan;

// The site as its record says it stands: one door per label, each with the reader in service
// there and what that reader holds. The reader cannot be asked for its settings; the record is
// all there is to know them by.

// A reader by its serial number, after the last entry the record holds of it.
struct SiteReader {
    QString serial;
    QString label;                // the last it was written under; empty without one
    QStringList earlierLabels;    // others it was written under before
    QString number;               // its reader number, as it told or took it
    SettingTexts settings;        // the last confirmed value of each setting
    QDateTime written;            // its last entry
    QString result;               // that entry's: "ok", "error" or "port-gone"
    QString failed, failedValue;  // the setting that entry sent and the reader did not confirm
    QString file;                 // where that entry is
    int line = 0;
};

// Where a door differs from the plan's row for it: a setting, "serial" or "label".
struct PlanDifference {
    QString key;
    QString planned;
    QString held;  // empty: the record holds no value
};

// A label, or the serial number of a reader written without one, and its reader in service.
// Two readers in service under one label are two doors of the same name.
struct SiteDoor {
    QString door;
    SiteReader reader;
    QStringList replaced;  // readers this one took the place of: written here before it
                           // and given the number it was then given
    // Others of a kind, how many there are and the first few by name: on a site of thousands of
    // doors each reader number has hundreds.
    struct Others {
        static constexpr int Named = 10;
        int count = 0;
        QStringList first;
        bool IsEmpty() const { return count == 0; }
    };
    Others numberAlsoAt;   // other doors whose reader holds the same number
    Others alsoInService;  // other readers in service under the same label
    int planLine = 0;      // the plan's row for the door, 0 without one
    std::vector<PlanDifference> differences;

    bool LastWriteFailed() const { return reader.result != QLatin1String("ok"); }
    bool NeedsALook() const;
};

// A row of the plan that no door of the record answers.
struct PlannedDoor {
    QString door;  // the plan's label, or its serial number
    QString serial;
    QString number;
    int line = 0;
};

struct Site {
    std::vector<SiteDoor> doors;  // in the order they were first written
    std::vector<PlannedDoor> notDone;
    bool withPlan = false;
};

// The site of entries in time order (ReadRecords), and with a plan what is still to do there.
// A value counts as held when the reader confirmed it: every setting of an entry whose result
// is "ok", and of an entry that failed every setting but the one it names in "failed". A
// confirmed factory default leaves the factory values.
Site SiteOf(const std::vector<RecordedEntry>& entries, const ProvisioningPlan* plan = nullptr);
