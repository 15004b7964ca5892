#include "RecordEntry.h"

#include <QJsonDocument>
#include <QStringList>

#include "SettingCatalogue.h"

namespace {

QString Cell(const QString& text) {
    // A formula-like cell is quoted with a single quote first, as spreadsheets show text.
    const bool formula = StartsLikeFormula(text);
    if (!formula && !text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + (formula ? QStringLiteral("'") : QString()) + quoted +
           QLatin1Char('"');
}

}  // namespace

const QStringList& RecordSettingKeys() {
    static const QStringList keys = [] {
        QStringList names;
        for (const SettingRow& setting : SettingCatalogue()) names << QLatin1String(setting.name);
        return names;
    }();
    return keys;
}

const QStringList& CsvColumns() {
    static const QStringList columns =
        QStringList{"time",    "command",       "port",        "serial",
                    "version", "reader-before", "reader-after"} +
        RecordSettingKeys() + QStringList{"label", "result", "failed"};
    return columns;
}

bool StartsLikeFormula(const QString& text) {
    int i = 0;
    while (i < text.size() && text[i] == QLatin1Char('\'')) ++i;
    return i < text.size() && QStringLiteral("=+-@\t\r").contains(text[i]);
}

QString TimeWithOffset(const QDateTime& time) {
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

RecordFormat RecordFormatOf(const QString& path) {
    return path.endsWith(QLatin1String(".jsonl"), Qt::CaseInsensitive) ? RecordFormat::JsonLines
                                                                       : RecordFormat::Csv;
}

QByteArray CsvHeader() {
    return CsvColumns().join(QLatin1Char(',')).toUtf8() + '\n';
}

QByteArray CsvLine(const RecordEntry& entry) {
    QStringList cells{
        TimeWithOffset(entry.time), entry.command,    entry.port, entry.serial, entry.version,
        entry.readerBefore,         entry.readerAfter};
    for (const QString& column : RecordSettingKeys())
        cells << RecordedText(entry.written.value(column));
    cells << entry.label << entry.result << entry.failed;
    for (QString& cell : cells) cell = Cell(cell);
    return cells.join(QLatin1Char(',')).toUtf8() + '\n';
}

QByteArray JsonLine(const RecordEntry& entry) {
    QJsonObject object{{"time", TimeWithOffset(entry.time)},
                       {"command", entry.command},
                       {"port", entry.port},
                       {"serial", entry.serial},
                       {"version", entry.version},
                       {"reader-before", entry.readerBefore},
                       {"reader-after", entry.readerAfter},
                       {"written", entry.written},
                       {"result", entry.result}};
    if (!entry.label.isEmpty()) object.insert("label", entry.label);
    if (!entry.failed.isEmpty()) object.insert("failed", entry.failed);
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}
