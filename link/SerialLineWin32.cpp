#include "SerialLineWin32.h"

#include <windows.h>

namespace {

HANDLE ToHandle(PortHandleType handle) {
    return reinterpret_cast<HANDLE>(handle);
}

char ParityLetter(Parity parity) {
    switch (parity) {
        case Parity::None:
            return 'n';
        case Parity::Even:
            return 'e';
        case Parity::Odd:
            return 'o';
        case Parity::Mark:
            return 'm';
        case Parity::Space:
            return 's';
    }
    return 'n';
}

const char* StopBitsText(StopBits stopBits) {
    switch (stopBits) {
        case StopBits::One:
            return "1";
        case StopBits::OneAndHalf:
            return "1.5";
        case StopBits::Two:
            return "2";
    }
    return "1";
}

}  // namespace

Win32SerialLine::~Win32SerialLine() {
    Close();
}

QByteArray Win32SerialLine::ModeString(const LineParameters& line) {
    // Flow control is named off explicitly: the parser's own default for it differs between
    // Windows versions.
    return QByteArray("baud=") + QByteArray::number(line.baudRate) +
           " parity=" + ParityLetter(line.parity) + " data=" + QByteArray::number(line.dataBits) +
           " stop=" + StopBitsText(line.stopBits) + " xon=off odsr=off octs=off";
}

namespace {

// Why CreateFileA did not open a port, from its GetLastError.
OpenResult Refusal(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return OpenResult::Failed(PortState::NoDevice, int(error));
        // A port that another program holds answers "access denied", not a sharing violation.
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return OpenResult::Failed(PortState::InUse, int(error));
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_FUNCTION:
            return OpenResult::Failed(PortState::NotSerialDevice, int(error));
        default:
            return OpenResult::Failed(PortState::OpenError, int(error));
    }
}

}  // namespace

OpenResult Win32SerialLine::Open(const QString& devicePath) {
    Close();
    if (devicePath.isEmpty()) return OpenResult::Failed(PortState::NoDevice);
    // Claimed before it is opened: another process's claim, held for its whole run, refuses
    // it; this process's own lets it open.
    PortClaim claim = PortClaim::Take(devicePath);
    if (claim.status() == PortClaim::Status::InUse)
        return RefusedByClaim(claim, ERROR_SHARING_VIOLATION);
    // Read and write, not shared, synchronous: another program holding the port is refused.
    const HANDLE handle =
        CreateFileA(devicePath.toLocal8Bit().constData(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return Refusal(GetLastError());
    handle_ = reinterpret_cast<PortHandleType>(handle);
    claim_ = std::move(claim);
    return OpenResult::Opened(handle_);
}

bool Win32SerialLine::GetTimeouts(CommTimeouts& timeouts) {
    COMMTIMEOUTS own{};
    if (!IsOpen() || !GetCommTimeouts(ToHandle(handle_), &own)) return false;
    timeouts.ReadIntervalTimeout = own.ReadIntervalTimeout;
    timeouts.ReadTotalTimeoutMultiplier = own.ReadTotalTimeoutMultiplier;
    timeouts.ReadTotalTimeoutConstant = own.ReadTotalTimeoutConstant;
    timeouts.WriteTotalTimeoutMultiplier = own.WriteTotalTimeoutMultiplier;
    timeouts.WriteTotalTimeoutConstant = own.WriteTotalTimeoutConstant;
    return true;
}

bool Win32SerialLine::SetTimeouts(const CommTimeouts& timeouts) {
    if (!IsOpen()) return false;
    COMMTIMEOUTS own{};
    own.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
    own.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
    own.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
    own.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
    own.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
    return SetCommTimeouts(ToHandle(handle_), &own) != FALSE;
}

bool Win32SerialLine::SetLine(const LineParameters& line) {
    if (!IsOpen()) return false;
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    // Start from the port's own state so that what the mode string leaves out stays as it is.
    if (!GetCommState(ToHandle(handle_), &dcb)) return false;
    if (!BuildCommDCBA(ModeString(line).constData(), &dcb)) return false;
    return SetCommState(ToHandle(handle_), &dcb) != FALSE;
}

qint64 Win32SerialLine::Write(const char* data, qint64 count) {
    if (!IsOpen() || count <= 0) return 0;
    DWORD written = 0;
    if (!WriteFile(ToHandle(handle_), data, DWORD(count), &written, nullptr)) return 0;
    return qint64(written);
}

int Win32SerialLine::ReadByte(char* byte) {
    if (!IsOpen()) return 0;
    // With the link's timeouts this returns at once with a waiting byte, else after about 1 ms.
    DWORD read = 0;
    if (ReadFile(ToHandle(handle_), byte, 1, &read, nullptr)) return read == 1 ? 1 : 0;
    switch (GetLastError()) {
        // A USB adapter pulled out: its handle answers every call with one of these.
        case ERROR_ACCESS_DENIED:
        case ERROR_BAD_COMMAND:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_GEN_FAILURE:
        case ERROR_FILE_NOT_FOUND:
            return PortGone;
        default:
            return 0;  // a read cut short by a purge, say
    }
}

bool Win32SerialLine::Purge() {
    if (!IsOpen()) return false;
    return PurgeComm(ToHandle(handle_),
                     PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR) != FALSE;
}

void Win32SerialLine::Close() {
    claim_.Release();
    if (!IsOpen()) return;
    CloseHandle(ToHandle(handle_));
    handle_ = InvalidPortHandle;
}
