// The card-handling and input settings: same-card time, input polarity, output formats.
#include "OperationScopes.h"
#include "ReaderOperations.h"
#include "SettingCommands.h"
#include "TextTable.h"

Outcome SetSameCard(ReaderContext& context, int seconds) {
    return ApplyReaderSetting(
        context, TableRowSetting(context, RowSetSameCard, RowSetSameCardOk, RowSetSameCardError,
                                 [seconds] { return SameCardCommand(seconds); }));
}

Outcome SetInputNoNc(ReaderContext& context, bool normallyOpen) {
    return ApplyReaderSetting(
        context, TableRowSetting(context, RowSetDiNoNc, RowSetDiNoNcOk, RowSetDiNoNcError,
                                 [normallyOpen] { return InputPolarityCommand(normallyOpen); }));
}

Outcome SetReaderMode(ReaderContext& context, int rs485Index, int wiegandIndex) {
    return ApplyReaderSetting(
        context, TableRowSetting(context, RowSetReaderMode, RowSetReaderModeOk,
                                 RowSetReaderModeError, [rs485Index, wiegandIndex] {
                                     return ReaderModeCommand(rs485Index, wiegandIndex);
                                 }));
}
