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
    // The line that says why the entry could not be written, or an empty text.
    QString Append(const RecordEntry& entry);

  private:
    QString path_;
    RecordFormat format_ = RecordFormat::Csv;
    int fd_ = -1;
};
