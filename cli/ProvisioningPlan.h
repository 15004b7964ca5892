#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "SettingCatalogue.h"

// A site's plan for provisioning: which reader, by its serial number, gets which number and
// settings. Read from a CSV file with a header row; columns serial and number are required,
// the other settings' columns (line-speed, same-card, input, rs485 with wiegand, rssi) and
// label optional.
struct PlanRow {
    QByteArray serial;
    int line = 0;  // in the file, from 1
    SettingValues
        values;     // the number (SettingKey::Id) always; the others where the row gives them
    QString label;  // free text: the door or lane
};

struct ProvisioningPlan {
    std::vector<PlanRow> rows;

    const PlanRow* Find(const QByteArray& serial) const;
};

// The plan in `text`, UTF-8: a cell that is not text (not UTF-8, a control character) is a
// mistake. A mistake throws the one line that names the file, line and column, in the run's
// language, quoting at most a short, escaped excerpt of what it read.
ProvisioningPlan ParsePlan(const QString& fileName, const QByteArray& text);
// The plan in a regular file of at most 1 MiB; a link to one is followed, a FIFO, device or
// folder refused.
ProvisioningPlan ReadPlan(const QString& path);
