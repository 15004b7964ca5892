#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// What one reader was given, for the site's record: when, where, which reader, the number
// before and after, each setting written, and how it ended.
struct RecordEntry {
    QDateTime time;
    QString command;  // "provision", "set-id", ...
    QString port;     // "COM5"
    QString serial;
    QString version;
    QString readerBefore;  // two digits, as the reader told it when it was found
    QString readerAfter;
    // Each setting sent, under its name in the catalogue of settings, as the catalogue records
    // it. In the order they are sent: all were confirmed but the one named by failed, and
    // nothing after it was sent.
    QJsonObject written;
    QString label;   // the plan's, for the door or lane
    QString result;  // "ok", "error" or "port-gone"
    QString failed;  // the key in written of the setting not confirmed
};

// A moment as the record and the tags' JSON give it: ISO 8601 with milliseconds and the offset
// from UTC, "2026-12-10T08:15:02.417+01:00".
QString TimeWithOffset(const QDateTime& time);

// A record whose file name ends in ".jsonl" holds JSON lines; any other, CSV with a header.
enum class RecordFormat { Csv, JsonLines };
RecordFormat RecordFormatOf(const QString& path);

// The record's columns, as the header of a CSV record names them, and of those the settings
// in the order provisioning sends them: "id", "same-card", "input", "mode", "rssi", "line-speed".
const QStringList& CsvColumns();
const QStringList& RecordSettingKeys();

// Whether a spreadsheet would take a cell for a formula: it begins with "=", "+", "-", "@", a
// tab or a carriage return, after any single quotes. The CSV record writes such a cell quoted
// with one more single quote first, so that it shows as text.
bool StartsLikeFormula(const QString& text);

// The header of a CSV record and one entry's line, each ending in a line feed.
QByteArray CsvHeader();
QByteArray CsvLine(const RecordEntry& entry);
QByteArray JsonLine(const RecordEntry& entry);
