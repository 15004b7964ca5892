#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <functional>
#include <vector>

#include "Clock.h"
#include "LinkTracer.h"
#include "PortNames.h"
#include "SerialLine.h"

// What came back in one exchange, as a reply is judged: the reader's frame, or why it was not
// taken.
enum class ReplyVerdict {
    Accepted,     // a whole frame with valid check characters, of the expected length
    WrongLength,  // a whole, checked frame of another length
    WrongCheck,   // a whole frame whose check characters do not match
    Echo,         // the command itself came back, as a half-duplex adapter returns it
    Noise,        // bytes, but no whole frame
    Nothing,      // no byte within the reply window
    PortGone,     // the device went away during the exchange
};

// The one serial port through which the tool talks to the reader, and the reply state that all
// exchanges share.
class ReaderLink {
  public:
    using ProcessMessages = std::function<void()>;

    ReaderLink(SerialLine& line, Clock& clock, const PortNames& names,
               ProcessMessages processMessages);

    // Opens "COMn" exclusively, saves its timeouts, puts the link's own on it and applies the
    // line setting. Opened as soon as the port itself is open; else why not, with the device.
    OpenResult OpenPort(int comNumber, const QString& lineSetting);
    // Puts the saved timeouts back and closes. Only after an OpenPort that returned true; a
    // port whose device went away is closed already, and closing it again does nothing.
    void ClosePort();
    // Each write is followed by its pause; within a frame the pauses run from the frame's
    // start (1, 5, 1, 1, 1 ms after the five writes: 9 ms in all).
    void WriteByte(quint8 value);                  // then 1 ms
    void WriteBytes(const char* data, int count);  // then 5 ms
    // Frames and sends the command, waits up to about 120 ms for a complete reply frame and
    // checks it. ReplyLength and ReplyText are left as described beside them.
    bool SendCommand(const QByteArray& commandText);
    bool CheckReply() const;

    void Sleep(quint32 ms) { clock_.SleepMs(ms); }

    // The reply of the last exchange, as the callers read its fields.
    struct Reply {
        // Bytes stored in the last exchange, modulo 1024.
        int ReplyLength = 0;
        // The last complete reply frame, LF to CR, up to the first zero byte; replaced only
        // when a complete frame arrives.
        QByteArray ReplyText;
    };
    const Reply& LastReply() const { return reply_; }
    // The last exchange judged against the reply length its command expects; 0 takes a whole,
    // checked frame of any length.
    ReplyVerdict Verdict(int expectedLength) const;
    // Whether the port is open now: between an OpenPort that returned true and its ClosePort.
    bool IsOpen() const { return open_; }
    // The open port's device has gone away (a hang-up or an I/O error): the port was closed
    // at that moment, and every exchange fails at once from then on, until the next OpenPort.
    bool PortGone() const { return gone_; }

    // Tells the tracer of every open, frame, byte group, verdict and close from now on; null
    // for none. The events of an exchange are told when its reply window is over, so that the
    // tracing takes nothing from the exchange's own time.
    void SetTracer(LinkTracer* tracer) { tracer_ = tracer; }

    static constexpr int ReplyBufferSize = 1024;
    static constexpr quint32 ReplyWindowMs = 120;
    static constexpr CommTimeouts LinkTimeouts{0, 0, 1, 0, 0};

  private:
    void PauseAfterWrite(quint32 ms);
    bool EndExchange(bool accepted);
    // An event at the open port and line.
    LinkEvent Event(LinkEvent::Kind kind, quint64 timeUs) const;
    void TraceEvent(LinkEvent::Kind kind, quint64 timeUs, QByteArray bytes = {});

    PortHandleType PortHandle = InvalidPortHandle;
    bool framing_ = false;
    // The last exchange, for its verdict: the command, every byte read within its window
    // (also past the buffer's wrap), and whether a whole frame came.
    QByteArray command_;
    int bytesRead_ = 0;
    bool frameComplete_ = false;
    quint64 pauseMarkUs_ = 0;
    bool open_ = false;
    bool gone_ = false;
    CommTimeouts SavedTimeouts;
    // Bytes of the current exchange from position 0; the write position wraps after 1023.
    std::array<quint8, ReplyBufferSize> ReplyBuffer{};
    Reply reply_;

    SerialLine& line_;
    Clock& clock_;
    const PortNames& names_;
    ProcessMessages processMessages_;

    // Tracing: the port and line of the open port, and the exchange's frame and byte groups.
    LinkTracer* tracer_ = nullptr;
    int tracedComNumber_ = 0;
    QString tracedLine_;
    quint64 frameStartUs_ = 0;
    struct ByteGroup {
        quint64 timeUs;
        QByteArray bytes;
    };
    std::vector<ByteGroup> groups_;
    bool groupOpen_ = false;
};
