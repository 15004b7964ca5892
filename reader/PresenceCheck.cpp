#include "internal/PresenceCheck.h"

#include "ReaderOperations.h"

bool AskPresence(ReaderLink& link, int tries, ReplyCounts* replies) {
    for (int attempt = 0; attempt < tries; ++attempt) {
        link.Sleep(PauseBeforeCommandMs);
        const bool checked = link.SendCommand(ReaderInfoCommand);
        if (replies) replies->Count(link.Verdict(ReaderInfoReplyLength), link.EchoSetAside());
        if (checked && link.LastReply().ReplyLength == ReaderInfoReplyLength) return true;
    }
    return false;
}

Presence CheckPresence(ReaderContext& context) {
    ReaderLink& link = context.link();
    Presence presence;
    presence.open = link.OpenPort(context.ScanCommNo, context.ScanBaudRate);
    if (!presence.open) return presence;
    presence.answered = AskPresence(link, 1);
    presence.portGone = link.PortGone();
    if (presence.answered) {
        const QByteArray& reply = link.LastReply().ReplyText;
        presence.serialNumber = reply.mid(SerialNumberPosition - 1, SerialNumberLength);
        presence.readerNumber = reply.mid(ReaderNumberPosition - 1, 2);
    }
    link.ClosePort();
    return presence;
}
