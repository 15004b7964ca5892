#include "ReaderLink.h"

#include <algorithm>

#include "FrameCodec.h"
#include "ReaderProtocol.h"

ReaderLink::ReaderLink(SerialLine& line, Clock& clock, const PortNames& names,
                       ProcessMessages processMessages)
    : line_(line), clock_(clock), names_(names), processMessages_(std::move(processMessages)) {}

OpenResult ReaderLink::OpenPort(int comNumber, const QString& lineSetting) {
    return OpenPortAt(comNumber, names_.DevicePath(comNumber), lineSetting);
}

OpenResult ReaderLink::OpenPortAt(int comNumber, const QString& device,
                                  const QString& lineSetting) {
    OpenResult result =
        device.isEmpty() ? OpenResult::Failed(PortState::NoDevice) : line_.Open(device);
    result.device = device;
    PortHandle = result.handle;
    gone_ = false;
    // Kept for a tracer that comes while the port is open.
    tracedComNumber_ = comNumber;
    tracedLine_ = lineSetting;
    if (tracer_) {
        LinkEvent event = Event(
            result.opened() ? LinkEvent::Kind::Opened : LinkEvent::Kind::Refused, clock_.NowUs());
        event.open = result;
        tracer_->Trace(event);
    }
    if (!result.opened()) return result;
    open_ = true;

    // What follows is not examined: the port counts as open once it is open.
    line_.GetTimeouts(SavedTimeouts);
    line_.SetTimeouts(LinkTimeouts);
    if (const auto parameters = ParseLineSetting(lineSetting)) line_.SetLine(*parameters);
    return result;
}

void ReaderLink::ClosePort() {
    if (gone_ && !open_) return;  // closed already when its device went away
    line_.SetTimeouts(SavedTimeouts);
    line_.Close();
    open_ = false;
    if (tracer_) TraceEvent(LinkEvent::Kind::Closed, clock_.NowUs());
}

LinkEvent ReaderLink::Event(LinkEvent::Kind kind, quint64 timeUs) const {
    LinkEvent event;
    event.kind = kind;
    event.timeUs = timeUs;
    event.port = names_.Label(tracedComNumber_);
    event.lineSetting = tracedLine_;
    return event;
}

void ReaderLink::TraceEvent(LinkEvent::Kind kind, quint64 timeUs, QByteArray bytes) {
    LinkEvent event = Event(kind, timeUs);
    event.bytes = std::move(bytes);
    if (kind == LinkEvent::Kind::Judged)
        event.verdict = Verdict(command_ == ReaderInfoCommand ? ReaderInfoReplyLength : 0);
    tracer_->Trace(event);
}

bool ReaderLink::EndExchange(bool accepted) {
    if (!tracer_) return accepted;
    const quint64 now = clock_.NowUs();
    TraceEvent(LinkEvent::Kind::Written, frameStartUs_, CommandFrame(command_));
    for (size_t i = 0; i <= groups_.size(); ++i) {
        if (echoSetAside_ && i == groupsBeforeEcho_)
            TraceEvent(LinkEvent::Kind::Echo, echoUs_, CommandFrame(command_));
        if (i < groups_.size())
            TraceEvent(LinkEvent::Kind::Read, groups_[i].timeUs, std::move(groups_[i].bytes));
    }
    groups_.clear();
    TraceEvent(LinkEvent::Kind::Judged, now);
    return accepted;
}

void ReaderLink::PauseAfterWrite(quint32 ms) {
    // Inside a frame each pause ends at its mark, the frame's start plus the pauses before it,
    // so the sleeps' overshoots do not add up; outside one it is measured from the write.
    const quint64 from = framing_ ? pauseMarkUs_ : clock_.NowUs();
    pauseMarkUs_ = from + quint64(ms) * 1000;
    clock_.SleepUntilUs(pauseMarkUs_);
}

void ReaderLink::WriteByte(quint8 value) {
    const char byte = char(value);
    line_.Write(&byte, 1);
    PauseAfterWrite(1);
}

void ReaderLink::WriteBytes(const char* data, int count) {
    line_.Write(data, count);
    PauseAfterWrite(5);
}

