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

Outcome SetFactoryDefault(ReaderSession& session) {
    ReaderSetting setting =
        TableRowSetting(session, RowSetDefault, RowSetDefaultOk, RowSetDefaultError,
                        [] { return FactoryDefaultCommand; });
    setting.tries = FactoryDefaultTries;
    // The controls keep the factory values also when the reader does not confirm.
    setting.preparation = [&session] { ShowFactoryValues(session.view()); };
    return ApplyReaderSetting(session, setting);
}

Outcome ResetReader(ReaderSession& session) {
    const WaitModeScope waitMode(session.view());
    if (!session.ReaderFound) {
        RefuseWithoutReader(session);
        return Outcome::NoReader;
    }
    session.view().ShowText(Panel::Msg, session.Text(RowReaderReset));

    // No presence check and a single try: the reader restarts as it answers.
    bool confirmed = false;
    {
        const PortScope port(session);
        if (port.isOpen()) {
            session.link().Sleep(PauseBeforeResetMs);
            confirmed = session.link().SendCommand(ReaderResetCommand);
        }
    }
    if (!confirmed) {
        ShowFailure(session, session.Text(RowReaderResetError));
        return Outcome::Failure;
    }
    ShowSuccess(session, session.Text(RowReaderResetOk));
    return Outcome::Success;
}
