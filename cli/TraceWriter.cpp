#include "TraceWriter.h"

#include <cerrno>

#include "ReaderLink.h"

namespace {

QByteArray VerdictName(ReplyVerdict verdict) {
    switch (verdict) {
        case ReplyVerdict::Accepted:
            return "accepted";
        case ReplyVerdict::WrongLength:
            return "wrong-length";
        case ReplyVerdict::WrongCheck:
            return "wrong-check";
        case ReplyVerdict::Noise:
            return "noise";
        case ReplyVerdict::PortGone:
            return "port-gone";
        case ReplyVerdict::Nothing:
            break;
    }
    return "nothing";
}

QByteArray Bytes(const QByteArray& bytes) {
    QByteArray text = bytes;
    for (char& c : text)
        if (c < 0x20 || c > 0x7e) c = '.';
    return bytes.toHex(' ').toUpper() + " |" + text + '|';
}

}  // namespace

TraceWriter::TraceWriter(std::FILE* stream, quint64 startUs, std::function<void(int error)> failed)
    : stream_(stream), startUs_(startUs), onFailure_(std::move(failed)) {
    // At once: a trace that cannot be written is known before the first exchange.
    Write(Header, true);
}

QByteArray TraceWriter::Line(const LinkEvent& event, quint64 startUs) {
    const quint64 us = event.timeUs > startUs ? event.timeUs - startUs : 0;
    QByteArray line = QByteArray::number(us / 1000) + '.' +
                      QByteArray::number(us % 1000).rightJustified(3, '0') + ' ' +
                      event.port.toUtf8() + ' ' + event.lineSetting.toUtf8() + ' ';
    switch (event.kind) {
        case LinkEvent::Kind::Opened: {
            const QByteArray driver =
                event.open.driver.isEmpty() ? "-" : event.open.driver.toUtf8();
            return line + "open " + event.open.device.toUtf8() + " driver=" + driver +
                   " low-latency=" + (event.open.lowLatency ? "yes" : "no");
        }
        case LinkEvent::Kind::Refused:
            line += "refused " + event.open.device.toUtf8() + ' ' +
                    PortStateName(event.open.state).toUtf8();
            if (event.open.systemError != 0)
                line += ' ' + QByteArray::number(event.open.systemError);
            return line;
        case LinkEvent::Kind::Written:
            return line + "write " + Bytes(event.bytes);
        case LinkEvent::Kind::Read:
            return line + "read " + Bytes(event.bytes);
        case LinkEvent::Kind::Echo:
            return line + "echo " + Bytes(event.bytes);
        case LinkEvent::Kind::Judged:
            return line + "verdict " + VerdictName(event.verdict);
        case LinkEvent::Kind::Closed:
            break;
    }
    return line + "close";
}

void TraceWriter::Trace(const LinkEvent& event) {
    // A whole exchange at a time: what was traced is there if the run is cut short.
    Write(Line(event, startUs_) + '\n', event.kind != LinkEvent::Kind::Written &&
                                            event.kind != LinkEvent::Kind::Read &&
                                            event.kind != LinkEvent::Kind::Echo);
}

bool TraceWriter::Flush() {
    if (!broken_ && std::fflush(stream_) != 0) Fail();
    return !broken_;
}

void TraceWriter::Write(const QByteArray& bytes, bool flush) {
    if (broken_) return;
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream_) != size_t(bytes.size()) ||
        (flush && std::fflush(stream_) != 0))
        Fail();
}

void TraceWriter::Fail() {
    const int error = errno != 0 ? errno : EIO;
    broken_ = true;
    if (onFailure_) onFailure_(error);
}
