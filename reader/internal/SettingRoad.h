#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "ReaderOperations.h"

// The shared road of every setting operation: wait mode, the refusal without a found reader,
// the start text, the port, the tries, and the outcome in pnMsg, shComm and a tone.
struct ReaderSetting {
    Message startText;
    Message successText;
    Message failureText;
    // Forms the command after each try's presence check, from the check's reply. Without a
    // rule there is nothing to send: the operation fails before the port is touched. An empty
    // command sends nothing in that try; the next try checks the presence again.
    std::function<QByteArray(const QByteArray& presenceReply)> commandRule;
    int tries = 3;
    // Without the presence check, the command alone, after its own pause.
    bool presenceCheck = true;
    unsigned pauseBeforeCommandMs = PauseBeforeCommandMs;
    std::function<void()> preparation;    // once, after the reader check, before the start text
    std::function<void()> successAction;  // once, when the command is confirmed, before closing
};

SettingResult ApplyReaderSetting(ReaderContext& context, const ReaderSetting& setting);

// A setting whose three texts are rows of the text table.
ReaderSetting TableRowSetting(int startRow, int successRow, int failureRow);
