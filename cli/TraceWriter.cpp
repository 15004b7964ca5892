#include "TraceWriter.h"

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

TraceWriter::TraceWriter(std::FILE* stream, quint64 startUs) : stream_(stream), startUs_(startUs) {
    std::fputs(Header, stream_);
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
    const QByteArray line = Line(event, startUs_) + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stream_);
    // A whole exchange at a time: what was traced is there if the run is cut short.
    if (event.kind != LinkEvent::Kind::Written && event.kind != LinkEvent::Kind::Read &&
        event.kind != LinkEvent::Kind::Echo)
        std::fflush(stream_);
}
