#include "TextTable.h"
#include "internal/PresenceCheck.h"
#include "internal/SettingRoad.h"
#include "internal/Steps.h"

namespace {

// Wait mode for the whole of a setting operation: hourglass and disabled window from the
// constructor, window and cursor back on every way out.
class WaitModeScope {
  public:
    explicit WaitModeScope(ReaderContext& context) : context_(context) {
        ReportStep(context_, OperationStep::Kind::Waiting, true);
    }
    ~WaitModeScope() { ReportStep(context_, OperationStep::Kind::Waiting, false); }
    WaitModeScope(const WaitModeScope&) = delete;
    WaitModeScope& operator=(const WaitModeScope&) = delete;

  private:
    ReaderContext& context_;
};

// The port of one operation: opened with the found reader's port and line setting, closed
// when the scope ends if the open succeeded.
class PortScope {
  public:
    explicit PortScope(ReaderContext& context)
        : link_(context.link()), open_(link_.OpenPort(context.ScanCommNo, context.ScanBaudRate)) {}
    ~PortScope() {
        if (open_) link_.ClosePort();
    }
    PortScope(const PortScope&) = delete;
    PortScope& operator=(const PortScope&) = delete;
    bool isOpen() const { return open_.opened(); }
    // The found reader's device is no longer there: it went away after the scan.
    bool deviceGone() const { return open_.absent(); }

  private:
    ReaderLink& link_;
    OpenResult open_;
};

SettingResult ShowOutcome(ReaderContext& context, Outcome outcome, const Message& message) {
    const bool success = outcome == Outcome::Success;
    ReportStep(context, OperationStep::Kind::Verdict, success);
    ReportMessage(context, message);
    context.Beep(success ? SuccessTone : FailureTone);
    return {outcome, message};
}

// The tries of one operation on the open port. True once the reader has confirmed the
// setting command; the success action has then run.
bool SendSetting(ReaderLink& link, const ReaderSetting& setting) {
    for (int attempt = 0; attempt < setting.tries && !link.PortGone(); ++attempt) {
        if (setting.presenceCheck && !AskPresence(link, 1)) continue;
        link.Sleep(setting.pauseBeforeCommandMs);
        // Formed after this try's presence check: the rule may read its reply. A reply cut
        // short gives no command; the next try asks again rather than send a cut one.
        const QByteArray command = setting.commandRule(link.LastReply().ReplyText);
        if (command.isEmpty()) continue;
        if (link.SendCommand(command)) {
            if (setting.successAction) setting.successAction();
            return true;
        }
    }
    return false;
}

}  // namespace

ReaderSetting TableRowSetting(int startRow, int successRow, int failureRow) {
    ReaderSetting setting;
    setting.startText = Message::Row(startRow);
    setting.successText = Message::Row(successRow);
    setting.failureText = Message::Row(failureRow);
    return setting;
}

SettingResult ApplyReaderSetting(ReaderContext& context, const ReaderSetting& setting) {
    const WaitModeScope waitMode(context);
    // No scan has found a reader yet: nothing is sent.
    if (!context.ReaderFound)
        return ShowOutcome(context, Outcome::NoReader, Message::Row(RowStartScanReader));
    if (!setting.commandRule) return ShowOutcome(context, Outcome::Failure, setting.failureText);
    if (setting.preparation) setting.preparation();
    ReportMessage(context, setting.startText);

    bool confirmed = false;
    bool gone = false;
    {
        const PortScope port(context);
        if (port.isOpen()) confirmed = SendSetting(context.link(), setting);
        gone = context.link().PortGone() || port.deviceGone();
    }
    if (!confirmed)
        return ShowOutcome(context, gone ? Outcome::PortGone : Outcome::Failure,
                           setting.failureText);
    return ShowOutcome(context, Outcome::Success, setting.successText);
}
