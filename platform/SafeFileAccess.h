#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QString>

// Careful access to a file in a folder that others may change: only a regular file of bounded
// size is read, a link is never followed, nothing waits on a FIFO or a device, and a save
// renames a new file of its own over the name.

// Whoever may use the serial ports may keep the settings.
constexpr mode_t kNewFileMode = 0664;

// What was found under a file's name.
struct StoreFile {
    enum class State {
        Missing,
        Read,
        Oversized,
        NotAFile,    // a link, FIFO, device or socket: never opened through, replaced on save
        Unreadable,  // a folder, or a file this user may not read: left as it is
    };
    State state = State::Missing;
    QByteArray bytes;
    mode_t mode = kNewFileMode;
};

StoreFile ReadStoreFile(const QString& path, qint64 maxBytes);

// Writes a new file beside the old one, flushed to the disk, and renames it over the name: all
// at once or not at all. Whatever had the name, a link included, is replaced; nothing is
// written through it.
bool ReplaceFile(const QString& path, const QByteArray& bytes, mode_t mode);
