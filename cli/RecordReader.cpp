#include "RecordReader.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <algorithm>

#include "RecordValues.h"
#include "TerminalText.h"
#include "ValueChecks.h"

namespace {

// An entry takes 110 to 260 bytes: 16 MiB hold some 60,000 to 150,000 of them, dozens of
// writes for every door of a site of a thousand, and read and show in a few seconds. A larger
// file is not a site's record but a wrong one, and would only hold the run up.
constexpr qint64 MaxRecordBytes = qint64(16) << 20;

// Where in the record a mistake is, and the one line that names it.
struct Place {
    QString file;
    int line = 0;
    QString column;

    [[noreturn]] void Wrong(QString what) const {
        if (!what.endsWith(QLatin1Char('.'))) what += QLatin1Char('.');
        // One arg() for all: a name holding "%1" is not a place for the next.
        const QString at = QString::number(line);
        throw UsageMistake{column.isEmpty()
                               ? QStringLiteral("%1 line %2: %3").arg(TerminalText(file), at, what)
                               : QStringLiteral("%1 line %2, column %3: %4")
                                     .arg(TerminalText(file), at, column, what)};
    }
};

QString Quoted(const QString& text) {
    return QLatin1Char('"') + TerminalExcerpt(text) + QLatin1Char('"');
}

struct CsvRow {
    int line = 0;
    QStringList cells;
};

// The rows of a CSV text: comma-separated cells, a cell in double quotes may hold commas, line
// breaks and "" for a quote. A quoted cell that the writer guarded against a spreadsheet's
// formula ("'=...") reads back as it was given.
std::vector<CsvRow> CsvRows(const QString& text, Place& place) {
    std::vector<CsvRow> rows;
    CsvRow row{1, {}};
    QString cell;
    bool quoted = false;     // inside the quotes of a cell
    bool wasQuoted = false;  // the cell began with a quote
    bool rowQuoted = false;
    int line = 1;
    const auto endCell = [&] {
        if (wasQuoted && cell.startsWith(QLatin1Char('\'')) && StartsLikeFormula(cell.mid(1)))
            cell.remove(0, 1);
        row.cells << cell;
        cell.clear();
        wasQuoted = false;
    };
    const auto endRow = [&] {
        endCell();
        const bool blank = row.cells.size() == 1 && row.cells[0].isEmpty() && !rowQuoted;
        if (!blank) rows.push_back(row);
        row = {line + 1, {}};
        rowQuoted = false;
    };
    const auto wrong = [&](const QString& what) {
        place.line = line;
        place.Wrong(what);
    };
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool lineEnd =
            c == QLatin1Char('\n') || (c == QLatin1Char('\r') && i + 1 < text.size() &&
                                       text[i + 1] == QLatin1Char('\n') && !quoted);
        if (quoted) {
            if (c != QLatin1Char('"')) {
                if (c == QLatin1Char('\n')) ++line;
                cell += c;
            } else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                cell += c;
                ++i;
            } else {
                quoted = false;
            }
        } else if (lineEnd) {
            if (c == QLatin1Char('\r')) ++i;
            endRow();
            ++line;
        } else if (c == QLatin1Char(',')) {
            endCell();
        } else if (wasQuoted) {
            wrong(QStringLiteral("text after the closing quote of a cell"));
        } else if (c == QLatin1Char('"')) {
            if (!cell.isEmpty()) wrong(QStringLiteral("a quote inside a cell not quoted"));
            quoted = wasQuoted = rowQuoted = true;
        } else {
            cell += c;
        }
    }
    if (quoted) {
        place.line = row.line;
        place.Wrong(QStringLiteral("a quote is not closed"));
    }
    if (!row.cells.isEmpty() || !cell.isEmpty() || rowQuoted) endRow();
    return rows;
}

// The keys of an entry's texts, in the order of the enumeration below.
const QStringList& TextKeys() {
    static const QStringList keys{"time",          "command",      "port",  "serial", "version",
                                  "reader-before", "reader-after", "label", "result", "failed"};
    return keys;
}
enum TextKey {
    Time,
    Command,
    Port,
    Serial,
    Version,
    ReaderBefore,
    ReaderAfter,
    Label,
    Result,
    Failed
};

