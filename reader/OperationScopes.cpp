#include "OperationScopes.h"

#include "TextTable.h"

namespace {

void ShowOutcome(ReaderSession& session, Colour colour, const QString& text, Tone tone) {
    session.view().ShowColour(Indicator::Comm, colour);
    session.view().ShowText(Panel::Msg, text);
    session.Beep(tone);
}

}  // namespace

void ShowSuccess(ReaderSession& session, const QString& text) {
    ShowOutcome(session, Colour::Yellow, text, SuccessTone);
}

void ShowFailure(ReaderSession& session, const QString& text) {
    ShowOutcome(session, Colour::Red, text, FailureTone);
}

void RefuseWithoutReader(ReaderSession& session) {
    ShowFailure(session, session.Text(RowStartScanReader));
}

ReaderSetting TableRowSetting(ReaderSession& session, int startRow, int successRow, int failureRow,
                              std::function<QByteArray()> commandRule) {
    ReaderSetting setting;
    setting.startText = [&session, startRow] { return session.Text(startRow); };
    setting.successText = session.Text(successRow);
    setting.failureText = session.Text(failureRow);
    setting.commandRule = std::move(commandRule);
    return setting;
}
