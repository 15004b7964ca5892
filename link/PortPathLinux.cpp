#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <QFile>
#include <cerrno>

#include "PortPath.h"

namespace {

// Device numbers of the kernel's character devices that are no serial ports.
constexpr quint32 MemoryMajor = 1, NullMinor = 3;       // /dev/null, /dev/zero, /dev/kmsg, ...
constexpr quint32 TtyMajor = 4, FirstSerialMinor = 64;  // below 64: the virtual consoles
constexpr quint32 TtyAuxMajor = 5;                      // /dev/tty, /dev/console, /dev/ptmx
constexpr quint32 FirstPtsMajor = 136, LastPtsMajor = 143;

PortPath NotSerial(NotSerialKind kind) {
    PortPath path;
    path.state = PortState::NotSerialDevice;
    path.notSerial = kind;
    path.systemError = ENOTTY;
    return path;
}

}  // namespace

PortPath ExamineNode(quint32 mode, quint32 major, quint32 minor) {
    if (S_ISDIR(mode)) return NotSerial(NotSerialKind::Folder);
    if (S_ISREG(mode)) return NotSerial(NotSerialKind::RegularFile);
    if (!S_ISCHR(mode)) return NotSerial(NotSerialKind::Other);
    if (major == MemoryMajor)
        return NotSerial(minor == NullMinor ? NotSerialKind::NullDevice : NotSerialKind::Other);
    if ((major == TtyMajor && minor < FirstSerialMinor) || major == TtyAuxMajor)
        return NotSerial(NotSerialKind::SystemTerminal);
    PortPath path;
    path.state = PortState::Free;
    path.pseudoTerminal = major >= FirstPtsMajor && major <= LastPtsMajor;
    return path;
}

PortPath ExaminePortPath(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (!name.isEmpty() && ::stat(name.constData(), &info) == 0)
        return ExamineNode(info.st_mode, major(info.st_rdev), minor(info.st_rdev));
    const int error = name.isEmpty() ? ENOENT : errno;
    PortPath result;
    result.systemError = error;
    switch (error) {
        case ENOENT: {
            // A link that is there, to a device that is not: the assignment names what is missing.
            struct stat link {};
            const bool dangling =
                !name.isEmpty() && ::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode);
            result.state = dangling ? PortState::MissingTarget : PortState::NoDevice;
            break;
        }
        case ENOTDIR:
            result.state = PortState::NoDevice;
            break;
        case ELOOP:
            result.state = PortState::NotSerialDevice;
            result.notSerial = NotSerialKind::LinkLoop;
            break;
        case EACCES:
            result.state = PortState::NoPermission;
            break;
        default:
            result.state = PortState::OpenError;
            break;
    }
    return result;
}
