#pragma once

#include <QString>

#include "RecordEntry.h"

// The site's record, appended to and never rewritten: each entry is written whole in one append
// and flushed to the disk before the next reader is started, so that a crash or a pulled plug
// leaves no half line. The header of a new CSV record goes out with its first entry.
class RecordFile {
  public:
    RecordFile() = default;
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Opens or creates the record; a link, a FIFO, a device or a folder is refused. The line
    // that says why, or an empty text.
    QString Open(const QString& path);
    // Appends the entry whole or not at all; the system's reason when it could not, or an empty
    // text.
    QString Append(const RecordEntry& entry);
    // The entry as the record holds it: its CSV line or JSON line, with its line feed.
    QByteArray Line(const RecordEntry& entry) const;

  private:
    QString path_;
    RecordFormat format_ = RecordFormat::Csv;
    int fd_ = -1;
};