// An entry's texts and the settings it names, as read and before they are checked.
struct Fields {
    QString text[10];
    std::vector<std::pair<QString, QJsonValue>> written;
};

RecordEntry EntryOf(const Fields& fields, Place& place) {
    const auto text = [&](TextKey key) -> const QString& { return fields.text[key]; };
    RecordEntry entry;
    place.column = TextKeys()[Time];
    entry.time = QDateTime::fromString(text(Time), Qt::ISODateWithMs);
    if (!entry.time.isValid())
        place.Wrong(QStringLiteral("not a time such as 2026-12-10T08:15:02.417+01:00: ") +
                    Quoted(text(Time)));
    place.column = TextKeys()[Serial];
    entry.serial = text(Serial);
    if (entry.serial.isEmpty()) place.Wrong(QStringLiteral("empty"));
    place.column = TextKeys()[Result];
    entry.result = text(Result);
    static const QStringList results{"ok", "error", "port-gone"};
    if (!results.contains(entry.result))
        place.Wrong(QStringLiteral("not ok, error or port-gone: ") + Quoted(entry.result));
    entry.command = text(Command);
    entry.port = text(Port);
    entry.version = text(Version);
    entry.readerBefore = text(ReaderBefore);
    entry.readerAfter = text(ReaderAfter);
    entry.label = text(Label);

    for (const auto& [key, value] : fields.written) {
        place.column = key;
        if (!RecordSettingKeys().contains(key)) {
            place.column = QStringLiteral("written");
            place.Wrong(QStringLiteral("not a setting: ") + Quoted(key));
        }
        if (value.toString().size() > 32) place.Wrong(QStringLiteral("too long"));
        try {
            entry.written.insert(key, JsonValue(key, RecordedValue(key, value)));
        } catch (const UsageMistake& mistake) {
            place.Wrong(TerminalText(mistake.text));
        }
    }
    place.column = TextKeys()[Failed];
    entry.failed = fields.text[Failed];
    if (!entry.failed.isEmpty() && !entry.written.contains(entry.failed))
        place.Wrong(QStringLiteral("not a setting written: ") + Quoted(entry.failed));
    if (!entry.failed.isEmpty() && entry.result == QLatin1String("ok"))
        place.Wrong(QStringLiteral("a setting failed, but the result is ok"));
    place.column.clear();
    return entry;
}

std::vector<RecordedEntry> CsvEntries(const QString& text, Place& place) {
    const std::vector<CsvRow> rows = CsvRows(text, place);
    std::vector<RecordedEntry> entries;
    if (rows.empty()) return entries;
    const QStringList& header = rows.front().cells;
    place.line = rows.front().line;
    for (int i = 0; i < header.size(); ++i) {
        if (!CsvColumns().contains(header[i]))
            place.Wrong(QStringLiteral("not a column of a record: ") + Quoted(header[i]));
        if (header.indexOf(header[i]) != i)
            place.Wrong(QStringLiteral("the column %1 is there twice").arg(header[i]));
    }
    for (const char* needed : {"time", "serial", "result"})
        if (!header.contains(QLatin1String(needed)))
            place.Wrong(QStringLiteral("no column %1").arg(QLatin1String(needed)));
    std::vector<int> textKey;  // of each column, -1 for a setting
    for (const QString& column : header) textKey.push_back(int(TextKeys().indexOf(column)));
    entries.reserve(rows.size() - 1);
    for (auto row = rows.begin() + 1; row != rows.end(); ++row) {
        place.line = row->line;
        if (row->cells.size() != header.size())
            place.Wrong(QStringLiteral("%1 cells, the header has %2")
                            .arg(row->cells.size())
                            .arg(header.size()));
        Fields fields;
        for (int i = 0; i < header.size(); ++i) {
            if (textKey[i] >= 0)
                fields.text[textKey[i]] = row->cells[i];
            else if (!row->cells[i].isEmpty())
                fields.written.push_back({header[i], row->cells[i]});
        }
        entries.push_back({EntryOf(fields, place), place.file, row->line});
    }
    return entries;
}

