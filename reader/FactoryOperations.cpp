// The factory default and the restart of the reader.
#include "TextTable.h"
#include "internal/SettingRoad.h"
#include "internal/Steps.h"

namespace {

constexpr int FactoryDefaultTries = 2;

}  // namespace

SettingResult SetFactoryDefault(ReaderContext& context) {
    ReaderSetting setting = TableRowSetting(RowSetDefault, RowSetDefaultOk, RowSetDefaultError);
    setting.commandRule = [](const QByteArray&) { return FactoryDefaultCommand; };
    setting.tries = FactoryDefaultTries;
    // The values to write go back to the factory ones also when the reader does not confirm.
    setting.preparation = [&context] { ReportStep(context, OperationStep::Kind::FactoryValues); };
    return ApplyReaderSetting(context, setting);
}

SettingResult ResetReader(ReaderContext& context) {
    ReaderSetting setting = TableRowSetting(RowReaderReset, RowReaderResetOk, RowReaderResetError);
    // No presence check and a single try: the reader restarts as it answers.
    setting.commandRule = [](const QByteArray&) { return ReaderResetCommand; };
    setting.tries = 1;
    setting.presenceCheck = false;
    setting.pauseBeforeCommandMs = PauseBeforeResetMs;
    return ApplyReaderSetting(context, setting);
}
