// Feeds arbitrary bytes from the line into the receive path: every exchange must end with true
// or false, inside the reply buffer, without a hang.
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "ReaderLink.h"
#include "ScriptedLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir folder;
    static PortNames names{folder.path()};
    VirtualClock clock;
    ScriptedLine line{clock};
    ReaderLink link{line, clock, names, {}};
    if (!link.OpenPort(1, "19200,e,8,1")) abort();

    // The first byte picks the spacing of the bytes, so that bursts and trickles both occur.
    const quint64 stepUs = size > 0 ? 50ull * (data[0] % 40) : 100;
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    line.Reply(bytes, 1, stepUs);
    line.Reply(bytes.mid(int(size) / 2), 0, stepUs);

    for (int exchange = 0; exchange < 2; ++exchange) {
        const quint64 start = clock.NowUs();
        const bool ok = link.SendCommand("A00B");
        if (link.LastReply().ReplyLength < 0 ||
            link.LastReply().ReplyLength >= ReaderLink::ReplyBufferSize)
            abort();
        if (link.LastReply().ReplyText.size() >= ReaderLink::ReplyBufferSize) abort();
        if (ok && (link.LastReply().ReplyText.isEmpty() || link.LastReply().ReplyText[0] != '\n'))
            abort();
        // Bytes arrive for at most size * stepUs; after that the window must close.
        if (clock.NowUs() - start > size * stepUs + 200'000) abort();
    }
    link.ClosePort();
    return 0;
}
