#include "KeptSettingsPolicy.h"

namespace {

// False when the value is of another type than `type`: the loading ends there.
bool Take(const RawKeptValue& value, RawKeptValue::Type type) {
    return value.type == RawKeptValue::Type::Missing || value.type == type;
}

}  // namespace

void ApplyKeptValues(const RawKeptSettings& raw, KeptSettings& settings) {
    using Type = RawKeptValue::Type;
    const KeptSettings defaults;

    if (!Take(raw.ScanCommNo, Type::Integer)) return;
    settings.ScanCommNo =
        raw.ScanCommNo.type == Type::Integer ? raw.ScanCommNo.integer : defaults.ScanCommNo;

    if (!Take(raw.ScanBaudRate, Type::Text)) return;
    settings.ScanBaudRate =
        raw.ScanBaudRate.type == Type::Text ? raw.ScanBaudRate.text : defaults.ScanBaudRate;

    if (!Take(raw.ScanBaudRateNo, Type::Integer)) return;
    // An index outside the line-setting table would select nothing.
    const bool found = raw.ScanBaudRateNo.type == Type::Integer;
    const int textIndex = LineSettingIndex(settings.ScanBaudRate);
    settings.ScanBaudRateNo = found && IsLineIndex(raw.ScanBaudRateNo.integer)
                                  ? raw.ScanBaudRateNo.integer
                              : found && textIndex >= 0 ? textIndex
                                                        : defaults.ScanBaudRateNo;

    if (!Take(raw.LanguageFlag, Type::Text)) return;
    settings.LanguageFlag =
        raw.LanguageFlag.type == Type::Text ? raw.LanguageFlag.text : defaults.LanguageFlag;
}
