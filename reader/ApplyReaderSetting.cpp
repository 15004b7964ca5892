#include "TextTable.h"
#include "internal/PresenceCheck.h"
#include "internal/SettingRoad.h"

namespace {

// Wait mode for the whole of a setting operation: hourglass and disabled window from the
// constructor, window and cursor back on every way out.
class WaitModeScope {
  public:
    explicit WaitModeScope(ReaderView& view) : view_(view) { view_.SetWaitMode(true); }
    ~WaitModeScope() { view_.SetWaitMode(false); }
    WaitModeScope(const WaitModeScope&) = delete;
    WaitModeScope& operator=(const WaitModeScope&) = delete;

  private:
    ReaderView& view_;
};

// The port of one operation: opened with the found reader's port and line setting, closed
// when the scope ends if the open succeeded.
class PortScope {
  public:
    explicit PortScope(ReaderContext& context)
        : link_(context.link()),
          open_(link_.OpenPort(context.ScanCommNo, context.ScanBaudRate).opened()) {}
    ~PortScope() {
        if (open_) link_.ClosePort();
    }
    PortScope(const PortScope&) = delete;
    PortScope& operator=(const PortScope&) = delete;
    bool isOpen() const { return open_; }

  private:
    ReaderLink& link_;
    bool open_;
};

void ShowOutcome(ReaderContext& context, Colour colour, const QString& text, Tone tone) {
    context.view().ShowColour(Indicator::Comm, colour);
    context.view().ShowText(Panel::Msg, text);
    context.Beep(tone);
}

void ShowFailure(ReaderContext& context, const QString& text) {
    ShowOutcome(context, Colour::Red, text, FailureTone);
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

ReaderSetting TableRowSetting(const ReaderContext& context, int startRow, int successRow,
                              int failureRow) {
    ReaderSetting setting;
    setting.startText = context.Text(startRow);
    setting.successText = context.Text(successRow);
    setting.failureText = context.Text(failureRow);
    return setting;
}

Outcome ApplyReaderSetting(ReaderContext& context, const ReaderSetting& setting) {
    const WaitModeScope waitMode(context.view());
    if (!context.ReaderFound) {
        // No scan has found a reader yet: nothing is sent.
        ShowFailure(context, context.Text(RowStartScanReader));
        return Outcome::NoReader;
    }
    if (!setting.commandRule) {
        ShowFailure(context, setting.failureText);
        return Outcome::Failure;
    }
    if (setting.preparation) setting.preparation();
    context.view().ShowText(Panel::Msg, setting.startText);

    bool confirmed = false;
    bool gone = false;
    {
        const PortScope port(context);
        if (port.isOpen()) confirmed = SendSetting(context.link(), setting);
        gone = context.link().PortGone();
    }
    if (!confirmed) {
        ShowFailure(context, setting.failureText);
        return gone ? Outcome::PortGone : Outcome::Failure;
    }
    ShowOutcome(context, Colour::Yellow, setting.successText, SuccessTone);
    return Outcome::Success;
}
