#include "SiteState.h"

#include <QHash>
#include <algorithm>

#include "ProvisioningPlan.h"
#include "SettingCatalogue.h"

namespace {

// A reader and where it stands among the entries.
struct Track {
    SiteReader reader;
    int first = 0, last = 0;  // its first and last entry
    int replacedBy = -1;      // the reader that took its place
};

// One write under a label, and the number the reader had after it.
struct LabelWrite {
    int reader = 0;
    int entry = 0;
    QString number;
};

// Two digits, "01" to "99", as the reader tells its number.
bool IsReaderNumber(const QString& text) {
    const auto digit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    return text.size() == 2 && digit(text[0]) && digit(text[1]) && text != QLatin1String("00");
}

void Apply(SiteReader& r, const RecordEntry& e) {
    if (e.command == QLatin1String("factory-default") && e.result == QLatin1String("ok"))
        r.settings = FactorySettingTexts();
    // A failed entry without the setting it failed at confirmed nothing.
    const bool confirmed = e.result == QLatin1String("ok") || !e.failed.isEmpty();
    r.failed.clear();
    r.failedValue.clear();
    for (auto it = e.written.begin(); it != e.written.end(); ++it) {
        // Checked as the record was read: only its text is wanted here.
        const QString text = it->isDouble() ? QString::number(it->toInt()) : it->toString();
        if (it.key() == e.failed) {
            r.failed = it.key();
            r.failedValue = text;
        } else if (confirmed) {
            r.settings.insert(it.key(), text);
        }
    }
    const QString number = !e.readerAfter.isEmpty() ? e.readerAfter : e.readerBefore;
    if (!number.isEmpty()) r.number = number;
    // The number the reader told or took is the one it holds.
    if (IsReaderNumber(r.number))
        r.settings.insert(QStringLiteral("id"), r.number);
    else
        r.settings.remove(QStringLiteral("id"));
    r.written = e.time;
    r.result = e.result;
    if (!e.label.isEmpty() && e.label != r.label) {
        if (!r.label.isEmpty() && !r.earlierLabels.contains(r.label)) r.earlierLabels << r.label;
        r.earlierLabels.removeAll(e.label);
        r.label = e.label;
    }
}

// The names but one: its own, once.
SiteDoor::Others OthersThan(const QStringList& names, const QString& own) {
    SiteDoor::Others others;
    if (names.size() < 2) return others;
    others.count = int(names.size()) - 1;
    others.first = names.mid(0, SiteDoor::Others::Named + 1);
    if (!others.first.removeOne(own)) others.first.removeLast();
    return others;
}

void Compare(SiteDoor& door, const PlanRow& row) {
    door.planLine = row.line;
    const QString serial = QString::fromLatin1(row.serial);
    if (serial != door.reader.serial)
        door.differences.push_back({QStringLiteral("serial"), serial, door.reader.serial});
    if (!row.label.isEmpty() && row.label != door.reader.label)
        door.differences.push_back({QStringLiteral("label"), row.label, door.reader.label});
    const SettingTexts planned = SettingTextsOf(row.values);
    for (const QString& key : RecordSettingKeys()) {
        const QString held = door.reader.settings.value(key);
        if (planned.contains(key) && planned[key] != held)
            door.differences.push_back({key, planned[key], held});
    }
}

void AddPlan(Site& site, const ProvisioningPlan& plan, const QHash<QString, int>& doorOfSerial) {
    site.withPlan = true;
    std::vector<bool> claimed(site.doors.size());
    std::vector<bool> done(plan.rows.size());
    QHash<QString, std::vector<int>> doorsOfLabel;
    for (int d = 0; d < int(site.doors.size()); ++d)
        if (!site.doors[d].reader.label.isEmpty())
            doorsOfLabel[site.doors[d].reader.label].push_back(d);
    // The readers the plan names first, then the readers that took their places, then the
    // doors the plan names by their labels.
    for (int pass = 0; pass < 3; ++pass) {
        for (size_t i = 0; i < plan.rows.size(); ++i) {
            const PlanRow& row = plan.rows[i];
            const QString serial = QString::fromLatin1(row.serial);
            if (done[i]) continue;
            int door = -1;
            if (pass < 2) {
                if (!doorOfSerial.contains(serial)) continue;
                door = doorOfSerial[serial];
                const bool inService = site.doors[door].reader.serial == serial;
                if (inService != (pass == 0)) continue;
                done[i] = true;  // the record holds its reader
            } else {
                for (const int d : doorsOfLabel.value(row.label))
                    if (!claimed[d]) {
                        door = d;
                        break;
                    }
                if (door < 0) continue;
                done[i] = true;
            }
            if (claimed[door]) continue;
            claimed[door] = true;
            Compare(site.doors[door], row);
        }
    }
    for (size_t i = 0; i < plan.rows.size(); ++i) {
        if (done[i]) continue;
        const PlanRow& row = plan.rows[i];
        const QString serial = QString::fromLatin1(row.serial);
        const SettingRow& number = Setting(SettingKey::Id);
        site.notDone.push_back({row.label.isEmpty() ? serial : row.label, serial,
                                RecordedText(number.recorded(row.values.at(SettingKey::Id))),
                                row.line});
    }
}

}  // namespace

