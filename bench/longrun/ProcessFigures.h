#pragma once

#include <QString>

// What /proc tells of a process at one moment.
struct ProcessFigures {
    qint64 residentKiB = 0;  // VmRSS
    int openFiles = 0;       // entries of /proc/PID/fd
    double cpuSeconds = 0;   // user and system time so far
};

// Of the given process, or of this one with 0.
ProcessFigures ReadProcessFigures(qint64 pid = 0);
