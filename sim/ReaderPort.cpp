#include "ReaderPort.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QFile>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

struct Speed {
    speed_t code;
    qint32 baud;
};
constexpr std::array<Speed, 19> Speeds{{{B50, 50},
                                        {B75, 75},
                                        {B110, 110},
                                        {B134, 134},
                                        {B150, 150},
                                        {B200, 200},
                                        {B300, 300},
                                        {B600, 600},
                                        {B1200, 1200},
                                        {B1800, 1800},
                                        {B2400, 2400},
                                        {B4800, 4800},
                                        {B9600, 9600},
                                        {B19200, 19200},
                                        {B38400, 38400},
                                        {B57600, 57600},
                                        {B115200, 115200},
                                        {B230400, 230400},
                                        {B460800, 460800}}};

qint32 BaudOf(speed_t code) {
    for (const Speed& s : Speeds)
        if (s.code == code) return s.baud;
    return 0;
}

std::optional<speed_t> CodeOf(qint32 baud) {
    for (const Speed& s : Speeds)
        if (s.baud == baud) return s.code;
    return std::nullopt;
}

QString SystemError(const QString& what) {
    return what + ": " + QString::fromLocal8Bit(std::strerror(errno));
}

}  // namespace

std::unique_ptr<ReaderPort> ReaderPort::OpenPty(QString* error) {
    std::unique_ptr<ReaderPort> port(new ReaderPort);
    port->pty_ = true;
    port->fd_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (port->fd_ < 0 || grantpt(port->fd_) != 0 || unlockpt(port->fd_) != 0) {
        *error = SystemError("Cannot make a pseudo-terminal");
        return nullptr;
    }
    char name[128] = {};
    if (ptsname_r(port->fd_, name, sizeof name) != 0) {
        *error = SystemError("Cannot name the pseudo-terminal");
        return nullptr;
    }
    port->path_ = QFile::decodeName(name);
    // Held for the whole run and never read: the tool's opens and closes then never hang the
    // terminal up, and the master does not report a hang-up while no tool has it open.
    port->heldSlave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port->heldSlave_ < 0) {
        *error = SystemError("Cannot open " + port->path_);
        return nullptr;
    }
    return port;
}

std::unique_ptr<ReaderPort> ReaderPort::OpenDevice(const QString& path, QString* error) {
    std::unique_ptr<ReaderPort> port(new ReaderPort);
    port->path_ = path;
    port->fd_ =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port->fd_ < 0) {
        *error = SystemError("Cannot open " + path);
        return nullptr;
    }
    if (tcgetattr(port->fd_, &port->savedSettings_) != 0) {
        *error = path + " is not a serial device.";
        return nullptr;
    }
    port->restoreSettings_ = true;
    ioctl(port->fd_, TIOCEXCL);  // the reader's end is nobody else's
    return port;
}

ReaderPort::~ReaderPort() {
    Close();
}

void ReaderPort::Close() {
    if (fd_ >= 0) {
        if (restoreSettings_) {
            tcsetattr(fd_, TCSANOW, &savedSettings_);
            ioctl(fd_, TIOCNXCL);
        }
        ::close(fd_);
        fd_ = -1;
    }
    if (heldSlave_ >= 0) {
        ::close(heldSlave_);
        heldSlave_ = -1;
    }
}

bool ReaderPort::ReopenPty(QString* error) {
    std::unique_ptr<ReaderPort> fresh = OpenPty(error);
    if (!fresh) return false;
    Close();
    std::swap(fd_, fresh->fd_);
    std::swap(heldSlave_, fresh->heldSlave_);
    std::swap(path_, fresh->path_);
    return true;
}

std::optional<LineParameters> ReaderPort::ToolLine() const {
    termios settings{};
    // On Linux the master reports the slave's settings, that is the tool's.
    if (fd_ < 0 || tcgetattr(fd_, &settings) != 0) return std::nullopt;
    LineParameters line;
    line.baudRate = BaudOf(cfgetospeed(&settings));
    line.parity = !(settings.c_cflag & PARENB)  ? Parity::None
                  : (settings.c_cflag & PARODD) ? Parity::Odd
                                                : Parity::Even;
    switch (settings.c_cflag & CSIZE) {
        case CS5:
            line.dataBits = 5;
            break;
        case CS6:
            line.dataBits = 6;
            break;
        case CS7:
            line.dataBits = 7;
            break;
        default:
            line.dataBits = 8;
            break;
    }
    line.stopBits = (settings.c_cflag & CSTOPB) ? StopBits::Two : StopBits::One;
    return line;
}

bool ReaderPort::ApplyReaderLine(const LineParameters& line, QString* error) {
    if (pty_ || fd_ < 0) return true;
    const auto speed = CodeOf(line.baudRate);
    if (!speed) {
        *error = QString("%1 baud is not available on %2").arg(line.baudRate).arg(path_);
        return false;
    }
    termios settings{};
    if (tcgetattr(fd_, &settings) != 0) {
        *error = SystemError("Cannot read the settings of " + path_);
        return false;
    }
    cfmakeraw(&settings);
    cfsetspeed(&settings, *speed);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cflag &= ~(CRTSCTS | PARENB | PARODD | CSTOPB | CSIZE);
    settings.c_cflag |= CS8;
    if (line.parity == Parity::Even) settings.c_cflag |= PARENB;
    if (line.parity == Parity::Odd) settings.c_cflag |= PARENB | PARODD;
    if (line.stopBits == StopBits::Two) settings.c_cflag |= CSTOPB;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (tcsetattr(fd_, TCSANOW, &settings) != 0) {
        *error = SystemError("Cannot set the line of " + path_);
        return false;
    }
    return true;
}

void ReaderPort::Drain() {
    if (!pty_ && fd_ >= 0) tcdrain(fd_);
}
