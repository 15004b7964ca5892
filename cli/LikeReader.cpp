#include "LikeReader.h"

#include "SiteState.h"
#include "TerminalText.h"
#include "ValueChecks.h"

namespace {

QString Quoted(const QString& text) {
    return QLatin1Char('"') + TerminalExcerpt(text) + QLatin1Char('"');
}

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
                throw UsageMistake{
                    QStringLiteral("--like %1: the record holds no reader there now; S/N %2 was "
                                   "the last, and is at %3 since.")
                        .arg(Quoted(label), TerminalText(e->entry.serial),
                             Quoted(DoorOf(site, e->entry.serial)->door))};
        throw UsageMistake{
            QStringLiteral("--like %1: the record does not know the label.").arg(Quoted(label))};
    }
    if (doors.size() > 1) {
        QStringList serials;
        for (const SiteDoor* door : doors) serials << TerminalText(door->reader.serial);
        throw UsageMistake{QStringLiteral("--like %1: the record holds %2 readers in service "
                                          "there (S/N %3); which one is meant is not known.")
                               .arg(Quoted(label), QString::number(doors.size()),
                                    serials.join(QStringLiteral(", ")))};
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
    return QStringLiteral(
               "S/N %1 is the reader of %2 in the record; --force writes it as %3 all the same.")
        .arg(TerminalText(serial), Quoted(door->reader.label), Quoted(label));
}
