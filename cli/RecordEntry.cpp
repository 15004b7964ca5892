#include "RecordEntry.h"

#include <QJsonDocument>
#include <QStringList>

#include "SettingCatalogue.h"

namespace {

// The settings' columns, in the order provisioning sends them.
const QStringList& SettingColumns() {
    static const QStringList columns = [] {
        QStringList names;
        for (const SettingRow& setting : SettingCatalogue()) names << QLatin1String(setting.name);
        return names;
    }();
    return columns;
}

QString Cell(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

}  // namespace

QString TimeWithOffset(const QDateTime& time) {
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

RecordFormat RecordFormatOf(const QString& path) {
    return path.endsWith(QLatin1String(".jsonl"), Qt::CaseInsensitive) ? RecordFormat::JsonLines
                                                                       : RecordFormat::Csv;
}

QByteArray CsvHeader() {
    return (QStringList{"time", "command", "port", "serial", "version", "reader-before",
                        "reader-after"} +
            SettingColumns() + QStringList{"label", "result", "failed"})
               .join(QLatin1Char(','))
               .toUtf8() +
           '\n';
}

QByteArray CsvLine(const RecordEntry& entry) {
    QStringList cells{
        TimeWithOffset(entry.time), entry.command,    entry.port, entry.serial, entry.version,
        entry.readerBefore,         entry.readerAfter};
    for (const QString& column : SettingColumns())
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
