// Reading and showing the record of a site of 1000 doors: each door provisioned, then its RSSI
// level set again, and one door in twenty given a replacement; as CSV and as JSON lines.
// Prints the median time of each from the file to the lines and the objects.
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "SiteReport.h"

namespace {

constexpr int Doors = 1000;

QByteArray Record(RecordFormat format) {
    QByteArray text = format == RecordFormat::Csv ? CsvHeader() : QByteArray();
    const QDateTime start(QDate(2026, 12, 10), QTime(8, 0), QTimeZone(3600));
    int second = 0;
    const auto add = [&](const QString& command, const QString& serial, int number,
                         const QJsonObject& written, const QString& label) {
        RecordEntry e;
        e.time = start.addSecs(second += 7);
        e.command = command;
        e.port = "COM5";
        e.serial = serial;
        e.version = "01.70-01";
        e.readerBefore = "01";
        e.readerAfter = QString::asprintf("%02d", number);
        e.written = written;
        e.label = label;
        e.result = "ok";
        text += format == RecordFormat::Csv ? CsvLine(e) : JsonLine(e);
    };
    for (int door = 0; door < Doors; ++door) {
        const int number = door % 99 + 1;
        add("provision", QString::asprintf("S%07d", door), number,
            {{"id", QString::asprintf("%02d", number)},
             {"same-card", 10},
             {"input", "no"},
             {"mode", "rs485-32,wiegand-26"},
             {"rssi", 100},
             {"line-speed", "19200,e,8,1"}},
            QStringLiteral("Building %1, door %2").arg(door / 50).arg(door % 50));
    }
    for (int door = 0; door < Doors; ++door)
        add("set-rssi", QString::asprintf("S%07d", door), door % 99 + 1, {{"rssi", 120}}, {});
    for (int door = 0; door < Doors; door += 20)
        add("provision", QString::asprintf("R%07d", door), door % 99 + 1,
            {{"id", QString::asprintf("%02d", door % 99 + 1)}, {"rssi", 120}},
            QStringLiteral("Building %1, door %2").arg(door / 50).arg(door % 50));
    return text;
}

}  // namespace

int main() {
    QTemporaryDir folder;
    for (const RecordFormat format : {RecordFormat::Csv, RecordFormat::JsonLines}) {
        const QString path =
            folder.filePath(format == RecordFormat::Csv ? "site.csv" : "site.jsonl");
        QFile file(path);
        const QByteArray text = Record(format);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) return 1;
        file.close();
        std::vector<double> ms;
        int lines = 0, entries = 0;
        for (int run = 0; run < 9; ++run) {
            QElapsedTimer timer;
            timer.start();
            const std::vector<RecordedEntry> record = ReadRecords({path});
            const Site site = SiteOf(record);
            lines = int(SiteLines(site).size());
            const int objects = int(SiteObjects(site).size());
            ms.push_back(double(timer.nsecsElapsed()) / 1e6);
            entries = int(record.size());
            if (objects != Doors) return 1;
        }
        std::sort(ms.begin(), ms.end());
        std::printf(
            "%s: %d doors, %d entries, %lld bytes: read and shown in %.1f ms (median of "
            "9; %d lines)\n",
            format == RecordFormat::Csv ? "CSV" : "JSON lines", Doors, entries,
            static_cast<long long>(text.size()), ms[ms.size() / 2], lines);
    }
    return 0;
}
