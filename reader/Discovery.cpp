#include <QGuiApplication>
#include <optional>

#include "LineSetting.h"
#include "ReaderOperations.h"
#include "TfrmModule.h"

namespace {

// The reader answers "A00B" with LF, a 12-character body, two check characters and CR.
constexpr int PresenceReplyLength = 16;
constexpr int SavedPortTries = 3;
constexpr int ScanTries = 2;
constexpr int VersionTries = 3;
constexpr quint32 TryPauseMs = 100;
// "19200,e,8,1": the line setting a reader leaves the factory with.
constexpr int FactoryLineIndex = 5;

// A field of a reply by its 1-based position, as the reply layouts count; shorter when the
// reply ends early.
QString ReplyField(const QByteArray& replyText, int position, int count) {
    return QString::fromLatin1(replyText.mid(position - 1, count));
}

// The reader number when the two characters are a decimal number from 01 to 99.
std::optional<int> ReaderNumber(const QString& characters) {
    if (characters.size() != 2 || !characters[0].isDigit() || !characters[1].isDigit())
        return std::nullopt;
    const int number = characters.toInt();
    if (number < 1 || number > 99) return std::nullopt;
    return number;
}

bool IsLineIndex(int index) {
    return index >= 0 && index < int(LineSettingTable.size());
}

void ShowStartTexts(TfrmModule& form) {
    form.pnMsg->setCaption(form.Text(RowScanReader) + " ....");
    form.pnSerial->setCaption(form.Text(RowSerial) + " : ________");
    form.pnVersion->setCaption(form.Text(RowVersion) + " : __.__-__");
    form.pnID->setCaption("__");
}

void ShowScanCom(TfrmModule& form, int comNumber) {
    form.pnMsg->setCaption(form.Text(RowScanCom) + " : #" + QString::number(comNumber));
}

void ShowReaderInfoOutcome(TfrmModule& form, int row) {
    form.pnMsg->setCaption(form.Text(row) + " : #" + QString::number(form.ScanCommNo) + ")");
}

// Up to `tries` presence checks on the open port; true at the first valid 16-byte answer.
bool AskPresence(ReaderLink& link, int tries) {
    for (int attempt = 0; attempt < tries; ++attempt) {
        link.Sleep(TryPauseMs);
        if (link.SendCommand("A00B") && link.ReplyLength == PresenceReplyLength) return true;
    }
    return false;
}

// The port and line setting where the last scan found the reader, taken as they are saved.
bool TrySavedPort(TfrmModule& form) {
    if (form.ScanCommNo <= 0) return false;
    form.cmbBaudRate->setCurrentIndex(form.ScanBaudRateNo);
    ReaderLink& link = form.link();
    if (!link.OpenPort(form.ScanCommNo, form.ScanBaudRate)) return false;
    ShowScanCom(form, form.ScanCommNo);
    const bool found = AskPresence(link, SavedPortTries);
    link.ClosePort();
    return found;
}

// COM1 to COM16, each at every line setting of the table or, with chkLock, at the saved one
// only. The place of the reader is kept the moment it answers.
bool ScanPorts(TfrmModule& form) {
    ReaderLink& link = form.link();
    for (int comNumber = 1; comNumber <= 16; ++comNumber) {
        for (int i = 0; i < int(LineSettingTable.size()); ++i) {
            const bool locked = form.chkLock->isChecked();
            int index = i;
            if (locked)  // an index from an edited store must not reach outside the table
                index = IsLineIndex(form.ScanBaudRateNo) ? form.ScanBaudRateNo : FactoryLineIndex;
            form.cmbBaudRate->setCurrentIndex(index);
            const QString lineSetting = QString::fromLatin1(LineSettingTable[index]);
            // A port that does not open has no other line setting worth trying.
            if (!link.OpenPort(comNumber, lineSetting)) break;
            ShowScanCom(form, comNumber);
            const bool found = AskPresence(link, ScanTries);
            if (found) {
                form.ScanCommNo = comNumber;
                form.ScanBaudRate = lineSetting;
                form.ScanBaudRateNo = index;
                form.SaveScanSettings();
            }
            link.ClosePort();
            if (found) return true;
            if (locked) break;
        }
    }
    return false;
}

// Serial number and reader number from the presence reply that found the reader.
void ShowReaderIdentity(TfrmModule& form, const QByteArray& presenceReply) {
    form.pnSerial->setCaption(form.Text(RowSerial) + " : " + ReplyField(presenceReply, 6, 8));
    const QString numberCharacters = ReplyField(presenceReply, 3, 2);
    form.pnID->setCaption(numberCharacters);
    // Characters that are no reader number stay in the panel as they came; the scroll bar
    // keeps its position rather than taking a made-up number.
    if (const auto number = ReaderNumber(numberCharacters)) form.sbID->setValue(*number);
}

// Asks the found reader for its firmware version; true when it told it.
bool ReadVersion(TfrmModule& form) {
    ReaderLink& link = form.link();
    if (!link.OpenPort(form.ScanCommNo, form.ScanBaudRate)) return false;
    bool versionRead = false;
    for (int attempt = 0; attempt < VersionTries && !versionRead; ++attempt) {
        link.Sleep(TryPauseMs);
        if (!link.SendCommand("A00V")) continue;
        link.Sleep(TryPauseMs);
        form.pnVersion->setCaption(form.Text(RowVersion) + " : " +
                                   ReplyField(link.ReplyText, 6, 8));
        ShowReaderInfoOutcome(form, RowGetReaderInfoOk);
        form.ReaderFound = true;
        form.SetBusy(false);
        form.shComm->setBrushColor(ColorYellow);
        versionRead = true;
    }
    link.ClosePort();
    return versionRead;
}

}  // namespace

void ScanReader(TfrmModule& form) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    form.SetBusy(true);
    ShowStartTexts(form);
    form.ProcessMessages();

    form.ReaderFound = false;
    bool found = TrySavedPort(form);
    if (!found) found = ScanPorts(form);

    if (found) {
        const QByteArray presenceReply = form.link().ReplyText;
        form.cmbBaudRate->setCurrentIndex(form.ScanBaudRateNo);
        ShowReaderIdentity(form, presenceReply);
        if (ReadVersion(form)) {
            form.Beep(1000, 300);
        } else {
            ShowReaderInfoOutcome(form, RowGetReaderInfoError);
            form.SetBusy(false);
            form.shComm->setBrushColor(ColorRed);
            form.Beep(300, 300);
        }
    } else {
        form.cmbBaudRate->setCurrentIndex(FactoryLineIndex);
        form.pnMsg->setCaption(form.Text(RowReaderNotFind));
        form.SetBusy(false);
        form.shComm->setBrushColor(ColorRed);
        form.Beep(300, 300);
    }

    QGuiApplication::restoreOverrideCursor();
}
