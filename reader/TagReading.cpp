#include "FrameCodec.h"
#include "ReaderOperations.h"
#include "TextTable.h"

namespace {

QString TagCaption(const ReaderContext& context, const Tag& tag) {
    return context.Text(RowTagId) + QString::asprintf(" : %010d  ", tag.number) +
           QString::fromLatin1(tag.hex) + "(H)";
}

// One pass: keep the window alive for 80 ms, then ask the reader for a tag. Turn k ends at
// the pass's start plus k ms, so the sleeps' overshoots are not carried from turn to turn; a
// turn whose dispatching ran past its mark does not sleep.
ReadingPass ReadingPassOnce(ReaderContext& context) {
    ReaderView& view = context.view();
    Clock& clock = context.clock();
    const quint64 startUs = clock.NowUs();
    for (int turn = 1; turn <= TurnsPerReadingPass; ++turn) {
        view.ProcessMessages();
        clock.SleepUntilUs(startUs + quint64(turn) * 1000);
    }
    ReaderLink& link = context.link();
    ReadingPass pass;
    if (!link.SendCommand(ReadTagCommand)) {
        if (link.PortGone()) pass.outcome = PassOutcome::PortGone;
        return pass;
    }
    if (link.LastReply().ReplyLength != TagReplyLength) {
        pass.outcome = PassOutcome::NoTag;
        return pass;
    }

    pass.outcome = PassOutcome::TagRead;
    pass.tag.hex = link.LastReply().ReplyText.mid(TagPosition - 1, TagLength);
    pass.tag.number = HexToInt(pass.tag.hex);
    view.ShowText(Panel::CardId, TagCaption(context, pass.tag));
    view.ShowColour(Indicator::Card, Colour::Yellow);
    // Started only from the stopped state: a tag read while it runs does not push the white
    // back.
    if (!view.CardTimerRunning()) view.StartCardTimer();
    context.Beep(TagReadTone);
    return pass;
}

void ShowOpenError(ReaderContext& context) {
    context.view().ShowColour(Indicator::Comm, Colour::Red);
    context.view().ShowText(Panel::Msg, context.Text(RowOpenCom) + " : " +
                                            QString::number(context.ScanCommNo) + " " +
                                            context.Text(RowError));
    context.Beep(FailureTone);
}

}  // namespace

ReadingRunResult ReadTags(ReaderContext& context, ReadingRunObserver* observer) {
    ReaderView& view = context.view();
    ReadingRunResult result;
    if (!context.ReaderFound) {
        // Refused like a setting operation, but shComm keeps its colour.
        view.ShowText(Panel::Msg, context.Text(RowStartScanReader));
        context.Beep(FailureTone);
        result.end = ReadingRunEnd::NoReader;
        return result;
    }
    if (context.TagReading) {  // the cancel click; the run ends after its pass
        context.TagReading = false;
        return result;
    }
    if (context.ReadingRunActive) return result;  // stopping: the port is still held

    context.ReadingRunActive = true;
    context.TagReading = true;
    view.LockForReading(context.Text(RowCancelReadTag));

    ReaderLink& link = context.link();
    result.open = link.OpenPort(context.ScanCommNo, context.ScanBaudRate);
    if (result.open) {
        view.SetBusy(true);
        view.EnableInput();  // the read button is now the cancel button
        while (context.TagReading) {
            const ReadingPass pass = ReadingPassOnce(context);
            if (pass.outcome == PassOutcome::TagRead) ++result.tags;
            if (observer) observer->PassEnded(pass);
        }
        view.SetBusy(false);
        view.ShowColour(Indicator::Comm, Colour::Yellow);
        context.Beep(SuccessTone);
        view.ShowColour(Indicator::Card, Colour::White);
        link.ClosePort();
        result.end = ReadingRunEnd::Cancelled;
    } else {
        ShowOpenError(context);
        context.TagReading = false;
        result.end = ReadingRunEnd::PortNotOpened;
    }

    view.ShowText(Panel::CardId, context.Text(RowTagId));
    view.UnlockAfterReading();
    context.ReadingRunActive = false;
    return result;
}
