#include <optional>

#include "LineSetting.h"
#include "ReaderOperations.h"
#include "TextTable.h"
#include "internal/PresenceCheck.h"
#include "internal/Steps.h"

namespace {

using Kind = OperationStep::Kind;

constexpr int SavedPortTries = 3;
constexpr int ScanTries = 2;
constexpr int VersionTries = 3;

// A field of a reply by its 1-based position, as the reply layouts count; shorter when the
// reply ends early.
QByteArray ReplyField(const QByteArray& replyText, int position, int count) {
    return replyText.mid(position - 1, count);
}

void ShowScanCom(ReaderContext& context, int comNumber) {
    ReportMessage(context,
                  Message::Row(RowScanCom).Append(" : " + PortReference(context, comNumber)));
}

Message ReaderInfoOutcome(const ReaderContext& context, int row) {
    return Message::Row(row).Append(" : " + PortReference(context, context.ScanCommNo) + ")");
}

// The place where the reader answered, from the port's record and the presence reply.
void NoteIdentity(ScanResult& result, const PortTry& port, const QByteArray& presenceReply) {
    ReaderIdentity& reader = result.reader;
    result.answered = true;
    reader.place.comNumber = port.comNumber;
    reader.place.lineSetting = port.lines.back().lineSetting;
    reader.place.lineIndex = port.lines.back().lineIndex;
    reader.device = port.open.device;
    reader.serialNumber = ReplyField(presenceReply, SerialNumberPosition, SerialNumberLength);
    reader.readerNumber = ReplyField(presenceReply, ReaderNumberPosition, 2);
}

// The place where the last scan found the reader, taken as it is saved; an asked port stands
// in for the kept one.
bool TryKeptPlace(ReaderContext& context, const ScanOptions& options, ScanResult& result) {
    const int comNumber = options.onlyPort > 0 ? options.onlyPort : context.ScanCommNo;
    if (!options.tryKeptPlace || comNumber <= 0) return false;
    ReportLineSetting(context, context.ScanBaudRateNo);
    ReaderLink& link = context.link();
    PortTry port;
    port.comNumber = comNumber;
    port.keptPlace = true;
    port.open = link.OpenPort(comNumber, context.ScanBaudRate);
    if (!port.open) {
        result.ports.push_back(port);
        return false;
    }
    ShowScanCom(context, comNumber);
    const int index = LineSettingIndex(context.ScanBaudRate);
    port.lines.push_back({index, context.ScanBaudRate, {}});
    const bool found = AskPresence(link, SavedPortTries, &port.lines.back().replies);
    if (link.PortGone()) result.goneComNumber = comNumber;
    link.ClosePort();
    result.ports.push_back(port);
    if (!found) return false;
    NoteIdentity(result, port, link.LastReply().ReplyText);
    ReaderPlace place = context.Place();
    place.comNumber = comNumber;
    context.KeepPlace(place);
    return true;
}

// Whether an asked port was tried already at that line setting, or did not open, at the try
// of the kept place: it is tried once.
bool TriedAtKeptPlace(const ScanResult& result, int comNumber, const QString& lineSetting) {
    for (const PortTry& port : result.ports)
        if (port.keptPlace && port.comNumber == comNumber &&
            (!port.open || port.lines.front().lineSetting == lineSetting))
            return true;
    return false;
}

// COM1 to COM16 (or the asked port alone), each at every line setting of the table or,
// locked, at the saved one only. The place of the reader is kept the moment it answers.
bool ScanPorts(ReaderContext& context, const ScanOptions& options, ScanResult& result) {
    ReaderLink& link = context.link();
    const int first = options.onlyPort > 0 ? options.onlyPort : PortNames::FirstComNumber;
    const int last = options.onlyPort > 0 ? options.onlyPort : PortNames::WindowPortCount;
    for (int comNumber = first; comNumber <= last; ++comNumber) {
        PortTry port;
        port.comNumber = comNumber;
        bool tried = false;
        bool found = false;
        for (int i = 0; i < int(LineSettingTable.size()); ++i) {
            int index = i;
            if (options.locked)  // an index from an edited store must not reach outside the table
                index =
                    IsLineIndex(context.ScanBaudRateNo) ? context.ScanBaudRateNo : FactoryLineIndex;
            const ReaderPlace place = ReaderPlace::At(comNumber, index);
            if (options.onlyPort > 0 && TriedAtKeptPlace(result, comNumber, place.lineSetting)) {
                if (options.locked) break;
                continue;
            }
            ReportLineSetting(context, index);
            tried = true;
            port.open = link.OpenPort(comNumber, place.lineSetting);
            // A port that does not open has no other line setting worth trying.
            if (!port.open) break;
            ShowScanCom(context, comNumber);
            port.lines.push_back({index, place.lineSetting, {}});
            found = AskPresence(link, ScanTries, &port.lines.back().replies);
            if (link.PortGone()) result.goneComNumber = comNumber;
            if (found) {
                context.KeepPlace(place);
                context.SaveScanSettings();
            }
            link.ClosePort();
            if (found || options.locked) break;
        }
        if (tried) result.ports.push_back(port);
        if (found) {
            NoteIdentity(result, port, link.LastReply().ReplyText);
            return true;
        }
    }
    return false;
}

// Asks the found reader for its firmware version; the version when it told it.
std::optional<QByteArray> ReadVersion(ReaderContext& context, ScanResult& result) {
    ReaderLink& link = context.link();
    const OpenResult open = link.OpenPort(context.ScanCommNo, context.ScanBaudRate);
    if (!open) {
        if (open.absent()) result.goneComNumber = context.ScanCommNo;
        return std::nullopt;
    }
    std::optional<QByteArray> version;
    for (int attempt = 0; attempt < VersionTries && !version; ++attempt) {
        link.Sleep(PauseBeforeCommandMs);
        if (!link.SendCommand(VersionCommand)) continue;
        link.Sleep(PauseBeforeCommandMs);
        version = ReplyField(link.LastReply().ReplyText, VersionPosition, VersionLength);
        result.reader.version = *version;
        ReportReader(context, Kind::VersionRead, result.reader);
        result.message = ReaderInfoOutcome(context, RowGetReaderInfoOk);
        ReportMessage(context, result.message);
        context.ReaderFound = true;
        ReportStep(context, Kind::Busy, false);
        ReportStep(context, Kind::Verdict, true);
    }
    if (link.PortGone()) result.goneComNumber = context.ScanCommNo;
    link.ClosePort();
    return version;
}

void ReportFailure(ReaderContext& context, const Message& message) {
    ReportMessage(context, message);
    ReportStep(context, Kind::Busy, false);
    ReportStep(context, Kind::Verdict, false);
    context.Beep(FailureTone);
}

}  // namespace

