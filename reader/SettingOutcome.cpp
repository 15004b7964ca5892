#include "SettingOutcome.h"

#include <QColor>

#include "ReaderLink.h"
#include "TfrmModule.h"

WaitModeScope::WaitModeScope(TfrmModule& form) : form_(form) {
    form_.EnterWaitMode();
}

WaitModeScope::~WaitModeScope() {
    form_.LeaveWaitMode();
}

PortScope::PortScope(ReaderLink& link, int comNumber, const QString& lineSetting)
    : link_(link), open_(link.OpenPort(comNumber, lineSetting)) {}

PortScope::~PortScope() {
    if (open_) link_.ClosePort();
}

namespace {

void ShowOutcome(TfrmModule& form, const QColor& color, const QString& text, int toneHz) {
    form.shComm->setBrushColor(color);
    form.pnMsg->setCaption(text);
    // The tone blocks without dispatching events: paint the outcome first so that it shows
    // while the tone sounds.
    form.pnMsg->repaint();
    form.Beep(toneHz, ToneMs);
}

}  // namespace

void ShowSuccess(TfrmModule& form, const QString& text) {
    ShowOutcome(form, ColorYellow, text, ToneSuccessHz);
}

void ShowFailure(TfrmModule& form, const QString& text) {
    ShowOutcome(form, ColorRed, text, ToneFailureHz);
}

void RefuseWithoutReader(TfrmModule& form) {
    ShowFailure(form, form.Text(RowStartScanReader));
}

ReaderSetting TableRowSetting(TfrmModule& form, int startRow, int successRow, int failureRow,
                              std::function<QByteArray()> commandRule) {
    ReaderSetting setting;
    setting.startText = [&form, startRow] { return form.Text(startRow); };
    setting.successText = form.Text(successRow);
    setting.failureText = form.Text(failureRow);
    setting.commandRule = std::move(commandRule);
    return setting;
}
