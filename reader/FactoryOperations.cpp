// The factory default and the restart of the reader.
#include "OperationScopes.h"
#include "ReaderOperations.h"
#include "TextTable.h"

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
        TableRowSetting(context, RowSetDefault, RowSetDefaultOk, RowSetDefaultError,
                        [] { return FactoryDefaultCommand; });
    setting.tries = FactoryDefaultTries;
    // The controls keep the factory values also when the reader does not confirm.
    setting.preparation = [&context] { ShowFactoryValues(context.view()); };
    return ApplyReaderSetting(context, setting);
}

Outcome ResetReader(ReaderContext& context) {
    const WaitModeScope waitMode(context.view());
    if (!context.ReaderFound) {
        RefuseWithoutReader(context);
        return Outcome::NoReader;
    }
    context.view().ShowText(Panel::Msg, context.Text(RowReaderReset));

    // No presence check and a single try: the reader restarts as it answers.
    bool confirmed = false;
    {
        const PortScope port(context);
        if (port.isOpen()) {
            context.link().Sleep(PauseBeforeResetMs);
            confirmed = context.link().SendCommand(ReaderResetCommand);
        }
    }
    if (!confirmed) {
        ShowFailure(context, context.Text(RowReaderResetError));
        return Outcome::Failure;
    }
    ShowSuccess(context, context.Text(RowReaderResetOk));
    return Outcome::Success;
}
