#pragma once

#include <QByteArray>
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

// Whether two paths lead to one file: the same device and inode once links are followed, as an
// open follows them; for a file not there yet, the same name in the same folder.
bool SameFile(const QString& one, const QString& other);

// Opens or creates a regular file for writing (and reading), appended to, or emptied first when
// it is empty already or begins with `replaces`. The descriptor, or -1 with `refused` set when the
// path is no regular file, `notReplaced` when it holds something else, or errno when the system
// said no.
struct OpenedFile {
    int fd = -1;
    bool refused = false;
    bool notReplaced = false;
};
enum class Writing { Append, Replace };
OpenedFile OpenRegularFile(const QString& path, Writing writing, const QByteArray& replaces = {});
