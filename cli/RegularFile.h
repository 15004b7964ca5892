#pragma once

#include <QString>

// Files that the command line writes at the user's word (the record, the trace): never through
// a link, into a FIFO, a device or a folder, so that a mistaken path cannot reach a port or
// block the run.

// Whether a path may be written: missing (it is made), or a regular file that is not a link.
bool MayWriteTo(const QString& path);
// The line that refuses the path given to the option because it is no regular file.
QString NotRegularFile(const QString& option, const QString& path);
// That line when the path may not be written, or an empty text.
QString WritePathProblem(const QString& option, const QString& path);

// Opens or creates a regular file for writing, appended to (and readable) or emptied first. The
// descriptor, or -1 with `refused` set when the path is no regular file, or errno when the system
// said no.
struct OpenedFile {
    int fd = -1;
    bool refused = false;
};
OpenedFile OpenRegularFile(const QString& path, bool append);
