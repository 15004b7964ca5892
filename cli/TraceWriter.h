#pragma once

#include <QString>
#include <cstdio>
#include <functional>

#include "LinkTracer.h"

// The trace of --trace: one line for every open, frame, byte group, verdict and close of the
// reader link, for support to read. The format is kept from version to version:
//
//   TIME PORT LINE EVENT [DETAILS]
//
// TIME is milliseconds since the start of the trace with three decimals, PORT "COMn" or the
// device's path, LINE the line setting such as "19200,e,8,1". EVENT is one of
//   open DEVICE driver=DRIVER low-latency=yes|no
//                                   DRIVER the kernel's ("ftdi_sio", "pty"), "-" when unknown;
//                                   whether the driver hands on bytes at once while it is open
//   refused DEVICE REASON [ERROR]   REASON: no-device, missing-link-target, no-permission,
//                                   in-use, not-serial-device, open-error; ERROR the system's
//   write HEX |TEXT|                a command frame, from its first byte
//   read HEX |TEXT|                 bytes that came back together, from the first of them
//   echo HEX |TEXT|                 the adapter's copy of the frame, set aside, at its last
//                                   byte; the reply behind it follows in a read of its own
//   verdict VERDICT                 on what came behind a set-aside echo: accepted,
//                                   wrong-check, wrong-length, noise, nothing (within the
//                                   reply window), port-gone
//   close
// HEX is the bytes as two upper-case hexadecimal digits each, separated by spaces; TEXT the same
// bytes with each one outside printable ASCII shown as ".".
//
// A file given to --trace is replaced only when it is empty or an earlier trace: one whose
// first line begins with HeaderStart.
class TraceWriter final : public LinkTracer {
  public:
    // The trace goes to the stream, which the writer flushes after each exchange; it does not
    // own it. When the stream does not take what is written (a full disk), `failed` is called
    // once with the system's error number, and nothing more is written.
    TraceWriter(std::FILE* stream, quint64 startUs, std::function<void(int error)> failed = {});
    void Trace(const LinkEvent& event) override;
    // Hands on what is still buffered; whether the stream took everything.
    bool Flush();

    // One event's line, without its end of line.
    static QByteArray Line(const LinkEvent& event, quint64 startUs);
    static constexpr const char* Header =
        "# vq880 trace 1: milliseconds, port, line setting, event, details\n";
    static constexpr const char* HeaderStart = "# vq880 trace ";

  private:
    void Write(const QByteArray& bytes, bool flush);
    void Fail();

    std::FILE* stream_;
    quint64 startUs_;
    std::function<void(int error)> onFailure_;
    bool broken_ = false;
};
