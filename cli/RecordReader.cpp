#include "RecordReader.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <algorithm>

#include "ConsoleTexts.h"
#include "RecordValues.h"
#include "TerminalText.h"
#include "ValueChecks.h"

namespace {

// Where a mistake is. The texts it names stand in quotes of their language.
const ConsoleText AtLine = {"%1 line %2: %3", "%1 第 %2 行：%3", "%1 第 %2 行：%3"};
const ConsoleText AtColumn = {"%1 line %2, column %3: %4", "%1 第 %2 行，%3 列：%4",
                              "%1 第 %2 行，%3 欄：%4"};
const ConsoleText FullStop = {".", "。", "。"};
// The mistakes of a record's text.
const ConsoleText NotUtf8 = {"not UTF-8 text", "不是 UTF-8 文字", "不是 UTF-8 文字"};
const ConsoleText TextAfterQuote = {"text after the closing quote of a cell",
                                    "单元格的右引号后面还有文字", "儲存格的右引號後面還有文字"};
const ConsoleText QuoteInCell = {"a quote inside a cell not quoted", "未加引号的单元格中有引号",
                                 "未加引號的儲存格中有引號"};
const ConsoleText QuoteNotClosed = {"a quote is not closed", "引号没有闭合", "引號沒有閉合"};
const ConsoleText NotAColumn = {"not a column of a record: \"%1\"", "不是记录的列：“%1”",
                                "不是記錄的欄位：「%1」"};
const ConsoleText ColumnTwice = {"the column %1 is there twice", "%1 列出现了两次",
                                 "%1 欄出現了兩次"};
const ConsoleText NoColumn = {"no column %1", "没有 %1 列", "沒有 %1 欄"};
const ConsoleText CellCount = {"%1 cells, the header has %2", "有 %1 个单元格，表头有 %2 个",
                               "有 %1 個儲存格，標題列有 %2 個"};
const ConsoleText NotJson = {"not JSON: %1 at character %2", "不是 JSON：%1（第 %2 个字符）",
                             "不是 JSON：%1（第 %2 個字元）"};
const ConsoleText NotJsonObject = {"not a JSON object", "不是 JSON 对象", "不是 JSON 物件"};
const ConsoleText NotAKey = {"not a key of a record: \"%1\"", "不是记录的键：“%1”",
                             "不是記錄的鍵：「%1」"};
const ConsoleText NotAnObject = {"not an object", "不是对象", "不是物件"};
const ConsoleText NotAText = {"not a text", "不是文字", "不是文字"};
// The mistakes of an entry's values.
const ConsoleText NotATime = {"not a time such as 2026-12-10T08:15:02.417+01:00: \"%1\"",
                              "不是时间（例如 2026-12-10T08:15:02.417+01:00）：“%1”",
                              "不是時間（例如 2026-12-10T08:15:02.417+01:00）：「%1」"};
const ConsoleText Empty = {"empty", "为空", "為空"};
const ConsoleText NotAResult = {"not ok, error or port-gone: \"%1\"",
                                "不是 ok、error 或 port-gone：“%1”",
                                "不是 ok、error 或 port-gone：「%1」"};
const ConsoleText NotASetting = {"not a setting: \"%1\"", "不是设定项：“%1”", "不是設定項：「%1」"};
const ConsoleText TooLong = {"too long", "太长", "太長"};
const ConsoleText NotASettingWritten = {"not a setting written: \"%1\"", "不是写入的设定：“%1”",
                                        "不是寫入的設定：「%1」"};
const ConsoleText FailedButOk = {"a setting failed, but the result is ok",
                                 "有设定失败，但结果是 ok", "有設定失敗，但結果是 ok"};
// A file that is no record.
const ConsoleText NoSuchFile = {"record \"%1\": no such file.", "记录“%1”：没有这个文件。",
                                "記錄「%1」：沒有這個檔案。"};
const ConsoleText NotAFile = {"record \"%1\" is not a regular file.", "记录“%1”不是普通文件。",
                              "記錄「%1」不是一般檔案。"};
const ConsoleText TooLarge = {"record \"%1\" is larger than %2 bytes.", "记录“%1”大于 %2 字节。",
                              "記錄「%1」大於 %2 位元組。"};
const ConsoleText Unreadable = {"record \"%1\" cannot be read: %2.", "无法读取记录“%1”：%2。",
                                "無法讀取記錄「%1」：%2。"};

// What a mistake quotes of the record: short and escaped.
QString Said(const ConsoleText& text, const QString& quoted) {
    return Tr(text).arg(TerminalExcerpt(quoted));
}

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
        const QString stop = Tr(FullStop);
        if (!what.endsWith(QLatin1Char('.')) && !what.endsWith(stop)) what += stop;
        // One arg() for all: a name holding "%1" is not a place for the next.
        const QString at = QString::number(line);
        throw UsageMistake{column.isEmpty()
                               ? Tr(AtLine).arg(TerminalText(file), at, what)
                               : Tr(AtColumn).arg(TerminalText(file), at, column, what)};
    }
};

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
    const auto wrong = [&](const ConsoleText& what) {
        place.line = line;
        place.Wrong(Tr(what));
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
            wrong(TextAfterQuote);
        } else if (c == QLatin1Char('"')) {
            if (!cell.isEmpty()) wrong(QuoteInCell);
            quoted = wasQuoted = rowQuoted = true;
        } else {
            cell += c;
        }
    }
    if (quoted) {
        place.line = row.line;
        place.Wrong(Tr(QuoteNotClosed));
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
    if (!entry.time.isValid()) place.Wrong(Said(NotATime, text(Time)));
    place.column = TextKeys()[Serial];
    entry.serial = text(Serial);
    if (entry.serial.isEmpty()) place.Wrong(Tr(Empty));
    place.column = TextKeys()[Result];
    entry.result = text(Result);
    static const QStringList results{"ok", "error", "port-gone"};
    if (!results.contains(entry.result)) place.Wrong(Said(NotAResult, entry.result));
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
            place.Wrong(Said(NotASetting, key));
        }
        if (value.toString().size() > 32) place.Wrong(Tr(TooLong));
        try {
            entry.written.insert(key, JsonValue(key, RecordedValue(key, value)));
        } catch (const UsageMistake& mistake) {
            place.Wrong(TerminalText(mistake.text));
        }
    }
    place.column = TextKeys()[Failed];
    entry.failed = fields.text[Failed];
    if (!entry.failed.isEmpty() && !entry.written.contains(entry.failed))
        place.Wrong(Said(NotASettingWritten, entry.failed));
    if (!entry.failed.isEmpty() && entry.result == QLatin1String("ok"))
        place.Wrong(Tr(FailedButOk));
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
        if (!CsvColumns().contains(header[i])) place.Wrong(Said(NotAColumn, header[i]));
        if (header.indexOf(header[i]) != i) place.Wrong(Tr(ColumnTwice).arg(header[i]));
    }
    for (const char* needed : {"time", "serial", "result"})
        if (!header.contains(QLatin1String(needed)))
            place.Wrong(Tr(NoColumn).arg(QLatin1String(needed)));
    std::vector<int> textKey;  // of each column, -1 for a setting
    for (const QString& column : header) textKey.push_back(int(TextKeys().indexOf(column)));
    entries.reserve(rows.size() - 1);
    for (auto row = rows.begin() + 1; row != rows.end(); ++row) {
        place.line = row->line;
        if (row->cells.size() != header.size())
            place.Wrong(Tr(CellCount).arg(QString::number(row->cells.size()),
                                          QString::number(header.size())));
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
            if (!it.value().isObject()) place.Wrong(Tr(NotAnObject));
            const QJsonObject written = it.value().toObject();
            for (auto setting = written.begin(); setting != written.end(); ++setting)
                fields.written.push_back({setting.key(), setting.value()});
        } else if (key < 0) {
            place.column.clear();
            place.Wrong(Said(NotAKey, it.key()));
        } else if (!it.value().isString()) {
            place.Wrong(Tr(NotAText));
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
            place.Wrong(Tr(NotJson).arg(error.errorString(), QString::number(error.offset + 1)));
        if (!document.isObject()) place.Wrong(Tr(NotJsonObject));
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
        place.Wrong(Tr(NotUtf8));
    }
    return RecordFormatOf(fileName) == RecordFormat::JsonLines ? JsonEntries(text, place)
                                                               : CsvEntries(decoded, place);
}

std::vector<RecordedEntry> ReadRecord(const QString& path) {
    const QFileInfo info(path);
    const QString name = TerminalText(path);
    if (!info.exists()) throw UsageMistake{Tr(NoSuchFile).arg(name)};
    if (!info.isFile()) throw UsageMistake{Tr(NotAFile).arg(name)};
    const QString tooLarge = Tr(TooLarge).arg(name, QString::number(MaxRecordBytes));
    if (info.size() > MaxRecordBytes) throw UsageMistake{tooLarge};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UsageMistake{Tr(Unreadable).arg(name, TerminalText(file.errorString()))};
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
