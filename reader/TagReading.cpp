#include "FrameCodec.h"
#include "ReaderOperations.h"
#include "TextTable.h"

namespace {

QString TagCaption(const ReaderContext& context, const QByteArray& tagText) {
    const qint32 value = HexToInt(tagText);
    return context.Text(RowTagId) + QString::asprintf(" : %010d  ", value) +
           QString::fromLatin1(tagText) + "(H)";
}

// One pass: keep the window alive for 80 ms, then ask the reader for a tag. Turn k ends at
// the pass's start plus k ms, so the sleeps' overshoots are not carried from turn to turn; a
// turn whose dispatching ran past its mark does not sleep.
void ReadingPass(ReaderContext& context) {
    ReaderView& view = context.view();
    Clock& clock = context.clock();
    const quint64 startUs = clock.NowUs();
    for (int turn = 1; turn <= TurnsPerReadingPass; ++turn) {
        view.ProcessMessages();
        clock.SleepUntilUs(startUs + quint64(turn) * 1000);
    }
    ReaderLink& link = context.link();
    if (!link.SendCommand(ReadTagCommand) || link.LastReply().ReplyLength != TagReplyLength) return;

    const QByteArray tagText = link.LastReply().ReplyText.mid(TagPosition - 1, TagLength);
    view.ShowText(Panel::CardId, TagCaption(context, tagText));
    view.ShowColour(Indicator::Card, Colour::Yellow);
    // Started only from the stopped state: a tag read while it runs does not push the white
    // back.
    if (!view.CardTimerRunning()) view.StartCardTimer();
    context.Beep(TagReadTone);
}

void ShowOpenError(ReaderContext& context) {
    context.view().ShowColour(Indicator::Comm, Colour::Red);
    context.view().ShowText(Panel::Msg, context.Text(RowOpenCom) + " : " +
                                            QString::number(context.ScanCommNo) + " " +
                                            context.Text(RowError));
    context.Beep(FailureTone);
}

}  // namespace

void ReadTags(ReaderContext& context) {
    ReaderView& view = context.view();
    if (!context.ReaderFound) {
        view.ShowText(Panel::Msg, context.Text(RowStartScanReader));
        context.Beep(FailureTone);
        return;
    }
    if (context.TagReading) {  // the cancel click; the run ends after its pass
        context.TagReading = false;
        return;
    }
    if (context.ReadingRunActive) return;  // stopping: the port is still held

    context.ReadingRunActive = true;
    context.TagReading = true;
    view.LockForReading(context.Text(RowCancelReadTag));

    ReaderLink& link = context.link();
    if (link.OpenPort(context.ScanCommNo, context.ScanBaudRate)) {
        view.SetBusy(true);
        view.EnableInput();  // the read button is now the cancel button
        while (context.TagReading) ReadingPass(context);
        view.SetBusy(false);
        view.ShowColour(Indicator::Comm, Colour::Yellow);
        context.Beep(SuccessTone);
        view.ShowColour(Indicator::Card, Colour::White);
        link.ClosePort();
    } else {
        ShowOpenError(context);
        context.TagReading = false;
    }

    view.ShowText(Panel::CardId, context.Text(RowTagId));
    view.UnlockAfterReading();
    context.ReadingRunActive = false;
}