bool SiteDoor::NeedsALook() const {
    return LastWriteFailed() || !replaced.isEmpty() || !numberAlsoAt.IsEmpty() ||
           !alsoInService.IsEmpty() || !reader.earlierLabels.isEmpty() || !differences.empty();
}

Site SiteOf(const std::vector<RecordedEntry>& entries, const ProvisioningPlan* plan) {
    std::vector<Track> tracks;
    QHash<QString, int> trackOf;
    QHash<QString, std::vector<LabelWrite>> labelWrites;
    QHash<QString, int> labelFirst;
    for (int i = 0; i < int(entries.size()); ++i) {
        const RecordEntry& e = entries[i].entry;
        auto found = trackOf.find(e.serial);
        if (found == trackOf.end()) {
            found = trackOf.insert(e.serial, int(tracks.size()));
            tracks.push_back({});
            tracks.back().reader.serial = e.serial;
            tracks.back().first = i;
        }
        Track& t = tracks[*found];
        Apply(t.reader, e);
        t.reader.file = entries[i].file;
        t.reader.line = entries[i].line;
        t.last = i;
        if (!e.label.isEmpty()) {
            labelWrites[e.label].push_back({*found, i, t.reader.number});
            labelFirst.insert(e.label, labelFirst.value(e.label, i));
        }
    }

    // A reader is replaced when another was written under its label after its own last entry
    // and then had the number it had: as a replacement configured like it is.
    for (Track& a : tracks) {
        if (a.reader.label.isEmpty() || a.reader.number.isEmpty()) continue;
        for (const LabelWrite& w : labelWrites[a.reader.label]) {
            const Track& b = tracks[w.reader];
            if (&b != &a && b.reader.label == a.reader.label && w.entry > a.last &&
                w.number == a.reader.number) {
                a.replacedBy = w.reader;
                break;
            }
        }
    }

    // The doors, in the order their labels (or their readers without one) were first written.
    Site site;
    std::vector<std::pair<int, int>> order;  // first write of the door, of the reader
    QHash<QString, int> doorOfSerial;
    for (int i = 0; i < int(tracks.size()); ++i) {
        if (tracks[i].replacedBy >= 0) continue;
        const SiteReader& r = tracks[i].reader;
        order.push_back({r.label.isEmpty() ? tracks[i].first : labelFirst[r.label], i});
    }
    std::sort(order.begin(), order.end());
    QHash<int, int> doorOfTrack;
    for (const auto& [first, i] : order) {
        SiteDoor door;
        door.reader = tracks[i].reader;
        door.door = door.reader.label.isEmpty() ? door.reader.serial : door.reader.label;
        doorOfTrack.insert(i, int(site.doors.size()));
        doorOfSerial.insert(door.reader.serial, int(site.doors.size()));
        site.doors.push_back(door);
    }
    // The replaced readers, earliest first, at the door of the reader in service.
    for (int i = 0; i < int(tracks.size()); ++i) {
        if (tracks[i].replacedBy < 0) continue;
        int inService = tracks[i].replacedBy;
        while (tracks[inService].replacedBy >= 0) inService = tracks[inService].replacedBy;
        const int door = doorOfTrack[inService];
        site.doors[door].replaced << tracks[i].reader.serial;
        doorOfSerial.insert(tracks[i].reader.serial, door);
    }

    // Each door's name once under each number and label: a large site has many doors to a
    // number (one a bus), and the lists are made once.
    QHash<QString, QStringList> doorsOfNumber;
    QHash<QString, QStringList> serialsOfLabel;
    for (const SiteDoor& door : site.doors) {
        QStringList& named = doorsOfNumber[door.reader.number];
        if (!door.reader.number.isEmpty() && (named.isEmpty() || named.last() != door.door))
            named << door.door;
        if (!door.reader.label.isEmpty()) serialsOfLabel[door.reader.label] << door.reader.serial;
    }
    for (SiteDoor& door : site.doors) {
        door.numberAlsoAt = OthersThan(doorsOfNumber[door.reader.number], door.door);
        if (!door.reader.label.isEmpty())
            door.alsoInService = OthersThan(serialsOfLabel[door.reader.label], door.reader.serial);
    }
    if (plan) AddPlan(site, *plan, doorOfSerial);
    return site;
}
