#include "OperationScopes.h"

#include "TextTable.h"

namespace {

void ShowOutcome(ReaderContext& context, Colour colour, const QString& text, Tone tone) {
    context.view().ShowColour(Indicator::Comm, colour);
    context.view().ShowText(Panel::Msg, text);
    context.Beep(tone);
}

}  // namespace

void ShowSuccess(ReaderContext& context, const QString& text) {
    ShowOutcome(context, Colour::Yellow, text, SuccessTone);
}

void ShowFailure(ReaderContext& context, const QString& text) {
    ShowOutcome(context, Colour::Red, text, FailureTone);
}

void RefuseWithoutReader(ReaderContext& context) {
    ShowFailure(context, context.Text(RowStartScanReader));
}

ReaderSetting TableRowSetting(ReaderContext& context, int startRow, int successRow, int failureRow,
                              std::function<QByteArray()> commandRule) {
    ReaderSetting setting;
    setting.startText = [&context, startRow] { return context.Text(startRow); };
    setting.successText = context.Text(successRow);
    setting.failureText = context.Text(failureRow);
    setting.commandRule = std::move(commandRule);
    return setting;
}