bool ReaderLink::CheckReply() const {
    return ::CheckReply(ReplyBuffer.data(), reply_.ReplyLength);
}

ReplyVerdict ReaderLink::Verdict(int expectedLength) const {
    if (gone_) return ReplyVerdict::PortGone;
    if (frameComplete_) {
        if (!CheckReply()) return ReplyVerdict::WrongCheck;
        return expectedLength <= 0 || reply_.ReplyLength == expectedLength
                   ? ReplyVerdict::Accepted
                   : ReplyVerdict::WrongLength;
    }
    return bytesRead_ == 0 ? ReplyVerdict::Nothing : ReplyVerdict::Noise;
}

void ReaderLink::SetEchoAside() {
    std::fill_n(ReplyBuffer.begin(), reply_.ReplyLength, quint8(0));
    reply_.ReplyLength = 0;
    bytesRead_ = 0;
    echoPossible_ = false;
    echoSetAside_ = true;
    if (!tracer_) return;
    // The reply behind the echo begins a byte group of its own.
    echoUs_ = clock_.NowUs();
    groupsBeforeEcho_ = groups_.size();
    groupOpen_ = false;
}

bool ReaderLink::SendCommand(const QByteArray& commandText) {
    ReplyBuffer.fill(0);
    int& ReplyLength = reply_.ReplyLength;
    ReplyLength = 0;
    command_ = commandText;
    bytesRead_ = 0;
    frameComplete_ = false;
    echoSetAside_ = false;
    groups_.clear();
    groupOpen_ = false;
    // A device that went away takes no more frames; nothing waits for its reply.
    if (gone_) return false;

    const int n = commandText.size() % 256;
    const QByteArray check = ByteToHex(CommandCheck(commandText));
    echoFrame_ = CommandFrame(commandText);
    echoPossible_ = true;

    line_.Purge();
    framing_ = true;
    pauseMarkUs_ = clock_.NowUs();
    frameStartUs_ = pauseMarkUs_;
    WriteByte(quint8(FrameTab));
    WriteBytes(commandText.constData(), n);
    WriteByte(quint8(check[0]));
    WriteByte(quint8(check[1]));
    WriteByte(quint8(FrameCr));
    framing_ = false;

    const quint32 start = clock_.NowMs();
    quint32 elapsed = 0;
    for (;;) {
        char byte = 0;
        const int read = line_.ReadByte(&byte);
        if (read == SerialLine::PortGone) {
            gone_ = true;
            // Closed at once, not at the operation's end: the system can then give the adapter
            // its old device name when it comes back.
            line_.Close();
            open_ = false;
            const bool accepted = EndExchange(false);
            if (tracer_) TraceEvent(LinkEvent::Kind::Closed, clock_.NowUs());
            return accepted;
        }
        if (tracer_) {
            // Bytes that follow each other without an idle read form one group.
            if (read == 1 && !groupOpen_) groups_.push_back({clock_.NowUs(), {}});
            if (read == 1) groups_.back().bytes.append(byte);
            groupOpen_ = read == 1;
        }
        if (read == 1) {
            ReplyBuffer[ReplyLength] = quint8(byte);
            ReplyLength = (ReplyLength + 1) % ReplyBufferSize;
            ++bytesRead_;
            if (byte == FrameCr && ReplyBuffer[0] == quint8(FrameLf)) {
                frameComplete_ = true;
                // ReplyLength < 1024 here, so the terminator always lands inside the buffer.
                ReplyBuffer[ReplyLength] = 0;
                const char* text = reinterpret_cast<const char*>(ReplyBuffer.data());
                reply_.ReplyText = QByteArray(text, int(qstrnlen(text, ReplyBufferSize)));
                return EndExchange(CheckReply());
            }
            // Still the frame just sent, byte for byte from the first one: set aside once whole.
            if (echoPossible_) {
                echoPossible_ = byte == echoFrame_[bytesRead_ - 1];
                if (echoPossible_ && bytesRead_ == echoFrame_.size()) SetEchoAside();
            }
        } else {
            if (processMessages_) processMessages_();
            elapsed = clock_.NowMs() - start;  // unsigned: a wrap of the counter does no harm
        }
        if (elapsed > ReplyWindowMs) return EndExchange(false);
    }
}
