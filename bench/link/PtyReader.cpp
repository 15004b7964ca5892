#include "PtyReader.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

PtyReader::PtyReader(ReaderOptions options) : model_(std::move(options)) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    device_ = QString::fromLocal8Bit(ptsname(master_));
    // Held open here too, so the terminal does not hang up between the tool's opens.
    slave_ = ::open(ptsname(master_), O_RDWR | O_NOCTTY);
    thread_ = std::thread([this] { Serve(); });
}

PtyReader::~PtyReader() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
}

void PtyReader::Serve() {
    pollfd p{master_, POLLIN, 0};
    while (!stop_) {
        if (poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) continue;
        char buffer[256];
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        for (ssize_t i = 0; i < n; ++i) {
            const auto reply = model_.Receive(buffer[i], SteadyNs() / 1'000'000);
            if (!reply || reply->bytes.isEmpty()) continue;
            std::this_thread::sleep_for(std::chrono::milliseconds(reply->delayMs));
            if (::write(master_, reply->bytes.constData(), size_t(reply->bytes.size())) > 0)
                lastReplyEndNs_ = SteadyNs();
        }
    }
}
