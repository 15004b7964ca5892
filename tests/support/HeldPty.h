#pragma once

// A pseudo-terminal whose master and slave a test holds, as the simulator holds its own; not
// handed on to the programs the test starts.

#include <fcntl.h>
#include <unistd.h>

#include <QString>
#include <cstdlib>

struct HeldPty {
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    int slave = -1;
    QString path;
    HeldPty() {
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
        path = QString::fromLocal8Bit(ptsname(master));
        slave = ::open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    }
    ~HeldPty() {
        if (slave >= 0) ::close(slave);
        if (master >= 0) ::close(master);
    }
    HeldPty(const HeldPty&) = delete;
    HeldPty& operator=(const HeldPty&) = delete;
};
