// The card-handling and input settings: same-card time, input polarity, output formats.
#include "OperationScopes.h"
#include "ReaderOperations.h"
#include "SettingCommands.h"
#include "TextTable.h"

Outcome SetSameCard(ReaderSession& session, int seconds) {
    return ApplyReaderSetting(
        session, TableRowSetting(session, RowSetSameCard, RowSetSameCardOk, RowSetSameCardError,
                                 [seconds] { return SameCardCommand(seconds); }));
}

Outcome SetInputNoNc(ReaderSession& session, bool normallyOpen) {
    return ApplyReaderSetting(
        session, TableRowSetting(session, RowSetDiNoNc, RowSetDiNoNcOk, RowSetDiNoNcError,
                                 [normallyOpen] { return InputPolarityCommand(normallyOpen); }));
}

Outcome SetReaderMode(ReaderSession& session, int rs485Index, int wiegandIndex) {
    return ApplyReaderSetting(
        session, TableRowSetting(session, RowSetReaderMode, RowSetReaderModeOk,
                                 RowSetReaderModeError, [rs485Index, wiegandIndex] {
                                     return ReaderModeCommand(rs485Index, wiegandIndex);
                                 }));
}
