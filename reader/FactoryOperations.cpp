// The factory default and the restart of the reader.
#include "TextTable.h"
#include "internal/SettingRoad.h"

namespace {

constexpr int FactoryDefaultTries = 2;

// The window's values as the reader leaves the factory, in this order; each change handler
// runs only when its position really changes.
void ShowFactoryValues(ReaderView& view) {
    view.MoveTo(ValueControl::RadioAddress, FactoryRadioAddress);
    view.MoveTo(ValueControl::RadioFrequency, FactoryRadioFrequency);
    view.MoveTo(ValueControl::RadioChannel, FactoryRadioChannel);
    view.MoveTo(ValueControl::SameCard, FactorySameCardSeconds);
    view.MoveTo(ValueControl::ReaderNumber, FactoryReaderNumber);
    view.SelectLineSetting(FactoryLineIndex);
}

}  // namespace

Outcome SetFactoryDefault(ReaderContext& context) {
    ReaderSetting setting =
        TableRowSetting(context, RowSetDefault, RowSetDefaultOk, RowSetDefaultError);
    setting.commandRule = [](const QByteArray&) { return FactoryDefaultCommand; };
    setting.tries = FactoryDefaultTries;
    // The controls keep the factory values also when the reader does not confirm.
    setting.preparation = [&context] { ShowFactoryValues(context.view()); };
    return ApplyReaderSetting(context, setting);
}

Outcome ResetReader(ReaderContext& context) {
    ReaderSetting setting =
        TableRowSetting(context, RowReaderReset, RowReaderResetOk, RowReaderResetError);
    // No presence check and a single try: the reader restarts as it answers.
    setting.commandRule = [](const QByteArray&) { return ReaderResetCommand; };
    setting.tries = 1;
    setting.presenceCheck = false;
    setting.pauseBeforeCommandMs = PauseBeforeResetMs;
    return ApplyReaderSetting(context, setting);
}