// The fields of a JSON line: texts, and the object "written".
Fields FieldsOf(const QJsonObject& object, Place& place) {
    Fields fields;
    for (auto it = object.begin(); it != object.end(); ++it) {
        place.column = it.key();
        const int key = int(TextKeys().indexOf(it.key()));
        if (it.key() == QLatin1String("written")) {
            if (!it.value().isObject()) place.Wrong(QStringLiteral("not an object"));
            const QJsonObject written = it.value().toObject();
            for (auto setting = written.begin(); setting != written.end(); ++setting)
                fields.written.push_back({setting.key(), setting.value()});
        } else if (key < 0) {
            place.column.clear();
            place.Wrong(QStringLiteral("not a key of a record: ") + Quoted(it.key()));
        } else if (!it.value().isString()) {
            place.Wrong(QStringLiteral("not a text"));
        } else {
            fields.text[key] = it.value().toString();
        }
    }
    place.column.clear();
    return fields;
}

std::vector<RecordedEntry> JsonEntries(const QByteArray& text, Place& place) {
    std::vector<RecordedEntry> entries;
    int line = 0;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0) end = text.size();
        QByteArray bytes = text.mid(start, end - start).trimmed();
        // The JSON parser drops a byte order mark that begins a text; escaped, it stays.
        bytes.replace("\xEF\xBB\xBF", "\\ufeff");
        start = end + 1;
        place.line = ++line;
        if (bytes.isEmpty()) continue;
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
        if (error.error != QJsonParseError::NoError)
            place.Wrong(QStringLiteral("not JSON: %1 at character %2")
                            .arg(error.errorString())
                            .arg(error.offset + 1));
        if (!document.isObject()) place.Wrong(QStringLiteral("not a JSON object"));
        entries.push_back({EntryOf(FieldsOf(document.object(), place), place), place.file, line});
    }
    return entries;
}

// The first line of the text that is not UTF-8, or 0.
int LineNotUtf8(const QByteArray& text) {
    int line = 0;
    for (const QByteArray& bytes : text.split('\n')) {
        ++line;
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = decoder.decode(bytes);  // decodes only when taken
        if (decoder.hasError()) return line;
    }
    return 0;
}

}  // namespace

std::vector<RecordedEntry> ParseRecord(const QString& fileName, const QByteArray& raw) {
    Place place{fileName, 0, {}};
    const QByteArray text = raw.startsWith("\xEF\xBB\xBF") ? raw.mid(3) : raw;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(text);
    if (decoder.hasError()) {
        place.line = LineNotUtf8(text);
        place.Wrong(QStringLiteral("not UTF-8 text"));
    }
    return RecordFormatOf(fileName) == RecordFormat::JsonLines ? JsonEntries(text, place)
                                                               : CsvEntries(decoded, place);
}

std::vector<RecordedEntry> ReadRecord(const QString& path) {
    const QFileInfo info(path);
    const QString name = TerminalText(path);
    if (!info.exists())
        throw UsageMistake{QStringLiteral("record \"%1\": no such file.").arg(name)};
    if (!info.isFile())
        throw UsageMistake{QStringLiteral("record \"%1\" is not a regular file.").arg(name)};
    const QString tooLarge = QStringLiteral("record \"%1\" is larger than %2 bytes.")
                                 .arg(name, QString::number(MaxRecordBytes));
    if (info.size() > MaxRecordBytes) throw UsageMistake{tooLarge};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UsageMistake{QStringLiteral("record \"%1\" cannot be read: %2.")
                               .arg(name, TerminalText(file.errorString()))};
    const QByteArray text = file.read(MaxRecordBytes + 1);
    if (text.size() > MaxRecordBytes) throw UsageMistake{tooLarge};
    return ParseRecord(path, text);
}

void MergeInTimeOrder(std::vector<RecordedEntry>& entries) {
    std::stable_sort(
        entries.begin(), entries.end(),
        [](const RecordedEntry& a, const RecordedEntry& b) { return a.entry.time < b.entry.time; });
}

std::vector<RecordedEntry> ReadRecords(const QStringList& paths) {
    std::vector<RecordedEntry> all;
    for (const QString& path : paths) {
        std::vector<RecordedEntry> entries = ReadRecord(path);
        all.insert(all.end(), std::make_move_iterator(entries.begin()),
                   std::make_move_iterator(entries.end()));
    }
    MergeInTimeOrder(all);
    return all;
}
