#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

#include "LineSetting.h"
#include "SettingsStore.h"

// The file holds one value a line, in the form of a registry export:
//   "ScanCommNo"=dword:00000003
//   "ScanBaudRate"="19200,e,8,1"
// Value names compare without regard to case, as the registry's do. Lines of any other form
// are kept as they are.

namespace {

const QString kFileName = QStringLiteral("settings.reg");
const QString kHeader =
    QStringLiteral("; Kept settings of the reader configuration tool, one \"name\"=value a line");
// A second copy holds the lock only while it rewrites the file, a few milliseconds.
constexpr int kLockWaitMs = 2000;
constexpr int kLastLineSettingIndex = 11;

struct StoredValue {
    enum class Type { Integer, Text, Other };
    Type type = Type::Other;
    qint32 integer = 0;
    QString text;
};

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

std::optional<ValueLine> ParseLine(const QString& line) {
    const QString trimmed = line.trimmed();
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

StoredValue Integer(int number) {
    StoredValue value;
    value.type = StoredValue::Type::Integer;
    value.integer = number;
    return value;
}

StoredValue Text(const QString& text) {
    StoredValue value;
    value.type = StoredValue::Type::Text;
    value.text = text;
    return value;
}

// The lines of the file, or nothing when it cannot be read. A missing file has no lines.
std::optional<QStringList> ReadLines(const QString& path, bool& exists) {
    QFile file(path);
    exists = file.exists();
    if (!exists) return QStringList();
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return std::nullopt;
    QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith(u'\r')) line.chop(1);
    return lines;
}

// The last line of that name wins, as in a registry import.
std::optional<StoredValue> FindValue(const QStringList& lines, const QString& name) {
    std::optional<StoredValue> found;
    for (const QString& line : lines) {
        const std::optional<ValueLine> parsed = ParseLine(line);
        if (parsed && parsed->name.compare(name, Qt::CaseInsensitive) == 0) found = parsed->value;
    }
    return found;
}

// Puts each value in place of the first line of its name, drops later lines of that name and
// appends the values that were not there yet.
void ReplaceValues(QStringList& lines, const std::vector<std::pair<QString, StoredValue>>& values) {
    for (const auto& [name, value] : values) {
        bool placed = false;
        for (int i = 0; i < lines.size();) {
            const std::optional<ValueLine> parsed = ParseLine(lines.at(i));
            if (!parsed || parsed->name.compare(name, Qt::CaseInsensitive) != 0) {
                ++i;
            } else if (!placed) {
                lines[i++] = FormatLine(name, value);
                placed = true;
            } else {
                lines.removeAt(i);
            }
        }
        if (!placed) lines.append(FormatLine(name, value));
    }
}

// Rewrites the file with the values replaced, all at once or not at all. The lock keeps a
// second running copy from writing between this copy's read and its write.
void WriteValues(const QString& folder,
                 const std::vector<std::pair<QString, StoredValue>>& values) {
    if (!QDir().mkpath(folder)) return;
    const QString path = QDir(folder).filePath(kFileName);
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs)) return;

    bool existed = false;
    std::optional<QStringList> lines = ReadLines(path, existed);
    // A file that is there but cannot be read would lose its other values: leave it alone.
    if (!lines) return;
    if (!existed) lines->append(kHeader);
    ReplaceValues(*lines, values);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write((lines->join(u'\n') + u'\n').toUtf8());
    if (!file.commit()) return;
    // The folder is shared by everyone who may use the serial ports, so the file is too.
    if (!existed)
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                        QFileDevice::ReadOther);
}

}  // namespace

SettingsStore::SettingsStore(QString machineFolder) : folder_(std::move(machineFolder)) {}

QString SettingsStore::filePath() const {
    return QDir(folder_).filePath(kFileName);
}

// Reading never asks for write access, so an ordinary user on a machine whose folder only
// root may change still starts with the kept port and language.
void SettingsStore::Load(KeptSettings& settings) const {
    bool exists = false;
    const std::optional<QStringList> lines = ReadLines(filePath(), exists);
    if (!lines || !exists) return;
    const KeptSettings defaults;

    const std::optional<StoredValue> commNo = FindValue(*lines, QStringLiteral("ScanCommNo"));
    if (commNo && commNo->type != StoredValue::Type::Integer) return;
    settings.ScanCommNo = commNo ? commNo->integer : defaults.ScanCommNo;

    const std::optional<StoredValue> baudRate = FindValue(*lines, QStringLiteral("ScanBaudRate"));
    if (baudRate && baudRate->type != StoredValue::Type::Text) return;
    settings.ScanBaudRate = baudRate ? baudRate->text : defaults.ScanBaudRate;

    const std::optional<StoredValue> baudRateNo =
        FindValue(*lines, QStringLiteral("ScanBaudRateNo"));
    if (baudRateNo && baudRateNo->type != StoredValue::Type::Integer) return;
    // An index outside the line-setting table would select nothing: the text beside it gives
    // the index when it is one of the table's, otherwise the index counts as missing.
    const bool indexInTable =
        baudRateNo && baudRateNo->integer >= 0 && baudRateNo->integer <= kLastLineSettingIndex;
    const int textIndex = LineSettingIndex(settings.ScanBaudRate);
    settings.ScanBaudRateNo = indexInTable                   ? baudRateNo->integer
                              : baudRateNo && textIndex >= 0 ? textIndex
                                                             : defaults.ScanBaudRateNo;

    const std::optional<StoredValue> language = FindValue(*lines, QStringLiteral("LanguageFlag"));
    if (language && language->type != StoredValue::Type::Text) return;
    settings.LanguageFlag = language ? language->text : defaults.LanguageFlag;
}

void SettingsStore::SaveScan(int scanCommNo, int scanBaudRateNo, const QString& scanBaudRate) {
    WriteValues(folder_, {{QStringLiteral("ScanCommNo"), Integer(scanCommNo)},
                          {QStringLiteral("ScanBaudRateNo"), Integer(scanBaudRateNo)},
                          {QStringLiteral("ScanBaudRate"), Text(scanBaudRate)}});
}

void SettingsStore::SaveLanguage(const QString& languageFlag) {
    WriteValues(folder_, {{QStringLiteral("LanguageFlag"), Text(languageFlag)}});
}