ScanResult ScanReader(ReaderContext& context, const ScanOptions& options) {
    ReportStep(context, Kind::Hourglass, true);
    ReportStep(context, Kind::Busy, true);
    ReportMessage(context, Message::Row(RowScanReader).Append(" ...."), Kind::ScanStarted);
    context.view().ProcessMessages();

    context.ReaderFound = false;
    const int keptPort = context.ScanCommNo;
    ScanResult result;
    const bool atKeptPlace = TryKeptPlace(context, options, result);
    if (!atKeptPlace) ScanPorts(context, options, result);

    if (result.answered) {
        ReportLineSetting(context, context.ScanBaudRateNo);
        ReportReader(context, Kind::ReaderAnswered, result.reader);
        if (ReadVersion(context, result)) {
            result.versionRead = true;
            context.Beep(SuccessTone);
        } else {
            result.message = ReaderInfoOutcome(context, RowGetReaderInfoError);
            ReportFailure(context, result.message);
        }
    } else {
        ReportLineSetting(context, FactoryLineIndex);
        result.message = Message::Row(RowReaderNotFind);
        ReportFailure(context, result.message);
    }

    ReportStep(context, Kind::Hourglass, false);
    // The port scan keeps the place where it found the reader; found at once at an asked port
    // that is not the kept one, the place is kept in the same way.
    if (result.found() && atKeptPlace && context.ScanCommNo != keptPort) context.SaveScanSettings();
    return result;
}
