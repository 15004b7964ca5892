#include <optional>

#include "LineSetting.h"
#include "ReaderOperations.h"
#include "TextTable.h"
#include "internal/PresenceCheck.h"

namespace {

constexpr int SavedPortTries = 3;
constexpr int ScanTries = 2;
constexpr int VersionTries = 3;
constexpr int ComNumberMax = 16;

// A field of a reply by its 1-based position, as the reply layouts count; shorter when the
// reply ends early.
QByteArray ReplyField(const QByteArray& replyText, int position, int count) {
    return replyText.mid(position - 1, count);
}

// The decimal value of the two reader-number characters, when both are decimal digits.
std::optional<int> ReaderNumber(const QByteArray& characters) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (characters.size() != 2 || !digit(characters[0]) || !digit(characters[1]))
        return std::nullopt;
    return characters.toInt();
}

void ShowStartTexts(ReaderContext& context) {
    ReaderView& view = context.view();
    view.ShowText(Panel::Msg, context.Text(RowScanReader) + " ....");
    view.ShowText(Panel::Serial, context.Text(RowSerial) + " : ________");
    view.ShowText(Panel::Version, context.Text(RowVersion) + " : __.__-__");
    view.ShowText(Panel::Id, "__");
}

void ShowScanCom(ReaderContext& context, int comNumber) {
    context.view().ShowText(Panel::Msg,
                            context.Text(RowScanCom) + " : #" + QString::number(comNumber));
}

void ShowReaderInfoOutcome(ReaderContext& context, int row) {
    context.view().ShowText(Panel::Msg,
                            context.Text(row) + " : #" + QString::number(context.ScanCommNo) + ")");
}

// The place where the reader answered, from the port's record and the presence reply.
void NoteIdentity(ScanResult& result, const PortTry& port, const QByteArray& presenceReply) {
    ReaderIdentity& reader = result.reader;
    result.answered = true;
    reader.comNumber = port.comNumber;
    reader.device = port.open.device;
    reader.lineSetting = port.lines.back().lineSetting;
    reader.lineIndex = port.lines.back().lineIndex;
    reader.serialNumber = ReplyField(presenceReply, SerialNumberPosition, SerialNumberLength);
    reader.readerNumber = ReplyField(presenceReply, ReaderNumberPosition, 2);
}

// The place where the last scan found the reader, taken as it is saved; an asked port stands
// in for the kept one.
bool TryKeptPlace(ReaderContext& context, const ScanOptions& options, ScanResult& result) {
    const int comNumber = options.onlyPort > 0 ? options.onlyPort : context.ScanCommNo;
    if (!options.tryKeptPlace || comNumber <= 0) return false;
    context.view().SelectLineSetting(context.ScanBaudRateNo);
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
    link.ClosePort();
    result.ports.push_back(port);
    if (!found) return false;
    NoteIdentity(result, port, link.LastReply().ReplyText);
    context.ScanCommNo = comNumber;
    return true;
}

// COM1 to COM16 (or the asked port alone), each at every line setting of the table or,
// locked, at the saved one only. The place of the reader is kept the moment it answers.
bool ScanPorts(ReaderContext& context, const ScanOptions& options, ScanResult& result) {
    ReaderLink& link = context.link();
    const int first = options.onlyPort > 0 ? options.onlyPort : 1;
    const int last = options.onlyPort > 0 ? options.onlyPort : ComNumberMax;
    for (int comNumber = first; comNumber <= last; ++comNumber) {
        PortTry port;
        port.comNumber = comNumber;
        bool found = false;
        for (int i = 0; i < int(LineSettingTable.size()); ++i) {
            int index = i;
            if (options.locked)  // an index from an edited store must not reach outside the table
                index =
                    IsLineIndex(context.ScanBaudRateNo) ? context.ScanBaudRateNo : FactoryLineIndex;
            context.view().SelectLineSetting(index);
            const QString lineSetting = QString::fromLatin1(LineSettingTable[index]);
            port.open = link.OpenPort(comNumber, lineSetting);
            // A port that does not open has no other line setting worth trying.
            if (!port.open) break;
            ShowScanCom(context, comNumber);
            port.lines.push_back({index, lineSetting, {}});
            found = AskPresence(link, ScanTries, &port.lines.back().replies);
            if (found) {
                context.ScanCommNo = comNumber;
                context.ScanBaudRate = lineSetting;
                context.ScanBaudRateNo = index;
                context.SaveScanSettings();
            }
            link.ClosePort();
            if (found || options.locked) break;
        }
        result.ports.push_back(port);
        if (found) {
            NoteIdentity(result, port, link.LastReply().ReplyText);
            return true;
        }
    }
    return false;
}

