#include "SettingsFileFormat.h"

#include <QStringList>
#include <array>

namespace {

const QByteArray kHeader =
    "; Kept settings of the reader configuration tool, one \"name\"=value a line";
const std::array<QLatin1String, 4> kValueNames = {
    QLatin1String("ScanCommNo"), QLatin1String("ScanBaudRate"), QLatin1String("ScanBaudRateNo"),
    QLatin1String("LanguageFlag")};


struct ValueLine {
    QString name;
    StoredValue value;
};

// Reads the quoted text that starts at `pos` (just after its opening quote); on success `pos`
// is left after the closing quote. A backslash escapes the next character; \n and \r stand for
// line breaks, which would otherwise split the line.
std::optional<QString> ReadQuoted(const QString& line, int& pos) {
    QString text;
    while (pos < line.size()) {
        const QChar c = line.at(pos++);
        if (c == u'"') return text;
        if (c != u'\\') {
            text += c;
            continue;
        }
        if (pos >= line.size()) return std::nullopt;
        const QChar escaped = line.at(pos++);
        text += escaped == u'n' ? QChar(u'\n') : escaped == u'r' ? QChar(u'\r') : escaped;
    }
    return std::nullopt;
}

QString Quoted(const QString& text) {
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'"', QStringLiteral("\\\""))
        .replace(u'\n', QStringLiteral("\\n"))
        .replace(u'\r', QStringLiteral("\\r"));
    return u'"' + escaped + u'"';
}

// An expandable text, stored as in a registry export: UTF-16LE bytes in hexadecimal, ending
// with a zero character. It is taken as stored, without expansion.
std::optional<QString> ReadExpandable(const QString& bytesText) {
    QByteArray bytes;
    for (const QString& part : bytesText.split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint byte = part.trimmed().toUInt(&ok, 16);
        if (!ok || byte > 0xFF) return std::nullopt;
        bytes.append(char(byte));
    }
    if (bytes.size() % 2 != 0) return std::nullopt;
    QString text;
    for (int i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(char16_t(uchar(bytes[i]) | (uchar(bytes[i + 1]) << 8)));
    while (text.endsWith(QChar(0))) text.chop(1);
    return text;
}

StoredValue ReadValue(const QString& rest) {
    StoredValue value;
    if (rest.startsWith(u'"')) {
        int pos = 1;
        const std::optional<QString> text = ReadQuoted(rest, pos);
        if (text && rest.mid(pos).trimmed().isEmpty()) {
            value.type = StoredValue::Type::Text;
            value.text = *text;
        }
    } else if (rest.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        const QString digits = rest.mid(6).trimmed();
        bool ok = false;
        const uint number = digits.toUInt(&ok, 16);
        if (ok && !digits.isEmpty() && digits.size() <= 8 && !digits.startsWith(u'+')) {
            value.type = StoredValue::Type::Integer;
            value.integer = qint32(number);
        }
    } else if (rest.startsWith(QLatin1String("hex(2):"), Qt::CaseInsensitive)) {
        if (const std::optional<QString> text = ReadExpandable(rest.mid(7))) {
            value.type = StoredValue::Type::Text;
            value.text = *text;
        }
    }
    return value;
}

// The line is decoded only to be read; a line that is not replaced keeps its bytes.
std::optional<ValueLine> ParseLine(const QByteArray& line) {
    const QString trimmed = QString::fromUtf8(line).trimmed();
    if (!trimmed.startsWith(u'"')) return std::nullopt;
    int pos = 1;
    const std::optional<QString> name = ReadQuoted(trimmed, pos);
    if (!name) return std::nullopt;
    const QString rest = trimmed.mid(pos).trimmed();
    if (!rest.startsWith(u'=')) return std::nullopt;
    return ValueLine{*name, ReadValue(rest.mid(1).trimmed())};
}

QString FormatLine(const QString& name, const StoredValue& value) {
    const QString formatted =
        value.type == StoredValue::Type::Integer
            ? QStringLiteral("dword:%1").arg(quint32(value.integer), 8, 16, QLatin1Char('0'))
            : Quoted(value.text);
    return Quoted(name) + u'=' + formatted;
}

// One line of the file as stored: its bytes, and the line end it had ("\n", "\r\n", or none
// for a last line without one).
struct Line {
    QByteArray text;
    QByteArray end;
};

std::vector<Line> SplitLines(const QByteArray& bytes) {
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        const qsizetype stop = newline < 0 ? bytes.size() : newline;
        Line line{bytes.mid(start, stop - start), QByteArray()};
        if (newline >= 0) {
            line.end = line.text.endsWith('\r') ? QByteArray("\r\n") : QByteArray("\n");
            if (line.end.size() == 2) line.text.chop(1);
        }
        lines.push_back(std::move(line));
        start = stop + 1;
    }
    return lines;
}

