#include "LineSetting.h"

#include <QStringList>

const std::array<const char*, 12> LineSettingTable = {
    "4800,n,8,1",  "4800,e,8,1",  "9600,n,8,1",  "9600,e,8,1",  "19200,n,8,1",  "19200,e,8,1",
    "38400,n,8,1", "38400,e,8,1", "57600,n,8,1", "57600,e,8,1", "115200,n,8,1", "115200,e,8,1",
};

std::optional<LineParameters> ParseLineSetting(const QString& text) {
    const QStringList fields = text.trimmed().split(',');
    if (fields.size() != 4) return std::nullopt;
    bool ok = false;
    LineParameters line;
    line.baudRate = fields[0].trimmed().toInt(&ok);
    if (!ok || line.baudRate <= 0) return std::nullopt;

    const QString parity = fields[1].trimmed().toLower();
    if (parity == "n")
        line.parity = Parity::None;
    else if (parity == "e")
        line.parity = Parity::Even;
    else if (parity == "o")
        line.parity = Parity::Odd;
    else if (parity == "m")
        line.parity = Parity::Mark;
    else if (parity == "s")
        line.parity = Parity::Space;
    else
        return std::nullopt;

    line.dataBits = fields[2].trimmed().toInt(&ok);
    if (!ok || line.dataBits < 5 || line.dataBits > 8) return std::nullopt;

    const QString stop = fields[3].trimmed();
    if (stop == "1")
        line.stopBits = StopBits::One;
    else if (stop == "1.5")
        line.stopBits = StopBits::OneAndHalf;
    else if (stop == "2")
        line.stopBits = StopBits::Two;
    else
        return std::nullopt;
    return line;
}

int LineSettingIndex(const QString& text) {
    for (int i = 0; i < int(LineSettingTable.size()); ++i)
        if (text == QLatin1String(LineSettingTable[i])) return i;
    return -1;
}

bool IsLineIndex(int index) {
    return index >= 0 && index < int(LineSettingTable.size());
}
