// The reader number and the line setting of the reader's serial line.
#include "LineSetting.h"
#include "OperationScopes.h"
#include "ReaderOperations.h"
#include "SettingCommands.h"
#include "TextTable.h"

Outcome SetReaderId(ReaderContext& context, const QString& readerNumber) {
    ReaderSetting setting;
    setting.startText = [&context, readerNumber] {
        return context.Text(RowSetReaderId) + " = " + readerNumber;
    };
    setting.successText = context.Text(RowSetReaderIdOk);
    setting.failureText = context.Text(RowSetReaderIdError);
    // The reader takes a new number only together with its own serial number, so the command
    // carries the one it has just reported to this try's presence check.
    setting.commandRule = [&context, readerNumber] {
        return ReaderIdCommand(context.link().LastReply().ReplyText, readerNumber);
    };
    return ApplyReaderSetting(context, setting);
}

Outcome SetLineSpeed(ReaderContext& context, int lineSettingIndex) {
    if (lineSettingIndex < 0 || lineSettingIndex >= int(LineSettingTable.size())) {
        // No line setting selected: there is nothing in the table to send, so the port is
        // not touched.
        const WaitModeScope waitMode(context.view());
        if (!context.ReaderFound) {
            RefuseWithoutReader(context);
            return Outcome::NoReader;
        }
        ShowFailure(context, context.Text(RowSetReaderBaudRateError));
        return Outcome::Failure;
    }

    const QString lineSetting = QString::fromLatin1(LineSettingTable[lineSettingIndex]);
    ReaderSetting setting;
    setting.startText = [&context, lineSetting] {
        return context.Text(RowSetReaderBaudRate) + " = " + lineSetting;
    };
    setting.successText = context.Text(RowSetReaderBaudRateOk);
    setting.failureText = context.Text(RowSetReaderBaudRateError);
    setting.commandRule = [lineSettingIndex] { return LineSpeedCommand(lineSettingIndex); };
    // The reader listens at the new line setting from now on; the kept settings follow only
    // when a scan finds it there.
    setting.successAction = [&context, lineSettingIndex, lineSetting] {
        context.ScanBaudRateNo = lineSettingIndex;
        context.ScanBaudRate = lineSetting;
    };
    return ApplyReaderSetting(context, setting);
}