QByteArray Joined(const std::vector<Line>& lines) {
    QByteArray bytes;
    for (const Line& line : lines) bytes += line.text + line.end;
    return bytes;
}

// The value lines of the file, in their order.
std::vector<ValueLine> ParseValues(const std::vector<Line>& lines) {
    std::vector<ValueLine> values;
    for (const Line& line : lines)
        if (std::optional<ValueLine> parsed = ParseLine(line.text))
            values.push_back(std::move(*parsed));
    return values;
}

// The last line of that name wins, as in a registry import.
std::optional<StoredValue> FindValue(const std::vector<ValueLine>& values, QLatin1String name) {
    std::optional<StoredValue> found;
    for (const ValueLine& line : values)
        if (line.name.compare(name, Qt::CaseInsensitive) == 0) found = line.value;
    return found;
}

bool IsValueOfOurs(const Line& line) {
    const std::optional<ValueLine> parsed = ParseLine(line.text);
    if (!parsed) return false;
    for (QLatin1String name : kValueNames)
        if (parsed->name.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// Puts each value in place of the first line of its name, drops later lines of that name and
// appends the values that were not there yet. Every other line keeps its bytes.
void ReplaceValues(std::vector<Line>& lines, const NamedValues& values) {
    // New lines end as the file's first line does.
    QByteArray newEnd = "\n";
    if (!lines.empty() && !lines.front().end.isEmpty()) newEnd = lines.front().end;
    for (const auto& [name, value] : values) {
        const QByteArray formatted = FormatLine(name, value).toUtf8();
        bool placed = false;
        for (auto it = lines.begin(); it != lines.end();) {
            const std::optional<ValueLine> parsed = ParseLine(it->text);
            if (!parsed || parsed->name.compare(name, Qt::CaseInsensitive) != 0) {
                ++it;
            } else if (!placed) {
                it->text = formatted;
                ++it;
                placed = true;
            } else {
                it = lines.erase(it);
            }
        }
        if (placed) continue;
        if (!lines.empty() && lines.back().end.isEmpty()) lines.back().end = newEnd;
        lines.push_back({formatted, newEnd});
    }
}

RawKeptValue Raw(const std::optional<StoredValue>& value) {
    if (!value) return RawKeptValue();
    switch (value->type) {
        case StoredValue::Type::Integer:
            return RawKeptValue::Integer(value->integer);
        case StoredValue::Type::Text:
            return RawKeptValue::Text(value->text);
        case StoredValue::Type::Other:
            break;
    }
    return RawKeptValue::Other();
}

}  // namespace

RawKeptSettings ReadKeptValues(const QByteArray& text) {
    const std::vector<ValueLine> values = ParseValues(SplitLines(text));
    return {Raw(FindValue(values, kValueNames[0])), Raw(FindValue(values, kValueNames[1])),
            Raw(FindValue(values, kValueNames[2])), Raw(FindValue(values, kValueNames[3]))};
}

QByteArray WithValuesReplaced(const std::optional<QByteArray>& before, const NamedValues& values) {
    std::vector<Line> lines;
    if (before)
        lines = SplitLines(*before);
    else
        lines.push_back({kHeader, "\n"});
    ReplaceValues(lines, values);

    QByteArray bytes = Joined(lines);
    if (bytes.size() > kMaxSettingsFileBytes) {
        std::vector<Line> ours{{kHeader, "\n"}};
        for (const Line& line : lines)
            if (IsValueOfOurs(line)) ours.push_back({line.text, "\n"});
        bytes = Joined(ours);
    }
    return bytes;
}
