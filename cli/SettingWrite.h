#pragma once

#include "ConsoleContext.h"
#include "SettingCatalogue.h"

// One setting of the catalogue written to the found reader, as the window's button writes it.
// A new line setting is followed by a search at it, which keeps the new place; when that does
// not find the reader, the search's own message ("Reader Not Find") is the outcome's.
SettingResult WriteSetting(ConsoleContext& console, const SettingRow& setting,
                           const SettingValue& value);
