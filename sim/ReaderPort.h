#pragma once

#include <termios.h>

#include <QString>
#include <memory>
#include <optional>

#include "LineSetting.h"

// The reader's end of the line: the master side of a new pseudo-terminal, or a real serial
// device (a null-modem cable to the PC that runs the tool).
//
// On a pseudo-terminal the line parameters do nothing on the wire, so the reader reads what the
// tool applied to the terminal and compares it. It never changes the terminal's settings: a
// terminal left in raw mode by someone else refuses the tool's later opens. It keeps the slave
// side open itself, so the terminal does not hang up between the tool's opens.
class ReaderPort {
  public:
    static std::unique_ptr<ReaderPort> OpenPty(QString* error);
    static std::unique_ptr<ReaderPort> OpenDevice(const QString& path, QString* error);
    ~ReaderPort();
    ReaderPort(const ReaderPort&) = delete;
    ReaderPort& operator=(const ReaderPort&) = delete;

    int fd() const { return fd_; }
    // What the tool opens: the slave of the pseudo-terminal, or the device given.
    const QString& devicePath() const { return path_; }
    bool isPty() const { return pty_; }

    // The line the tool has set on the pseudo-terminal (parity unknown there: Linux keeps none).
    std::optional<LineParameters> ToolLine() const;
    // Puts the reader's own line on a real device: raw, no flow control. Not on a pty.
    bool ApplyReaderLine(const LineParameters& line, QString* error);
    // Waits until written bytes have left a real device.
    void Drain();
    // Ends the line at once: the device closes (the disconnect fault).
    void Close();
    // The adapter comes back: a new pseudo-terminal in place of the closed one.
    bool ReopenPty(QString* error);

  private:
    ReaderPort() = default;

    int fd_ = -1;
    int heldSlave_ = -1;
    bool pty_ = false;
    bool restoreSettings_ = false;
    termios savedSettings_{};
    QString path_;
};
