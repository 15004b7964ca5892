// The card-handling and input settings: same-card time, input polarity, output formats.
#include "ReaderOperations.h"
#include "SettingCommands.h"
#include "SettingOutcome.h"
#include "TfrmModule.h"

void SetSameCard(TfrmModule& form) {
    ApplyReaderSetting(
        form, TableRowSetting(form, RowSetSameCard, RowSetSameCardOk, RowSetSameCardError,
                              [&form] { return SameCardCommand(form.pnSameCard->caption()); }));
}

void SetInputNoNc(TfrmModule& form) {
    ApplyReaderSetting(
        form, TableRowSetting(form, RowSetDiNoNc, RowSetDiNoNcOk, RowSetDiNoNcError, [&form] {
            // rbNC is the other of the pair: "not NO".
            return InputPolarityCommand(form.rbNO->isChecked());
        }));
}

void SetReaderMode(TfrmModule& form) {
    ApplyReaderSetting(
        form,
        TableRowSetting(form, RowSetReaderMode, RowSetReaderModeOk, RowSetReaderModeError, [&form] {
            return ReaderModeCommand(form.cmbRS485->currentIndex(),
                                     form.cmbWiegand->currentIndex());
        }));
}
