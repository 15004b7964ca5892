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
// taken. An echo of the command that was set aside counts for nothing here: the verdict is on
// what came behind it.
enum class ReplyVerdict {
    Accepted,     // a whole frame with valid check characters, of the expected length
    WrongLength,  // a whole, checked frame of another length
    WrongCheck,   // a whole frame whose check characters do not match
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
    // The same on the device given, named as the port: an adapter that came back under another
    // name than the port's own.
    OpenResult OpenPortAt(int comNumber, const QString& device, const QString& lineSetting);
    // Puts the saved timeouts back and closes. Only after an OpenPort that returned true; a
    // port whose device went away is closed already, and closing it again does nothing.
    void ClosePort();
    // Each write is followed by its pause; within a frame the pauses run from the frame's
    // start (1, 5, 1, 1, 1 ms after the five writes: 9 ms in all).
    void WriteByte(quint8 value);                  // then 1 ms
    void WriteBytes(const char* data, int count);  // then 5 ms
    // Frames and sends the command, waits up to about 120 ms for a complete reply frame and
    // checks it. ReplyLength and ReplyText are left as described beside them.
    //
    // A half-duplex RS485 adapter that keeps its receiver on while it sends returns every frame
    // before the reader's reply. When what comes back begins with an exact copy of the frame
    // just sent, the copy is set aside and the reply behind it is collected within the same
    // window; no reply begins with a TAB, so the copy is never taken for one. Anything that only
    // resembles the frame, or a copy cut short, stays in the reply as any other byte does.
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
    // The adapter's echo of the last exchange's frame came back first and was set aside.
    bool EchoSetAside() const { return echoSetAside_; }
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
    // Takes the echo out of the reply state, as if the exchange had just begun.
    void SetEchoAside();
    bool EndExchange(bool accepted);
    // An event at the open port and line.
    LinkEvent Event(LinkEvent::Kind kind, quint64 timeUs) const;
    void TraceEvent(LinkEvent::Kind kind, quint64 timeUs, QByteArray bytes = {});

    PortHandleType PortHandle = InvalidPortHandle;
    bool framing_ = false;
    // The last exchange, for its verdict: the command, every byte read within its window after
    // a set-aside echo (also past the buffer's wrap), and whether a whole frame came.
    QByteArray command_;
    int bytesRead_ = 0;
    bool frameComplete_ = false;
    // The frame just sent, while what came back may still be its echo.
    QByteArray echoFrame_;
    bool echoPossible_ = false;
    bool echoSetAside_ = false;
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
    // The set-aside echo: when its last byte came, and how many byte groups came up to it.
    quint64 echoUs_ = 0;
    size_t groupsBeforeEcho_ = 0;
};
