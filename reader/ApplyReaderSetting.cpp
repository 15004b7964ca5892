#include "ReaderLink.h"
#include "ReaderOperations.h"
#include "SettingOutcome.h"
#include "TfrmModule.h"

namespace {

// The presence check before every setting command: the reader-information request, whose
// reply is a 12-character body, 16 bytes from its LF to its CR.
const QByteArray PresenceCommand = "A00B";
constexpr int PresenceReplyLength = 16;

// The tries of one operation on the open port. True once the reader has confirmed the
// setting command; the success action has then run.
bool SendSetting(ReaderLink& link, const ReaderSetting& setting) {
    for (int attempt = 0; attempt < setting.tries; ++attempt) {
        link.Sleep(PauseBeforeCommandMs);
        if (!link.SendCommand(PresenceCommand) || link.ReplyLength != PresenceReplyLength) continue;
        link.Sleep(PauseBeforeCommandMs);
        // Formed after this try's presence check: the rule may read its reply.
        const QByteArray command = setting.commandRule ? setting.commandRule() : QByteArray();
        if (command.isEmpty()) return false;
        if (link.SendCommand(command)) {
            if (setting.successAction) setting.successAction();
            return true;
        }
    }
    return false;
}

}  // namespace

void ApplyReaderSetting(TfrmModule& form, const ReaderSetting& setting) {
    const WaitModeScope waitMode(form);
    if (!form.ReaderFound) {
        RefuseWithoutReader(form);
        return;
    }
    if (setting.preparation) setting.preparation();
    form.pnMsg->setCaption(setting.startText ? setting.startText() : QString());

    bool confirmed = false;
    {
        const PortScope port(form.link(), form.ScanCommNo, form.ScanBaudRate);
        if (port.isOpen()) confirmed = SendSetting(form.link(), setting);
    }
    if (confirmed)
        ShowSuccess(form, setting.successText);
    else
        ShowFailure(form, setting.failureText);
}
