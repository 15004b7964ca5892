// The reader number and the line setting of the reader's serial line.
#include "LineSetting.h"
#include "OperationScopes.h"
#include "ReaderOperations.h"
#include "SettingCommands.h"
#include "TextTable.h"

Outcome SetReaderId(ReaderSession& session, const QString& readerNumber) {
    ReaderSetting setting;
    setting.startText = [&session, readerNumber] {
        return session.Text(RowSetReaderId) + " = " + readerNumber;
    };
    setting.successText = session.Text(RowSetReaderIdOk);
    setting.failureText = session.Text(RowSetReaderIdError);
    // The reader takes a new number only together with its own serial number, so the command
    // carries the one it has just reported to this try's presence check.
    setting.commandRule = [&session, readerNumber] {
        return ReaderIdCommand(session.link().LastReply().ReplyText, readerNumber);
    };
    return ApplyReaderSetting(session, setting);
}

Outcome SetLineSpeed(ReaderSession& session, int lineSettingIndex) {
    if (lineSettingIndex < 0 || lineSettingIndex >= int(LineSettingTable.size())) {
        // No line setting selected: there is nothing in the table to send, so the port is
        // not touched.
        const WaitModeScope waitMode(session.view());
        if (!session.ReaderFound) {
            RefuseWithoutReader(session);
            return Outcome::NoReader;
        }
        ShowFailure(session, session.Text(RowSetReaderBaudRateError));
        return Outcome::Failure;
    }

    const QString lineSetting = QString::fromLatin1(LineSettingTable[lineSettingIndex]);
    ReaderSetting setting;
    setting.startText = [&session, lineSetting] {
        return session.Text(RowSetReaderBaudRate) + " = " + lineSetting;
    };
    setting.successText = session.Text(RowSetReaderBaudRateOk);
    setting.failureText = session.Text(RowSetReaderBaudRateError);
    setting.commandRule = [lineSettingIndex] { return LineSpeedCommand(lineSettingIndex); };
    // The reader listens at the new line setting from now on; the kept settings follow only
    // when a scan finds it there.
    setting.successAction = [&session, lineSettingIndex, lineSetting] {
        session.ScanBaudRateNo = lineSettingIndex;
        session.ScanBaudRate = lineSetting;
    };
    return ApplyReaderSetting(session, setting);
}
