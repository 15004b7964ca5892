#include <optional>

#include "LineSetting.h"
#include "ReaderOperations.h"
#include "TextTable.h"

namespace {

constexpr int SavedPortTries = 3;
constexpr int ScanTries = 2;
constexpr int VersionTries = 3;
constexpr int ComNumberMax = 16;

// A field of a reply by its 1-based position, as the reply layouts count; shorter when the
// reply ends early.
QString ReplyField(const QByteArray& replyText, int position, int count) {
    return QString::fromLatin1(replyText.mid(position - 1, count));
}

// The decimal value of the two reader-number characters, when both are decimal digits.
std::optional<int> ReaderNumber(const QString& characters) {
    const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (characters.size() != 2 || !digit(characters[0]) || !digit(characters[1]))
        return std::nullopt;
    return characters.toInt();
}

bool IsLineIndex(int index) {
    return index >= 0 && index < int(LineSettingTable.size());
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

// Up to `tries` presence checks on the open port; true at the first valid 16-byte answer.
bool AskPresence(ReaderLink& link, int tries) {
    for (int attempt = 0; attempt < tries; ++attempt) {
        link.Sleep(PauseBeforeCommandMs);
        if (link.SendCommand(ReaderInfoCommand) &&
            link.LastReply().ReplyLength == ReaderInfoReplyLength)
            return true;
    }
    return false;
}

// The port and line setting where the last scan found the reader, taken as they are saved.
bool TrySavedPort(ReaderContext& context) {
    if (context.ScanCommNo <= 0) return false;
    context.view().SelectLineSetting(context.ScanBaudRateNo);
    ReaderLink& link = context.link();
    if (!link.OpenPort(context.ScanCommNo, context.ScanBaudRate)) return false;
    ShowScanCom(context, context.ScanCommNo);
    const bool found = AskPresence(link, SavedPortTries);
    link.ClosePort();
    return found;
}

// COM1 to COM16, each at every line setting of the table or, locked, at the saved one only.
// The place of the reader is kept the moment it answers.
bool ScanPorts(ReaderContext& context, bool locked) {
    ReaderLink& link = context.link();
    for (int comNumber = 1; comNumber <= ComNumberMax; ++comNumber) {
        for (int i = 0; i < int(LineSettingTable.size()); ++i) {
            int index = i;
            if (locked)  // an index from an edited store must not reach outside the table
                index =
                    IsLineIndex(context.ScanBaudRateNo) ? context.ScanBaudRateNo : FactoryLineIndex;
            context.view().SelectLineSetting(index);
            const QString lineSetting = QString::fromLatin1(LineSettingTable[index]);
            // A port that does not open has no other line setting worth trying.
            if (!link.OpenPort(comNumber, lineSetting)) break;
            ShowScanCom(context, comNumber);
            const bool found = AskPresence(link, ScanTries);
            if (found) {
                context.ScanCommNo = comNumber;
                context.ScanBaudRate = lineSetting;
                context.ScanBaudRateNo = index;
                context.SaveScanSettings();
            }
            link.ClosePort();
            if (found) return true;
            if (locked) break;
        }
    }
    return false;
}

// Serial number and reader number from the presence reply that found the reader.
void ShowReaderIdentity(ReaderContext& context, const QByteArray& presenceReply) {
    ReaderView& view = context.view();
    view.ShowText(Panel::Serial,
                  context.Text(RowSerial) + " : " +
                      ReplyField(presenceReply, SerialNumberPosition, SerialNumberLength));
    const QString numberCharacters = ReplyField(presenceReply, ReaderNumberPosition, 2);
    view.ShowText(Panel::Id, numberCharacters);
    // The scroll bar keeps its position within 1 to 99 ("00" puts it at 1). Characters that
    // are no decimal number stay in the panel as they came, and the scroll bar where it was.
    if (const auto number = ReaderNumber(numberCharacters))
        view.MoveTo(ValueControl::ReaderNumber, *number);
}

// Asks the found reader for its firmware version; true when it told it.
bool ReadVersion(ReaderContext& context) {
    ReaderLink& link = context.link();
    if (!link.OpenPort(context.ScanCommNo, context.ScanBaudRate)) return false;
    bool versionRead = false;
    for (int attempt = 0; attempt < VersionTries && !versionRead; ++attempt) {
        link.Sleep(PauseBeforeCommandMs);
        if (!link.SendCommand(VersionCommand)) continue;
        link.Sleep(PauseBeforeCommandMs);
        context.view().ShowText(Panel::Version, context.Text(RowVersion) + " : " +
                                                    ReplyField(link.LastReply().ReplyText,
                                                               VersionPosition, VersionLength));
        ShowReaderInfoOutcome(context, RowGetReaderInfoOk);
        context.ReaderFound = true;
        context.view().SetBusy(false);
        context.view().ShowColour(Indicator::Comm, Colour::Yellow);
        versionRead = true;
    }
    link.ClosePort();
    return versionRead;
}

}  // namespace

bool ScanReader(ReaderContext& context, bool locked) {
    ReaderView& view = context.view();
    view.SetHourglass(true);
    view.SetBusy(true);
    ShowStartTexts(context);
    view.ProcessMessages();

    context.ReaderFound = false;
    bool found = TrySavedPort(context);
    if (!found) found = ScanPorts(context, locked);

    if (found) {
        const QByteArray presenceReply = context.link().LastReply().ReplyText;
        view.SelectLineSetting(context.ScanBaudRateNo);
        ShowReaderIdentity(context, presenceReply);
        if (ReadVersion(context)) {
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
    return context.ReaderFound;
}
