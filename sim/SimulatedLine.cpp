#include "SimulatedLine.h"

#include <algorithm>

#include "AdapterBatches.h"

SimulatedLine::SimulatedLine(ReaderModel& reader, VirtualClock& clock, QString readerDevice)
    : reader_(reader), clock_(clock), readerDevice_(std::move(readerDevice)) {}

bool SimulatedLine::Gone() const {
    return unplugged_ || clock_.NowUs() >= disconnectAtUs_;
}

OpenResult SimulatedLine::Open(const QString& devicePath) {
    if (open_ || busyDevices_.contains(devicePath)) return OpenResult::Failed(PortState::InUse);
    const bool isReader = devicePath == readerDevice_ && !Gone();
    if (!isReader && !silentDevices_.contains(devicePath))
        return OpenResult::Failed(PortState::NoDevice);
    open_ = true;
    device_ = devicePath;
    line_ = ownLine_;
    sendFreeUs_ = receiveFreeUs_ = clock_.NowUs();
    incoming_.clear();
    opens_.append({devicePath, line_, 0});
    return OpenResult::Opened(PortHandleType(100 + opens_.size()));
}

bool SimulatedLine::GetTimeouts(CommTimeouts& timeouts) {
    if (!open_) return false;
    timeouts = timeouts_;
    return true;
}

bool SimulatedLine::SetTimeouts(const CommTimeouts& timeouts) {
    if (!open_) return false;
    timeouts_ = timeouts;
    return true;
}

bool SimulatedLine::SetLine(const LineParameters& line) {
    if (!open_) return false;
    line_ = line;
    opens_.last().line = line;
    return true;
}

qint64 SimulatedLine::Write(const char* data, qint64 count) {
    if (!open_ || count <= 0) return 0;
    written_.append(data, count);
    opens_.last().writes++;
    if (Gone()) return 0;

    // The call returns at once; each byte reaches the far end one character time after the one
    // before it, and the reader acts on it then.
    const quint64 charUs = CharacterTimeUs(line_);
    const bool reaches = device_ == readerDevice_;
    for (qint64 i = 0; i < count; ++i) {
        const quint64 heardUs = std::max(clock_.NowUs(), sendFreeUs_) + charUs;
        sendFreeUs_ = heardUs;
        if (!reaches || heardUs >= disconnectAtUs_ || !reader_.Hears(line_)) continue;
        if (auto reply = reader_.Receive(data[i], qint64(heardUs / 1000))) Deliver(*reply, heardUs);
    }
    return count;
}

void SimulatedLine::Deliver(const ReaderReply& reply, quint64 heardUs) {
    const quint64 startUs = heardUs + quint64(std::max(0, reply.delayMs)) * 1000;
    if (reply.disconnect) {
        disconnectAtUs_ = std::min(disconnectAtUs_, startUs);
        return;
    }
    // A reply does not overtake one that is still on its way.
    quint64 arrivalUs = std::max(startUs, receiveFreeUs_);
    const quint64 charUs = CharacterTimeUs(line_);
    std::vector<quint64> arrivals;
    for (int i = 0; i < reply.bytes.size(); ++i) arrivals.push_back(arrivalUs += charUs);
    receiveFreeUs_ = arrivalUs;
    // The adapter hands on what reached it, in batches where it holds bytes.
    const std::vector<quint64> handedOn = HandOnTimes(arrivals, batchUs_);
    for (int i = 0; i < reply.bytes.size(); ++i)
        incoming_.emplace_back(handedOn[size_t(i)], reply.bytes[i]);
}

int SimulatedLine::ReadByte(char* byte) {
    if (open_ && hungUp_) return PortGone;
    const quint64 waitMs = std::max<quint64>(
        1, quint64(timeouts_.ReadTotalTimeoutConstant) + timeouts_.ReadTotalTimeoutMultiplier);
    const quint64 deadlineUs = clock_.NowUs() + waitMs * 1000;
    const bool arrives = open_ && !incoming_.empty() && incoming_.front().first <= deadlineUs &&
                         incoming_.front().first < disconnectAtUs_ && !unplugged_;
    if (!arrives) {
        // Nothing within the timeout: the wait costs virtual time only.
        clock_.AdvanceUs(deadlineUs - clock_.NowUs());
        return 0;
    }
    const quint64 arrivalUs = incoming_.front().first;
    if (arrivalUs > clock_.NowUs()) clock_.AdvanceUs(arrivalUs - clock_.NowUs());
    // An action run by the clock may have closed or purged the line meanwhile.
    if (!open_ || incoming_.empty() || incoming_.front().first > clock_.NowUs()) return 0;
    *byte = incoming_.front().second;
    incoming_.pop_front();
    return 1;
}

bool SimulatedLine::Purge() {
    if (!open_) return false;
    const quint64 nowUs = clock_.NowUs();
    while (!incoming_.empty() && incoming_.front().first <= nowUs) incoming_.pop_front();
    return true;
}

void SimulatedLine::Close() {
    // Bytes still on their way are lost; the device gets its own line setting back.
    open_ = false;
    hungUp_ = false;
    incoming_.clear();
    line_ = ownLine_;
}