// Serial number and reader number from the presence reply that found the reader.
void ShowReaderIdentity(ReaderContext& context, const ReaderIdentity& reader) {
    ReaderView& view = context.view();
    view.ShowText(Panel::Serial,
                  context.Text(RowSerial) + " : " + QString::fromLatin1(reader.serialNumber));
    view.ShowText(Panel::Id, QString::fromLatin1(reader.readerNumber));
    // The scroll bar keeps its position within 1 to 99 ("00" puts it at 1). Characters that
    // are no decimal number stay in the panel as they came, and the scroll bar where it was.
    if (const auto number = ReaderNumber(reader.readerNumber))
        view.MoveTo(ValueControl::ReaderNumber, *number);
}

// Asks the found reader for its firmware version; the version when it told it.
std::optional<QByteArray> ReadVersion(ReaderContext& context) {
    ReaderLink& link = context.link();
    if (!link.OpenPort(context.ScanCommNo, context.ScanBaudRate)) return std::nullopt;
    std::optional<QByteArray> version;
    for (int attempt = 0; attempt < VersionTries && !version; ++attempt) {
        link.Sleep(PauseBeforeCommandMs);
        if (!link.SendCommand(VersionCommand)) continue;
        link.Sleep(PauseBeforeCommandMs);
        version = ReplyField(link.LastReply().ReplyText, VersionPosition, VersionLength);
        context.view().ShowText(Panel::Version,
                                context.Text(RowVersion) + " : " + QString::fromLatin1(*version));
        ShowReaderInfoOutcome(context, RowGetReaderInfoOk);
        context.ReaderFound = true;
        context.view().SetBusy(false);
        context.view().ShowColour(Indicator::Comm, Colour::Yellow);
    }
    link.ClosePort();
    return version;
}

}  // namespace

ScanResult ScanReader(ReaderContext& context, const ScanOptions& options) {
    ReaderView& view = context.view();
    view.SetHourglass(true);
    view.SetBusy(true);
    ShowStartTexts(context);
    view.ProcessMessages();

    context.ReaderFound = false;
    const int keptPort = context.ScanCommNo;
    ScanResult result;
    const bool atKeptPlace = TryKeptPlace(context, options, result);
    if (!atKeptPlace) ScanPorts(context, options, result);

    if (result.answered) {
        view.SelectLineSetting(context.ScanBaudRateNo);
        ShowReaderIdentity(context, result.reader);
        if (const auto version = ReadVersion(context)) {
            result.versionRead = true;
            result.reader.version = *version;
            context.Beep(SuccessTone);
        } else {
            ShowReaderInfoOutcome(context, RowGetReaderInfoError);
            view.SetBusy(false);
            view.ShowColour(Indicator::Comm, Colour::Red);
            context.Beep(FailureTone);
        }
    } else {
        view.SelectLineSetting(FactoryLineIndex);
        view.ShowText(Panel::Msg, context.Text(RowReaderNotFind));
        view.SetBusy(false);
        view.ShowColour(Indicator::Comm, Colour::Red);
        context.Beep(FailureTone);
    }

    view.SetHourglass(false);
    // The port scan keeps the place where it found the reader; found at once at an asked port
    // that is not the kept one, the place is kept in the same way.
    if (result.found() && atKeptPlace && context.ScanCommNo != keptPort) context.SaveScanSettings();
    return result;
}
