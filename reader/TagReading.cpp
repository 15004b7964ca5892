#include "FrameCodec.h"
#include "ReaderOperations.h"
#include "TextTable.h"
#include "internal/Steps.h"

namespace {

using Kind = OperationStep::Kind;

// A port whose device went away is opened again once the device is back; until then nothing
// is written. Whether it is back is looked at once a pass.
bool Reopen(ReaderContext& context, ReadingRunObserver* observer) {
    const QString samePlace = context.portNames().DevicePath(context.ScanCommNo);
    const QString device = observer ? observer->DeviceAfterLoss(samePlace) : samePlace;
    if (device.isEmpty()) return false;
    return context.link().OpenPortAt(context.ScanCommNo, device, context.ScanBaudRate).opened();
}

// One pass: keep the window alive for 80 ms, then ask the reader for a tag. Turn k ends at
// the pass's start plus k ms, so the sleeps' overshoots are not carried from turn to turn; a
// turn whose dispatching ran past its mark does not sleep.
ReadingPass ReadingPassOnce(ReaderContext& context, ReadingRunObserver* observer) {
    ReaderView& view = context.view();
    Clock& clock = context.clock();
    const quint64 startUs = clock.NowUs();
    for (int turn = 1; turn <= TurnsPerReadingPass; ++turn) {
        view.ProcessMessages();
        clock.SleepUntilUs(startUs + quint64(turn) * 1000);
    }
    ReaderLink& link = context.link();
    ReadingPass pass;
    if (!link.IsOpen()) {
        if (!Reopen(context, observer)) {
            pass.outcome = PassOutcome::PortGone;
            return pass;
        }
        pass.portBack = true;
    }
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
    OperationStep step;
    step.kind = Kind::TagRead;
    step.tag = pass.tag;
    view.Report(step);
    context.Beep(TagReadTone);
    return pass;
}

// "Open COM : 5 Error", or with the path of a device that no COM number reaches.
Message OpenError(const ReaderContext& context) {
    const int port = context.ScanCommNo;
    const QString name =
        port == PortNames::RunOnlyPort ? context.portNames().Label(port) : QString::number(port);
    return Message::Row(RowOpenCom).Append(" : " + name + " ").Append(Message::Row(RowError));
}

}  // namespace

ReadingRunResult ReadTags(ReaderContext& context, ReadingRunObserver* observer) {
    ReadingRunResult result;
    if (!context.ReaderFound) {
        // Refused like a setting operation, but the link indicator keeps its colour.
        result.message = Message::Row(RowStartScanReader);
        ReportMessage(context, result.message);
        context.Beep(FailureTone);
        result.end = ReadingRunEnd::NoReader;
        return result;
    }
    // A run holds the port, or is still finishing its pass after the cancel.
    if (context.TagReading || context.ReadingRunActive) return result;

    context.ReadingRunActive = true;
    context.TagReading = true;
    ReportStep(context, Kind::ReadingStarted);

    ReaderLink& link = context.link();
    result.open = link.OpenPort(context.ScanCommNo, context.ScanBaudRate);
    if (result.open) {
        ReportStep(context, Kind::Busy, true);
        ReportStep(context, Kind::ReadingListening);
        while (context.TagReading) {
            const ReadingPass pass = ReadingPassOnce(context, observer);
            if (pass.outcome == PassOutcome::TagRead) ++result.tags;
            if (observer) observer->PassEnded(pass);
        }
        ReportStep(context, Kind::Busy, false);
        ReportStep(context, Kind::Verdict, true);
        context.Beep(SuccessTone);
        ReportStep(context, Kind::ReadingStopped);
        // A port that went away and is not back is closed already.
        if (link.IsOpen()) link.ClosePort();
        result.end = ReadingRunEnd::Cancelled;
    } else {
        result.message = OpenError(context);
        ReportStep(context, Kind::Verdict, false);
        ReportMessage(context, result.message);
        context.Beep(FailureTone);
        context.TagReading = false;
        result.end = ReadingRunEnd::PortNotOpened;
    }

    ReportStep(context, Kind::ReadingEnded);
    context.ReadingRunActive = false;
    return result;
}

void CancelReadTags(ReaderContext& context) {
    context.TagReading = false;
}
