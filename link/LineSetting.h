#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

// The line settings a reader can be set to, in the order of the drop-down list and of the
// line-speed codes "A00E0" to "A00EB".
extern const std::array<const char*, 12> LineSettingTable;

enum class Parity { None, Even, Odd, Mark, Space };
enum class StopBits { One, OneAndHalf, Two };

struct LineParameters {
    qint32 baudRate = 19200;
    Parity parity = Parity::Even;
    int dataBits = 8;
    StopBits stopBits = StopBits::One;
    bool operator==(const LineParameters& o) const {
        return baudRate == o.baudRate && parity == o.parity && dataBits == o.dataBits &&
               stopBits == o.stopBits;
    }
    bool operator!=(const LineParameters& o) const { return !(*this == o); }
};

// Parses a mode string such as "19200,e,8,1" (baud rate, parity letter, data bits, stop bits).
// Returns nothing for a text that does not parse; the port then keeps its line as it is.
std::optional<LineParameters> ParseLineSetting(const QString& text);

// The index of a text in LineSettingTable, or -1.
int LineSettingIndex(const QString& text);

// Whether an index selects a row of LineSettingTable.
bool IsLineIndex(int index);
