#include "OperationScopes.h"
#include "ReaderOperations.h"

namespace {

// The tries of one operation on the open port. True once the reader has confirmed the
// setting command; the success action has then run.
bool SendSetting(ReaderLink& link, const ReaderSetting& setting) {
    for (int attempt = 0; attempt < setting.tries; ++attempt) {
        link.Sleep(PauseBeforeCommandMs);
        if (!link.SendCommand(ReaderInfoCommand) ||
            link.LastReply().ReplyLength != ReaderInfoReplyLength)
            continue;
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

Outcome ApplyReaderSetting(ReaderContext& context, const ReaderSetting& setting) {
    const WaitModeScope waitMode(context.view());
    if (!context.ReaderFound) {
        RefuseWithoutReader(context);
        return Outcome::NoReader;
    }
    if (setting.preparation) setting.preparation();
    context.view().ShowText(Panel::Msg, setting.startText ? setting.startText() : QString());

    bool confirmed = false;
    {
        const PortScope port(context);
        if (port.isOpen()) confirmed = SendSetting(context.link(), setting);
    }
    if (!confirmed) {
        ShowFailure(context, setting.failureText);
        return Outcome::Failure;
    }
    ShowSuccess(context, setting.successText);
    return Outcome::Success;
}
