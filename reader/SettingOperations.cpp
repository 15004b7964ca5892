// The card-handling and input settings: same-card time, input polarity, output formats.
#include "OperationScopes.h"
#include "ReaderOperations.h"
#include "SettingCommands.h"
#include "TextTable.h"

void SetSameCard(ReaderSession& session, int seconds) {
    ApplyReaderSetting(
        session, TableRowSetting(session, RowSetSameCard, RowSetSameCardOk, RowSetSameCardError,
                                 [seconds] { return SameCardCommand(seconds); }));
}

void SetInputNoNc(ReaderSession& session, bool normallyOpen) {
    ApplyReaderSetting(
        session, TableRowSetting(session, RowSetDiNoNc, RowSetDiNoNcOk, RowSetDiNoNcError,
                                 [normallyOpen] { return InputPolarityCommand(normallyOpen); }));
}

void SetReaderMode(ReaderSession& session, int rs485Index, int wiegandIndex) {
    ApplyReaderSetting(session, TableRowSetting(session, RowSetReaderMode, RowSetReaderModeOk,
                                                RowSetReaderModeError, [rs485Index, wiegandIndex] {
                                                    return ReaderModeCommand(rs485Index,
                                                                             wiegandIndex);
                                                }));
}
