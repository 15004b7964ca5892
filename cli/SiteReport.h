#pragma once

#include <QJsonObject>
#include <QStringList>
#include <vector>

#include "SiteState.h"

// The site for people: one line for each door, then a line for each thing there that needs a
// look ("  ! Door 1: ..."), the plan's doors not yet done, and a closing count. Every text from
// the record or the plan is escaped for the terminal.
QStringList SiteLines(const Site& site);
// The site for scripts: one object for each door, the plan's doors not yet done among them.
std::vector<QJsonObject> SiteObjects(const Site& site);
