#pragma once

#include <QString>
#include <vector>

#include "PortInventory.h"

// A serial device or COM link that appeared or went between two looks at the ports.
struct PortChange {
    enum class Kind { Appeared, Gone };
    Kind kind = Kind::Appeared;
    PortEntry entry;  // as it is now; for one that went, as it was before
};

// What changed from one look to the next: first what went, then what appeared, each in the
// inventory's order. A COM number that now leads to another device went and appeared again; a
// device that a COM number comes to reach, or no longer reaches, is the COM number's change
// alone, not a device of its own that came or went.
std::vector<PortChange> PortChanges(const PortInventory& before, const PortInventory& after);

// "appeared", "gone".
QString PortChangeName(PortChange::Kind kind);
