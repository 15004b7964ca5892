// The record's CSV writing and reading. An entry made of arbitrary texts is written as a CSV
// line and as a JSON line, and each must read back as the same fields; arbitrary bytes read as
// a record are taken or refused with one line that names the file, never a crash.
#include <QJsonObject>
#include <QList>
#include <QTimeZone>
#include <cstdint>
#include <cstdlib>

#include "LineSetting.h"
#include "RecordReader.h"
#include "ValueChecks.h"

namespace {

// Draws numbers from the input's own bytes, so that each input is one case.
struct Draw {
    quint64 state;
    quint64 Next(quint64 below) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return (state >> 33) % below;
    }
};

RecordEntry EntryOf(const QByteArray& bytes) {
    // Texts between 0xFE bytes, which UTF-8 never holds.
    QList<QByteArray> texts = bytes.split('\xFE');
    while (texts.size() < 7) texts << QByteArray();
    Draw draw{quint64(qHash(bytes))};
    RecordEntry e;
    // From 1970 to 9999, at an offset of whole quarter hours.
    const qint64 ms = qint64(draw.Next(253402214400000ull));
    e.time = QDateTime::fromMSecsSinceEpoch(ms, QTimeZone(int(draw.Next(113)) * 900 - 14 * 3600));
    e.command = QString::fromUtf8(texts[0]);
    e.port = QString::fromUtf8(texts[1]);
    e.serial = QString::fromUtf8(texts[2]);
    if (e.serial.isEmpty()) e.serial = QStringLiteral("S");  // a reader always tells one
    e.version = QString::fromUtf8(texts[3]);
    e.readerBefore = QString::fromUtf8(texts[4]);
    e.readerAfter = QString::fromUtf8(texts[5]);
    e.label = QString::fromUtf8(texts[6]);
    // Settings as the commands write them.
    QStringList keys;
    if (draw.Next(2)) e.written.insert("id", QString::asprintf("%02d", int(draw.Next(99)) + 1));
    if (draw.Next(2)) e.written.insert("same-card", int(draw.Next(10000)));
    if (draw.Next(2)) e.written.insert("input", draw.Next(2) ? "no" : "nc");
    if (draw.Next(2))
        e.written.insert("mode", QStringLiteral("rs485-%1,wiegand-%2")
                                     .arg(QList<int>{24, 32, 40, 64}[int(draw.Next(4))])
                                     .arg(QList<int>{26, 34, 42}[int(draw.Next(3))]));
    if (draw.Next(2)) e.written.insert("rssi", int(draw.Next(251)));
    if (draw.Next(2))
        e.written.insert("line-speed", LineSettingTable[draw.Next(LineSettingTable.size())]);
    static const char* const results[] = {"ok", "error", "port-gone"};
    e.result = results[draw.Next(3)];
    if (e.result != QLatin1String("ok") && !e.written.isEmpty())
        e.failed = e.written.keys()[int(draw.Next(quint64(e.written.size())))];
    return e;
}

bool SameFields(const RecordEntry& a, const RecordEntry& b) {
    return a.time == b.time && a.time.offsetFromUtc() == b.time.offsetFromUtc() &&
           a.command == b.command && a.port == b.port && a.serial == b.serial &&
           a.version == b.version && a.readerBefore == b.readerBefore &&
           a.readerAfter == b.readerAfter && a.written == b.written && a.label == b.label &&
           a.result == b.result && a.failed == b.failed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, int(size) - 1);
    if (data[0] & 1) {
        for (const char* name : {"r.csv", "r.jsonl"}) {
            try {
                ParseRecord(name, bytes);
            } catch (const UsageMistake& mistake) {
                if (!mistake.text.startsWith(QLatin1String(name) + " line ")) abort();
                for (const QChar c : mistake.text)
                    if (c.unicode() < 0x20) abort();
            }
        }
        return 0;
    }
    const RecordEntry written = EntryOf(bytes);
    const QByteArray lines[] = {CsvHeader() + CsvLine(written), JsonLine(written)};
    const char* const names[] = {"r.csv", "r.jsonl"};
    for (int i = 0; i < 2; ++i) {
        const std::vector<RecordedEntry> read = ParseRecord(names[i], lines[i]);
        if (read.size() != 1 || !SameFields(read[0].entry, written)) abort();
    }
    return 0;
}
