#include "LikeReader.h"

#include "ConsoleTexts.h"
#include "SiteState.h"
#include "TerminalText.h"
#include "ValueChecks.h"

namespace {

// A label stands in the quotes of the language, short and escaped.
const ConsoleText UnknownLabel = {"--like \"%1\": the record does not know the label.",
                                  "--like “%1”：记录中没有这个标签。",
                                  "--like 「%1」：記錄中沒有這個標籤。"};
const ConsoleText NoReaderThereNow = {
    "--like \"%1\": the record holds no reader there now; S/N %2 was the last, and is at \"%3\" "
    "since.",
    "--like “%1”：记录中那里现在没有读卡机；最后一台是序号 %2，之后一直在“%3”。",
    "--like 「%1」：記錄中那裡現在沒有讀卡機；最後一台是序號 %2，之後一直在「%3」。"};
const ConsoleText SeveralInService = {
    "--like \"%1\": the record holds %2 readers in service there (S/N %3); which one is meant is "
    "not known.",
    "--like “%1”：记录中那里有 %2 台在用的读卡机（序号 %3），不知道指的是哪一台。",
    "--like 「%1」：記錄中那裡有 %2 台使用中的讀卡機（序號 %3），不知道指的是哪一台。"};
const ConsoleText ListSeparator = {", ", "、", "、"};
const ConsoleText OfAnotherDoor = {
    "S/N %1 is the reader of \"%2\" in the record; --force writes it as \"%3\" all the same.",
    "记录中序号 %1 是“%2”的读卡机；用 --force 仍会把它写成“%3”的。",
    "記錄中序號 %1 是「%2」的讀卡機；用 --force 仍會把它寫成「%3」的。"};

// The door where the reader of this serial number is in service, or was replaced.
const SiteDoor* DoorOf(const Site& site, const QString& serial) {
    for (const SiteDoor& door : site.doors)
        if (door.reader.serial == serial || door.replaced.contains(serial)) return &door;
    return nullptr;
}

}  // namespace

LikeSettings ResolveLike(const std::vector<RecordedEntry>& entries, const QString& label) {
    const Site site = SiteOf(entries);
    std::vector<const SiteDoor*> doors;
    for (const SiteDoor& door : site.doors)
        if (door.reader.label == label) doors.push_back(&door);
    if (doors.empty()) {
        // A label whose readers were all written under other labels since.
        for (auto e = entries.rbegin(); e != entries.rend(); ++e)
            if (e->entry.label == label)
                throw UsageMistake{Tr(NoReaderThereNow)
                                       .arg(TerminalExcerpt(label), TerminalText(e->entry.serial),
                                            TerminalExcerpt(DoorOf(site, e->entry.serial)->door))};
        throw UsageMistake{Tr(UnknownLabel).arg(TerminalExcerpt(label))};
    }
    if (doors.size() > 1) {
        QStringList serials;
        for (const SiteDoor* door : doors) serials << TerminalText(door->reader.serial);
        throw UsageMistake{Tr(SeveralInService)
                               .arg(TerminalExcerpt(label), QString::number(doors.size()),
                                    serials.join(Tr(ListSeparator)))};
    }
    const SiteReader& reader = doors.front()->reader;
    LikeSettings like;
    like.serial = reader.serial;
    for (const QString& key : RecordSettingKeys()) {
        if (reader.settings.contains(key))
            like.settings.push_back({key, reader.settings[key]});
        else
            like.notRecorded << key;
    }
    return like;
}

QString LikeReaderProblem(const std::vector<RecordedEntry>& entries, const QString& label,
                          const QString& serial) {
    const Site site = SiteOf(entries);
    const SiteDoor* door = DoorOf(site, serial);
    if (!door || door->reader.label.isEmpty() || door->reader.label == label) return {};
    return Tr(OfAnotherDoor)
        .arg(TerminalText(serial), TerminalExcerpt(door->reader.label), TerminalExcerpt(label));
}
