#include <QSet>
#include <array>

#include "FrameCodec.h"
#include "ReaderOperations.h"
#include "TfrmModule.h"

namespace {

// LF, a 13-character body with the tag number at body characters 6 to 13, two check
// characters and CR.
constexpr int TagReplyLength = 17;
constexpr int TurnsPerPass = 80;

// Windows whose reading run is still on the stack. After the cancel click the run finishes its
// pass with the port still open; a click in that time must not start a second run on it.
QSet<const TfrmModule*>& FormsReading() {
    static QSet<const TfrmModule*> forms;
    return forms;
}

// Everything that would start another exchange with the reader, leave the program or change
// the language while the port is held, in the order they are disabled.
std::array<QWidget*, 12> LockedControls(TfrmModule& form) {
    return {form.btnExit,     form.btnScan,   form.btnFactory,  form.btnID,
            form.btnBaudRate, form.gbDefault, form.btnEng,      form.btnGB,
            form.btnBIG5,     form.btnNoNc,   form.btnSameCard, form.btnMode};
}

void SetLockedControlsEnabled(TfrmModule& form, bool enabled) {
    for (QWidget* control : LockedControls(form)) control->setEnabled(enabled);
}

QString TagCaption(TfrmModule& form, const QByteArray& tagText) {
    const qint32 value = HexToInt(tagText);
    return form.Text(RowTagId) + QString::asprintf(" : %010d  ", value) +
           QString::fromLatin1(tagText) + "(H)";
}

// One pass: keep the window alive for about 80 ms, then ask the reader for a tag.
void ReadingPass(TfrmModule& form) {
    for (int turn = 0; turn < TurnsPerPass; ++turn) {
        form.ProcessMessages();
        form.clock().SleepMs(1);
    }
    ReaderLink& link = form.link();
    if (!link.SendCommand("A00F") || link.ReplyLength != TagReplyLength) return;

    const QByteArray tagText = link.ReplyText.mid(6, 8);
    form.pnCardID->setCaption(TagCaption(form, tagText));
    form.shCard->setBrushColor(ColorYellow);
    form.StartCardTimer();
    form.Beep(1000, 30);
}

void ShowOpenError(TfrmModule& form) {
    form.shComm->setBrushColor(ColorRed);
    form.pnMsg->setCaption(form.Text(RowOpenCom) + " : " + QString::number(form.ScanCommNo) + " " +
                           form.Text(RowError));
    form.Beep(300, 300);
}

}  // namespace

void ReadTags(TfrmModule& form) {
    if (!form.ReaderFound) {
        form.pnMsg->setCaption(form.Text(RowStartScanReader));
        form.Beep(300, 300);
        return;
    }
    if (form.TagReading) {  // the cancel click; the run ends after its pass
        form.TagReading = false;
        return;
    }
    if (FormsReading().contains(&form)) return;  // stopping: the port is still held

    FormsReading().insert(&form);
    form.TagReading = true;
    const QString savedCaption = form.btnReadCard->text();
    form.btnReadCard->setText(form.Text(RowCancelReadTag));
    SetLockedControlsEnabled(form, false);

    ReaderLink& link = form.link();
    if (link.OpenPort(form.ScanCommNo, form.ScanBaudRate)) {
        form.SetBusy(true);
        form.setEnabled(true);  // the read button is now the cancel button
        while (form.TagReading) ReadingPass(form);
        form.SetBusy(false);
        form.shComm->setBrushColor(ColorYellow);
        form.Beep(1000, 300);
        form.shCard->setBrushColor(ColorWhite);
        link.ClosePort();
    } else {
        ShowOpenError(form);
        form.TagReading = false;
    }

    form.pnCardID->setCaption(form.Text(RowTagId));
    SetLockedControlsEnabled(form, true);
    form.btnReadCard->setText(savedCaption);
    FormsReading().remove(&form);
}
