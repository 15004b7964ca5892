#pragma once

#include <QString>
#include <QtGlobal>

// What a port is, in one set of states for every place that tells it: an open, a look at the
// system without opening (vq880 ports), what a scan met there, and the trace. Each state has
// one name for scripts (PortStateName) and one set of words for people (in reader/).
enum class PortState {
    Free,             // there, and nobody holds it; an open that succeeded met it so
    Present,          // there (Windows tells no holder without opening the port)
    NoDevice,         // nothing there
    MissingTarget,    // a link assigns the port, to a device that is not there
    NoPermission,     // the user may not read and write it
    InUse,            // another program holds it
    NotSerialDevice,  // something is there, but no serial port (NotSerialKind says what)
    OpenError,        // the system refused it for another reason
    Gone,             // it went away during the tries
    Answered,         // it opened and bytes came back, but no reader's answer
    Silent,           // it opened, and no reader answered at any line setting tried
};

// What a path leads to when it is no serial port.
enum class NotSerialKind {
    Other,           // a device that is no terminal, a pipe or a socket
    RegularFile,     // a plain file
    Folder,          // a folder
    LinkLoop,        // links that lead round in a loop
    NullDevice,      // /dev/null
    SystemTerminal,  // a virtual console, /dev/console, /dev/tty or /dev/ptmx
};

// "free", "present", "no-device", "missing-link-target", "no-permission", "in-use",
// "not-serial-device", "open-error", "gone", "answered", "silent".
QString PortStateName(PortState state);

// A port's state and what the system told of it, for an open and for a look without one.
struct PortFacts {
    PortState state = PortState::NoDevice;
    // The path that was asked for: a link in ports/, a fixed device, or one given by its path.
    QString device;
    // The system's own error number (errno, or GetLastError on Windows), where it gave one.
    int systemError = 0;
    // In use: the program that holds it, where the system tells.
    qint64 holderPid = 0;
    QString holderName;
    // Without permission: the group whose members may read and write it, where there is one.
    QString group;
    // No serial port: what is there instead.
    NotSerialKind notSerial = NotSerialKind::Other;

    // No device is there: nothing at the path, or a link to nothing, as a pulled adapter leaves.
    bool absent() const {
        return state == PortState::NoDevice || state == PortState::MissingTarget;
    }
};
