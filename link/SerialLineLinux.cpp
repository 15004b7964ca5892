#include "SerialLineLinux.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <cerrno>

#include "DeviceGroup.h"
#include "PortDriver.h"
#include "PortHolder.h"
#include "PortPath.h"

namespace {

QSerialPort::Parity ToQt(Parity parity) {
    switch (parity) {
        case Parity::None:
            return QSerialPort::NoParity;
        case Parity::Even:
            return QSerialPort::EvenParity;
        case Parity::Odd:
            return QSerialPort::OddParity;
        case Parity::Mark:
            return QSerialPort::MarkParity;
        case Parity::Space:
            return QSerialPort::SpaceParity;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits ToQt(StopBits stopBits) {
    switch (stopBits) {
        case StopBits::One:
            return QSerialPort::OneStop;
        case StopBits::OneAndHalf:
            return QSerialPort::OneAndHalfStop;
        case StopBits::Two:
            return QSerialPort::TwoStop;
    }
    return QSerialPort::OneStop;
}

// A device has no read time limit of its own here; a fresh port waits for nothing.
constexpr CommTimeouts DeviceTimeouts{0, 0, 0, 0, 0};

// Why QSerialPort did not open a serial device that is there.
OpenResult Refusal(const QByteArray& path, QSerialPort::SerialPortError error) {
    if (error == QSerialPort::DeviceNotFoundError)
        return OpenResult::Failed(PortState::NoDevice, ENOENT);
    if (error == QSerialPort::PermissionError) {
        // Its own lock file, another program's, or the device's exclusive mode give the same
        // error as the device's permissions: the permissions are asked for themselves.
        if (::access(path.constData(), R_OK | W_OK) != 0) {
            OpenResult result = OpenResult::Failed(PortState::NoPermission, errno);
            result.group = DeviceGroup(QFile::decodeName(path));
            return result;
        }
        OpenResult result = OpenResult::Failed(PortState::InUse, EBUSY);
        const PortHolder holder = FindPortHolder(QFile::decodeName(path));
        result.holderPid = holder.pid;
        result.holderName = holder.name;
        return result;
    }
    // Whether the device is a terminal at all, and the system's own error where it refuses.
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return OpenResult::Failed(PortState::OpenError, errno);
    const bool terminal = ::isatty(fd) != 0;
    ::close(fd);
    if (!terminal) return OpenResult::Failed(PortState::NotSerialDevice, ENOTTY);
    return OpenResult::Failed(PortState::OpenError);
}

// Asks the driver to hand on received bytes at once: an FTDI adapter then holds them for 1 ms
// instead of its latency timer's 16. True when the port has low latency now; changed tells
// that this open switched it on. A driver that refuses (a pseudo-terminal keeps no serial
// information at all) is left as it was.
bool AskLowLatency(int fd, bool& changed) {
    serial_struct info{};
    if (::ioctl(fd, TIOCGSERIAL, &info) != 0) return false;
    if (info.flags & ASYNC_LOW_LATENCY) return true;
    info.flags |= ASYNC_LOW_LATENCY;
    if (::ioctl(fd, TIOCSSERIAL, &info) != 0) return false;
    changed = true;
    return ::ioctl(fd, TIOCGSERIAL, &info) == 0 && (info.flags & ASYNC_LOW_LATENCY) != 0;
}

void DropLowLatency(int fd) {
    serial_struct info{};
    if (::ioctl(fd, TIOCGSERIAL, &info) != 0) return;
    info.flags &= ~ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &info);
}

}  // namespace

LinuxSerialLine::LinuxSerialLine() : timeouts_(DeviceTimeouts) {}

OpenResult LinuxSerialLine::Open(const QString& devicePath) {
    Close();
    // Told from the file system first: a device that is not there fails at once (a scan passes
    // over a dozen of them, and the port's lock file would otherwise be written for each), and
    // a console or a file is never set up as a port or written to.
    const PortPath path = ExaminePortPath(devicePath);
    if (!path.serialPort()) {
        OpenResult result = OpenResult::Failed(path.state, path.systemError);
        result.notSerial = path.notSerial;
        return result;
    }
    // Claimed before it is opened, by any path to it: another process's claim, held for its
    // whole run, refuses it; this process's own lets it open.
    PortClaim claim = PortClaim::Take(devicePath);
    if (claim.status() == PortClaim::Status::InUse) return RefusedByClaim(claim, EBUSY);
    port_.setPortName(devicePath);
    // Open with the line as it is: a pseudo-terminal refuses parity, and a refused parameter
    // must not fail the open. The line is applied parameter by parameter afterwards.
    if (!port_.open(QIODevice::ReadWrite))
        return Refusal(QFile::encodeName(devicePath), port_.error());
    claim_ = std::move(claim);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    timeouts_ = DeviceTimeouts;
    OpenResult result = OpenResult::Opened(port_.handle());
    result.driver = ReadPortDriver(devicePath).name;
    lowLatencyChanged_ = false;
    result.lowLatency = AskLowLatency(int(port_.handle()), lowLatencyChanged_);
    return result;
}

bool LinuxSerialLine::GetTimeouts(CommTimeouts& timeouts) {
    if (!port_.isOpen()) return false;
    timeouts = timeouts_;
    return true;
}

bool LinuxSerialLine::SetTimeouts(const CommTimeouts& timeouts) {
    if (!port_.isOpen()) return false;
    timeouts_ = timeouts;
    return true;
}

bool LinuxSerialLine::SetLine(const LineParameters& line) {
    if (!port_.isOpen()) return false;
    bool all = port_.setBaudRate(line.baudRate);
    all = port_.setDataBits(QSerialPort::DataBits(line.dataBits)) && all;
    all = port_.setParity(ToQt(line.parity)) && all;
    all = port_.setStopBits(ToQt(line.stopBits)) && all;
    all = port_.setFlowControl(QSerialPort::NoFlowControl) && all;
    port_.clearError();
    return all;
}

qint64 LinuxSerialLine::Write(const char* data, qint64 count) {
    if (!port_.isOpen() || count <= 0) return 0;
    const qint64 written = port_.write(data, count);
    // Push the bytes to the device now, so the pause that follows paces the line.
    while (port_.bytesToWrite() > 0)
        if (!port_.waitForBytesWritten(50)) break;
    return written;
}

int LinuxSerialLine::ReadByte(char* byte) {
    const int waitMs =
        int(timeouts_.ReadTotalTimeoutConstant + timeouts_.ReadTotalTimeoutMultiplier);
    // Bytes that the port's read notifier took while messages were dispatched are in its
    // buffer, ahead of what the device still holds: they go first.
    if (port_.isOpen() && port_.bytesAvailable() > 0) return port_.read(byte, 1) == 1 ? 1 : 0;
    // The notifier met the device gone while messages were dispatched.
    if (port_.isOpen() && port_.error() == QSerialPort::ResourceError) return PortGone;

    QElapsedTimer waited;
    waited.start();
    // The wait itself is a poll on the device: QSerialPort's own wait composes an error text on
    // every timeout, which is most of the processor time of an idle reply window.
    if (port_.isOpen()) {
        pollfd device{int(port_.handle()), POLLIN, 0};
        const timespec timeout{waitMs / 1000, long(waitMs % 1000) * 1000000};
        if (ppoll(&device, 1, &timeout, nullptr) == 1) {
            if (device.revents & POLLIN) {
                const ssize_t n = ::read(device.fd, byte, 1);
                if (n == 1) return 1;
                // Readable but nothing to read, or an I/O error: the terminal has hung up.
                if (n == 0 || (errno != EAGAIN && errno != EINTR)) return PortGone;
            } else if (device.revents & (POLLHUP | POLLERR | POLLNVAL)) {
                return PortGone;
            }
        }
    }
    // A closed port answers at once; wait out the read time all the same, so that it costs the
    // same as a silent one and not a busy loop.
    const qint64 rest = waitMs - waited.elapsed();
    if (rest > 0) QThread::msleep(quint64(rest));
    return 0;
}

bool LinuxSerialLine::Purge() {
    if (!port_.isOpen()) return false;
    return port_.clear(QSerialPort::AllDirections);
}

void LinuxSerialLine::Close() {
    if (port_.isOpen()) {
        // The flag as it was before the open: other programs get the port as they left it.
        if (lowLatencyChanged_) DropLowLatency(int(port_.handle()));
        port_.close();
    }
    lowLatencyChanged_ = false;
    claim_.Release();
}
