#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "RecordEntry.h"

// Reading a site's record back: the CSV that RecordFile writes (its header, quoted cells, a
// last line without its line feed) or JSON lines, each entry with the file and line it came
// from. A line that does not parse, an unknown column or key, or a value the reader does not
// take refuses the whole record with one line naming the file, the line and the column; what
// it quotes of the file is short and escaped.
struct RecordedEntry {
    RecordEntry entry;
    QString file;
    int line = 0;  // where the entry begins, from 1
};

// The entries of a record's text; its format as the file's name says (RecordFormatOf).
std::vector<RecordedEntry> ParseRecord(const QString& fileName, const QByteArray& text);
// The entries of a record file; a folder, FIFO or device is refused, and so is a file larger
// than a record grows.
std::vector<RecordedEntry> ReadRecord(const QString& path);
// Several records merged in time order; entries of the same moment keep the order of the
// files and their lines.
std::vector<RecordedEntry> ReadRecords(const QStringList& paths);
void MergeInTimeOrder(std::vector<RecordedEntry>& entries);
