#include "SiteReport.h"

#include <QJsonArray>

#include "TerminalText.h"

namespace {

const QString NotRecorded = QStringLiteral("not recorded");

// The values held, then the settings the record holds no value of; the reader number has its
// own place in the line.
QString Settings(const SettingTexts& settings) {
    QStringList held, missing;
    for (const QString& key : RecordSettingKeys()) {
        if (key == QLatin1String("id")) continue;
        if (settings.contains(key))
            held << key + QLatin1Char('=') + TerminalText(settings[key]);
        else
            missing << key;
    }
    QString text = held.join(QLatin1Char(' '));
    if (!missing.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral("  ")) + NotRecorded +
                QStringLiteral(": ") + missing.join(QStringLiteral(", "));
    return text;
}

QString LastWrite(const SiteReader& r) {
    QString text = QStringLiteral("last written %1 ").arg(TimeWithOffset(r.written));
    if (r.result == QLatin1String("ok")) return text + QStringLiteral("Ok");
    text += QStringLiteral("Error");
    if (!r.failed.isEmpty())
        text += QStringLiteral(": %1=%2 not confirmed").arg(r.failed, TerminalText(r.failedValue));
    if (r.result == QLatin1String("port-gone")) text += QStringLiteral(" (the port went away)");
    return text;
}

// The first few names, so that a line stays a line.
QString Names(const QStringList& names) {
    QStringList escaped;
    for (const QString& name : names) escaped << TerminalText(name);
    return escaped.join(QStringLiteral(", "));
}
QString Names(const SiteDoor::Others& others) {
    constexpr int Shown = 5;
    QString text = Names(others.first.mid(0, Shown));
    if (others.count > Shown) text += QStringLiteral(" and %1 more").arg(others.count - Shown);
    return text;
}

QStringList Looks(const SiteDoor& d) {
    const SiteReader& r = d.reader;
    QStringList looks;
    if (d.LastWriteFailed())
        looks << QStringLiteral("the last write failed (%1 line %2)")
                     .arg(TerminalText(r.file), QString::number(r.line));
    if (!d.replaced.isEmpty())
        looks << QStringLiteral("S/N %1 replaced by S/N %2")
                     .arg(Names(d.replaced), TerminalText(r.serial));
    if (!d.numberAlsoAt.IsEmpty())
        looks << QStringLiteral("reader number %1 also at %2")
                     .arg(TerminalText(r.number), Names(d.numberAlsoAt));
    if (!d.alsoInService.IsEmpty())
        looks << QStringLiteral("also in service under this label: S/N %1")
                     .arg(Names(d.alsoInService));
    if (!r.earlierLabels.isEmpty())
        looks << QStringLiteral("S/N %1 was written as %2 before")
                     .arg(TerminalText(r.serial), Names(r.earlierLabels));
    for (const PlanDifference& difference : d.differences)
        looks << QStringLiteral("the plan (line %1) has %2=%3, the record %4")
                     .arg(d.planLine)
                     .arg(difference.key, TerminalText(difference.planned),
                          difference.held.isEmpty()
                              ? NotRecorded
                              : difference.key + QLatin1Char('=') + TerminalText(difference.held));
    return looks;
}

QJsonObject Values(const SettingTexts& settings) {
    QJsonObject object;
    for (auto it = settings.begin(); it != settings.end(); ++it)
        object.insert(it.key(), JsonValue(it.key(), it.value()));
    return object;
}

}  // namespace

QStringList SiteLines(const Site& site) {
    QStringList lines;
    int looking = 0;
    for (const SiteDoor& d : site.doors) {
        const SiteReader& r = d.reader;
        lines << QStringLiteral("%1  S/N %2  reader %3  %4  %5")
                     .arg(TerminalText(d.door), TerminalText(r.serial), TerminalText(r.number),
                          Settings(r.settings), LastWrite(r));
        for (const QString& look : Looks(d))
            lines << QStringLiteral("  ! %1: %2").arg(TerminalText(d.door), look);
        if (d.NeedsALook()) ++looking;
    }
    for (const PlannedDoor& p : site.notDone)
        lines << QStringLiteral("%1  S/N %2  reader %3  not yet done (plan line %4)")
                     .arg(TerminalText(p.door), TerminalText(p.serial), p.number,
                          QString::number(p.line));
    QString count = QStringLiteral("Doors: %1, to look at: %2").arg(site.doors.size()).arg(looking);
    if (site.withPlan)
        count += QStringLiteral(", of the plan not yet done: %1").arg(site.notDone.size());
    lines << count;
    return lines;
}

std::vector<QJsonObject> SiteObjects(const Site& site) {
    std::vector<QJsonObject> objects;
    for (const SiteDoor& d : site.doors) {
        const SiteReader& r = d.reader;
        QStringList notRecorded;
        for (const QString& key : RecordSettingKeys())
            if (!r.settings.contains(key)) notRecorded << key;
        QJsonObject object{{"door", d.door},
                           {"serial", r.serial},
                           {"reader", r.number},
                           {"settings", Values(r.settings)},
                           {"not-recorded", QJsonArray::fromStringList(notRecorded)},
                           {"written", TimeWithOffset(r.written)},
                           {"result", r.result},
                           {"look", d.NeedsALook()}};
        if (!r.label.isEmpty()) object.insert("label", r.label);
        if (!r.failed.isEmpty()) {
            object.insert("failed", r.failed);
            object.insert("failed-value", JsonValue(r.failed, r.failedValue));
        }
        if (!d.replaced.isEmpty())
            object.insert("replaced", QJsonArray::fromStringList(d.replaced));
        for (const auto& [key, others] : {std::pair{"number-also-at", &d.numberAlsoAt},
                                          std::pair{"also-in-service", &d.alsoInService}}) {
            if (others->IsEmpty()) continue;
            object.insert(key, QJsonArray::fromStringList(others->first));
            object.insert(key + QStringLiteral("-count"), others->count);
        }
        if (!r.earlierLabels.isEmpty())
            object.insert("earlier-labels", QJsonArray::fromStringList(r.earlierLabels));
        if (site.withPlan) object.insert("done", true);
        if (d.planLine > 0) {
            QJsonArray differences;
            for (const PlanDifference& difference : d.differences) {
                QJsonObject item{{"key", difference.key},
                                 {"plan", JsonValue(difference.key, difference.planned)}};
                if (!difference.held.isEmpty())
                    item.insert("record", JsonValue(difference.key, difference.held));
                differences.append(item);
            }
            object.insert("plan-line", d.planLine);
            object.insert("differences", differences);
        }
        objects.push_back(object);
    }
    for (const PlannedDoor& p : site.notDone)
        objects.push_back({{"door", p.door},
                           {"serial", p.serial},
                           {"reader", p.number},
                           {"done", false},
                           {"plan-line", p.line}});
    return objects;
}
