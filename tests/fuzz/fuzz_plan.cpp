// The provisioning plan's parser. Arbitrary bytes read as a plan are taken or refused with one
// short line of text that names the file, never a crash; a plan taken holds only what a plan
// may: each row a serial number of 8 printable characters, a reader number from 1 to 99 used
// once, and labels that are text.
#include <QSet>
#include <cstdint>
#include <cstdlib>

#include "ProvisioningPlan.h"
#include "ReaderProtocol.h"
#include "ValueChecks.h"

namespace {

bool IsText(const QString& text) {
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    try {
        const ProvisioningPlan plan = ParsePlan("p.csv", bytes);
        if (plan.rows.empty()) abort();
        QSet<QByteArray> serials;
        QSet<int> numbers;
        for (const PlanRow& row : plan.rows) {
            if (row.serial.size() != SerialNumberLength || serials.contains(row.serial)) abort();
            for (const char c : row.serial)
                if (c < 0x21 || c > 0x7E) abort();
            serials.insert(row.serial);
            const auto number = row.values.find(SettingKey::Id);
            if (number == row.values.end()) abort();
            const int value = number->second.parts[0];
            if (value < ReaderNumberMin || value > ReaderNumberMax || numbers.contains(value))
                abort();
            numbers.insert(value);
            if (!IsText(row.label)) abort();
        }
    } catch (const UsageMistake& mistake) {
        // One line that names the file, quoting at most a short excerpt of what it read.
        if (!mistake.text.startsWith(QLatin1String("p.csv")) || !IsText(mistake.text) ||
            mistake.text.size() > 400)
            abort();
    }
    return 0;
}
