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

void ShowStartTexts(ReaderSession& session) {
    ReaderView& view = session.view();
    view.ShowText(Panel::Msg, session.Text(RowScanReader) + " ....");
    view.ShowText(Panel::Serial, session.Text(RowSerial) + " : ________");
    view.ShowText(Panel::Version, session.Text(RowVersion) + " : __.__-__");
    view.ShowText(Panel::Id, "__");
}

void ShowScanCom(ReaderSession& session, int comNumber) {
    session.view().ShowText(Panel::Msg,
                            session.Text(RowScanCom) + " : #" + QString::number(comNumber));
}

void ShowReaderInfoOutcome(ReaderSession& session, int row) {
    session.view().ShowText(Panel::Msg,
                            session.Text(row) + " : #" + QString::number(session.ScanCommNo) + ")");
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
bool TrySavedPort(ReaderSession& session) {
    if (session.ScanCommNo <= 0) return false;
    session.view().SelectLineSetting(session.ScanBaudRateNo);
    ReaderLink& link = session.link();
    if (!link.OpenPort(session.ScanCommNo, session.ScanBaudRate)) return false;
    ShowScanCom(session, session.ScanCommNo);
    const bool found = AskPresence(link, SavedPortTries);
    link.ClosePort();
    return found;
}

// COM1 to COM16, each at every line setting of the table or, locked, at the saved one only.
// The place of the reader is kept the moment it answers.
bool ScanPorts(ReaderSession& session, bool locked) {
    ReaderLink& link = session.link();
    for (int comNumber = 1; comNumber <= ComNumberMax; ++comNumber) {
        for (int i = 0; i < int(LineSettingTable.size()); ++i) {
            int index = i;
            if (locked)  // an index from an edited store must not reach outside the table
                index =
                    IsLineIndex(session.ScanBaudRateNo) ? session.ScanBaudRateNo : FactoryLineIndex;
            session.view().SelectLineSetting(index);
            const QString lineSetting = QString::fromLatin1(LineSettingTable[index]);
            // A port that does not open has no other line setting worth trying.
            if (!link.OpenPort(comNumber, lineSetting)) break;
            ShowScanCom(session, comNumber);
            const bool found = AskPresence(link, ScanTries);
            if (found) {
                session.ScanCommNo = comNumber;
                session.ScanBaudRate = lineSetting;
                session.ScanBaudRateNo = index;
                session.SaveScanSettings();
            }
            link.ClosePort();
            if (found) return true;
            if (locked) break;
        }
    }
    return false;
}

// Serial number and reader number from the presence reply that found the reader.
void ShowReaderIdentity(ReaderSession& session, const QByteArray& presenceReply) {
    ReaderView& view = session.view();
    view.ShowText(Panel::Serial,
                  session.Text(RowSerial) + " : " +
                      ReplyField(presenceReply, SerialNumberPosition, SerialNumberLength));
    const QString numberCharacters = ReplyField(presenceReply, ReaderNumberPosition, 2);
    view.ShowText(Panel::Id, numberCharacters);
    // The scroll bar keeps its position within 1 to 99 ("00" puts it at 1). Characters that
    // are no decimal number stay in the panel as they came, and the scroll bar where it was.
    if (const auto number = ReaderNumber(numberCharacters))
        view.MoveTo(ValueControl::ReaderNumber, *number);
}

// Asks the found reader for its firmware version; true when it told it.
bool ReadVersion(ReaderSession& session) {
    ReaderLink& link = session.link();
    if (!link.OpenPort(session.ScanCommNo, session.ScanBaudRate)) return false;
    bool versionRead = false;
    for (int attempt = 0; attempt < VersionTries && !versionRead; ++attempt) {
        link.Sleep(PauseBeforeCommandMs);
        if (!link.SendCommand(VersionCommand)) continue;
        link.Sleep(PauseBeforeCommandMs);
        session.view().ShowText(Panel::Version, session.Text(RowVersion) + " : " +
                                                    ReplyField(link.LastReply().ReplyText,
                                                               VersionPosition, VersionLength));
        ShowReaderInfoOutcome(session, RowGetReaderInfoOk);
        session.ReaderFound = true;
        session.view().SetBusy(false);
        session.view().ShowColour(Indicator::Comm, Colour::Yellow);
        versionRead = true;
    }
    link.ClosePort();
    return versionRead;
}

}  // namespace

bool ScanReader(ReaderSession& session, bool locked) {
    ReaderView& view = session.view();
    view.SetHourglass(true);
    view.SetBusy(true);
    ShowStartTexts(session);
    view.ProcessMessages();

    session.ReaderFound = false;
    bool found = TrySavedPort(session);
    if (!found) found = ScanPorts(session, locked);

    if (found) {
        const QByteArray presenceReply = session.link().LastReply().ReplyText;
        view.SelectLineSetting(session.ScanBaudRateNo);
        ShowReaderIdentity(session, presenceReply);
        if (ReadVersion(session)) {
            session.Beep(SuccessTone);
        } else {
            ShowReaderInfoOutcome(session, RowGetReaderInfoError);
            view.SetBusy(false);
            view.ShowColour(Indicator::Comm, Colour::Red);
            session.Beep(FailureTone);
        }
    } else {
        view.SelectLineSetting(FactoryLineIndex);
        view.ShowText(Panel::Msg, session.Text(RowReaderNotFind));
        view.SetBusy(false);
        view.ShowColour(Indicator::Comm, Colour::Red);
        session.Beep(FailureTone);
    }

    view.SetHourglass(false);
    return session.ReaderFound;
}
