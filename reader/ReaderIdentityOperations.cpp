// The reader number and the line setting of the reader's serial line.
#include "LineSetting.h"
#include "ReaderLink.h"
#include "ReaderOperations.h"
#include "SettingCommands.h"
#include "SettingOutcome.h"
#include "TfrmModule.h"

void SetReaderId(TfrmModule& form) {
    ReaderSetting setting;
    setting.startText = [&form] {
        return form.Text(RowSetReaderId) + " = " + form.pnID->caption();
    };
    setting.successText = form.Text(RowSetReaderIdOk);
    setting.failureText = form.Text(RowSetReaderIdError);
    // The reader takes a new number only together with its own serial number, so the command
    // carries the one it has just reported to this try's presence check.
    setting.commandRule = [&form] {
        return ReaderIdCommand(form.link().ReplyText, form.pnID->caption());
    };
    ApplyReaderSetting(form, setting);
}

void SetLineSpeed(TfrmModule& form) {
    const int index = form.cmbBaudRate->currentIndex();
    if (index < 0 || index >= int(LineSettingTable.size())) {
        // No line setting selected: there is nothing in the table to send, so the port is
        // not touched.
        const WaitModeScope waitMode(form);
        if (!form.ReaderFound)
            RefuseWithoutReader(form);
        else
            ShowFailure(form, form.Text(RowSetReaderBaudRateError));
        return;
    }

    // The index the confirmed command carried, so that the tool follows the reader there.
    int sentIndex = -1;
    ReaderSetting setting;
    setting.startText = [&form] {
        return form.Text(RowSetReaderBaudRate) + " = " + form.cmbBaudRate->currentText();
    };
    setting.successText = form.Text(RowSetReaderBaudRateOk);
    setting.failureText = form.Text(RowSetReaderBaudRateError);
    setting.commandRule = [&form, &sentIndex] {
        sentIndex = form.cmbBaudRate->currentIndex();
        return LineSpeedCommand(sentIndex);
    };
    // The reader listens at the new line setting from now on; the kept settings follow only
    // when a scan finds it there.
    setting.successAction = [&form, &sentIndex] {
        form.ScanBaudRateNo = sentIndex;
        form.ScanBaudRate = QString::fromLatin1(LineSettingTable[sentIndex]);
    };
    ApplyReaderSetting(form, setting);
}
