#pragma once

#include <QString>
#include <QtGlobal>

#include "PortState.h"

// Whether a path leads to a serial port, told from the file system alone: nothing is opened, so
// a console or a device that is no port is never written to or set up.
struct PortPath {
    // Free: a serial port or a pseudo-terminal is there (who holds it and whether the user may
    // open it are not asked). Otherwise NoDevice, MissingTarget, NoPermission (a folder on the
    // way may not be searched), NotSerialDevice or OpenError.
    PortState state = PortState::NoDevice;
    NotSerialKind notSerial = NotSerialKind::Other;
    int systemError = 0;
    // The far end of a pseudo-terminal: allowed, as the simulator and null-modem setups use it.
    bool pseudoTerminal = false;

    bool serialPort() const { return state == PortState::Free; }
};

PortPath ExaminePortPath(const QString& path);
// The same for a node that is there, from its file type and device numbers: virtual consoles,
// /dev/console, /dev/tty and /dev/ptmx are no serial ports, pseudo-terminals are.
PortPath ExamineNode(quint32 mode, quint32 major, quint32 minor);
