#include "FrameCodec.h"
#include "ReaderOperations.h"
#include "TextTable.h"

namespace {

QString TagCaption(const ReaderSession& session, const QByteArray& tagText) {
    const qint32 value = HexToInt(tagText);
    return session.Text(RowTagId) + QString::asprintf(" : %010d  ", value) +
           QString::fromLatin1(tagText) + "(H)";
}

// One pass: keep the window alive for 80 ms, then ask the reader for a tag. Turn k ends at
// the pass's start plus k ms, so the sleeps' overshoots are not carried from turn to turn; a
// turn whose dispatching ran past its mark does not sleep.
void ReadingPass(ReaderSession& session) {
    ReaderView& view = session.view();
    Clock& clock = session.clock();
    const quint64 startUs = clock.NowUs();
    for (int turn = 1; turn <= TurnsPerReadingPass; ++turn) {
        view.ProcessMessages();
        clock.SleepUntilUs(startUs + quint64(turn) * 1000);
    }
    ReaderLink& link = session.link();
    if (!link.SendCommand(ReadTagCommand) || link.LastReply().ReplyLength != TagReplyLength) return;

    const QByteArray tagText = link.LastReply().ReplyText.mid(TagPosition - 1, TagLength);
    view.ShowText(Panel::CardId, TagCaption(session, tagText));
    view.ShowColour(Indicator::Card, Colour::Yellow);
    // Started only from the stopped state: a tag read while it runs does not push the white
    // back.
    if (!view.CardTimerRunning()) view.StartCardTimer();
    session.Beep(TagReadTone);
}

void ShowOpenError(ReaderSession& session) {
    session.view().ShowColour(Indicator::Comm, Colour::Red);
    session.view().ShowText(Panel::Msg, session.Text(RowOpenCom) + " : " +
                                            QString::number(session.ScanCommNo) + " " +
                                            session.Text(RowError));
    session.Beep(FailureTone);
}

}  // namespace

void ReadTags(ReaderSession& session) {
    ReaderView& view = session.view();
    if (!session.ReaderFound) {
        view.ShowText(Panel::Msg, session.Text(RowStartScanReader));
        session.Beep(FailureTone);
        return;
    }
    if (session.TagReading) {  // the cancel click; the run ends after its pass
        session.TagReading = false;
        return;
    }
    if (session.ReadingRunActive) return;  // stopping: the port is still held

    session.ReadingRunActive = true;
    session.TagReading = true;
    view.LockForReading(session.Text(RowCancelReadTag));

    ReaderLink& link = session.link();
    if (link.OpenPort(session.ScanCommNo, session.ScanBaudRate)) {
        view.SetBusy(true);
        view.EnableInput();  // the read button is now the cancel button
        while (session.TagReading) ReadingPass(session);
        view.SetBusy(false);
        view.ShowColour(Indicator::Comm, Colour::Yellow);
        session.Beep(SuccessTone);
        view.ShowColour(Indicator::Card, Colour::White);
        link.ClosePort();
    } else {
        ShowOpenError(session);
        session.TagReading = false;
    }

    view.ShowText(Panel::CardId, session.Text(RowTagId));
    view.UnlockAfterReading();
    session.ReadingRunActive = false;
}
