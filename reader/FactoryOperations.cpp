// The factory default and the restart of the reader.
#include "ReaderLink.h"
#include "ReaderOperations.h"
#include "SettingCommands.h"
#include "SettingOutcome.h"
#include "TfrmModule.h"

namespace {

// The values the window starts with, which the reader itself returns to.
constexpr int FactoryAddress = 49;
constexpr int FactoryFrequency = 59;
constexpr int FactoryChannel = 0;
constexpr int FactorySameCardSeconds = 10;
constexpr int FactoryReaderId = 1;
constexpr int FactoryLineSettingIndex = 5;  // "19200,e,8,1"
constexpr int FactoryDefaultTries = 2;

// In this order; each change handler runs only when its position really changes.
void ShowFactoryValues(TfrmModule& form) {
    form.sbAddr->setValue(FactoryAddress);
    form.sbFreq->setValue(FactoryFrequency);
    form.sbChannel->setValue(FactoryChannel);
    form.sbSameCard->setValue(FactorySameCardSeconds);
    form.sbID->setValue(FactoryReaderId);
    form.cmbBaudRate->setCurrentIndex(FactoryLineSettingIndex);
}

}  // namespace

void SetFactoryDefault(TfrmModule& form) {
    ReaderSetting setting =
        TableRowSetting(form, RowSetDefault, RowSetDefaultOk, RowSetDefaultError,
                        [] { return FactoryDefaultCommand; });
    setting.tries = FactoryDefaultTries;
    // The controls keep the factory values also when the reader does not confirm.
    setting.preparation = [&form] { ShowFactoryValues(form); };
    ApplyReaderSetting(form, setting);
}

void ResetReader(TfrmModule& form) {
    const WaitModeScope waitMode(form);
    if (!form.ReaderFound) {
        RefuseWithoutReader(form);
        return;
    }
    form.pnMsg->setCaption(form.Text(RowReaderReset));

    // No presence check and a single try: the reader restarts as it answers.
    bool confirmed = false;
    {
        ReaderLink& link = form.link();
        const PortScope port(link, form.ScanCommNo, form.ScanBaudRate);
        if (port.isOpen()) {
            link.Sleep(PauseBeforeResetMs);
            confirmed = link.SendCommand(ReaderResetCommand);
        }
    }
    if (confirmed)
        ShowSuccess(form, form.Text(RowReaderResetOk));
    else
        ShowFailure(form, form.Text(RowReaderResetError));
}
