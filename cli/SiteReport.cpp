#include "SiteReport.h"

#include <QJsonArray>

#include "ConsoleTexts.h"
#include "TerminalText.h"

namespace {

// The words of the lines; setting keys and values, serial numbers, reader numbers, times and
// names stay as the record has them.
const ConsoleText DoorLine = {"%1  S/N %2  reader %3  %4  %5", "%1  序号 %2  读卡机 %3  %4  %5",
                              "%1  序號 %2  讀卡機 %3  %4  %5"};
const ConsoleText LookLine = {"  ! %1: %2", "  ! %1：%2", "  ! %1：%2"};
const ConsoleText NotYetDone = {"%1  S/N %2  reader %3  not yet done (plan line %4)",
                                "%1  序号 %2  读卡机 %3  尚未完成（计划第 %4 行）",
                                "%1  序號 %2  讀卡機 %3  尚未完成（計畫第 %4 行）"};
const ConsoleText Count = {"Doors: %1, to look at: %2", "门：%1，需要查看：%2",
                           "門：%1，需要查看：%2"};
const ConsoleText CountNotDone = {", of the plan not yet done: %1", "，计划中尚未完成：%1",
                                  "，計畫中尚未完成：%1"};
const ConsoleText NotRecorded = {"not recorded", "没有记录", "沒有記錄"};
const ConsoleText NotRecordedOf = {"not recorded: %1", "没有记录：%1", "沒有記錄：%1"};
const ConsoleText ListSeparator = {", ", "、", "、"};
const ConsoleText AndMore = {"%1 and %2 more", "%1 等，另有 %2 个", "%1 等，另有 %2 個"};
const ConsoleText LastWrittenOk = {"last written %1 Ok", "最后写入 %1 完成", "最後寫入 %1 完成"};
const ConsoleText LastWrittenError = {"last written %1 Error", "最后写入 %1 错误",
                                      "最後寫入 %1 錯誤"};
const ConsoleText NotConfirmed = {": %1=%2 not confirmed", "：%1=%2 没有得到确认",
                                  "：%1=%2 沒有得到確認"};
const ConsoleText PortWentAway = {" (the port went away)", "（串口已断开）", "（串口已中斷）"};
const ConsoleText LastWriteFailed = {"the last write failed (%1 line %2)",
                                     "最后一次写入失败（%1 第 %2 行）",
                                     "最後一次寫入失敗（%1 第 %2 行）"};
const ConsoleText ReplacedBy = {"S/N %1 replaced by S/N %2", "序号 %1 已由序号 %2 替换",
                                "序號 %1 已由序號 %2 替換"};
const ConsoleText NumberAlsoAt = {"reader number %1 also at %2", "读卡机编号 %1 也在 %2",
                                  "讀卡機編號 %1 也在 %2"};
const ConsoleText AlsoInService = {"also in service under this label: S/N %1",
                                   "这个标签下还有在用的读卡机：序号 %1",
                                   "這個標籤下還有使用中的讀卡機：序號 %1"};
const ConsoleText WrittenAsBefore = {"S/N %1 was written as %2 before", "序号 %1 以前写为 %2",
                                     "序號 %1 以前寫為 %2"};
const ConsoleText PlanDiffers = {"the plan (line %1) has %2=%3, the record %4",
                                 "计划（第 %1 行）是 %2=%3，记录是 %4",
                                 "計畫（第 %1 行）是 %2=%3，記錄是 %4"};

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
        text += (text.isEmpty() ? QString() : QStringLiteral("  ")) +
                Tr(NotRecordedOf).arg(missing.join(Tr(ListSeparator)));
    return text;
}

QString LastWrite(const SiteReader& r) {
    const QString time = TimeWithOffset(r.written);
    if (r.result == QLatin1String("ok")) return Tr(LastWrittenOk).arg(time);
    QString text = Tr(LastWrittenError).arg(time);
    if (!r.failed.isEmpty()) text += Tr(NotConfirmed).arg(r.failed, TerminalText(r.failedValue));
    if (r.result == QLatin1String("port-gone")) text += Tr(PortWentAway);
    return text;
}

// The first few names, so that a line stays a line.
QString Names(const QStringList& names) {
    QStringList escaped;
    for (const QString& name : names) escaped << TerminalText(name);
    return escaped.join(Tr(ListSeparator));
}
QString Names(const SiteDoor::Others& others) {
    constexpr int Shown = 5;
    QString text = Names(others.first.mid(0, Shown));
    if (others.count > Shown) return Tr(AndMore).arg(text, QString::number(others.count - Shown));
    return text;
}

QStringList Looks(const SiteDoor& d) {
    const SiteReader& r = d.reader;
    QStringList looks;
    if (d.LastWriteFailed())
        looks << Tr(LastWriteFailed).arg(TerminalText(r.file), QString::number(r.line));
    if (!d.replaced.isEmpty())
        looks << Tr(ReplacedBy).arg(Names(d.replaced), TerminalText(r.serial));
    if (!d.numberAlsoAt.IsEmpty())
        looks << Tr(NumberAlsoAt).arg(TerminalText(r.number), Names(d.numberAlsoAt));
    if (!d.alsoInService.IsEmpty()) looks << Tr(AlsoInService).arg(Names(d.alsoInService));
    if (!r.earlierLabels.isEmpty())
        looks << Tr(WrittenAsBefore).arg(TerminalText(r.serial), Names(r.earlierLabels));
    for (const PlanDifference& difference : d.differences)
        looks << Tr(PlanDiffers)
                     .arg(QString::number(d.planLine), difference.key,
                          TerminalText(difference.planned),
                          difference.held.isEmpty()
                              ? Tr(NotRecorded)
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
        lines << Tr(DoorLine).arg(TerminalText(d.door), TerminalText(r.serial),
                                  TerminalText(r.number), Settings(r.settings), LastWrite(r));
        for (const QString& look : Looks(d)) lines << Tr(LookLine).arg(TerminalText(d.door), look);
        if (d.NeedsALook()) ++looking;
    }
    for (const PlannedDoor& p : site.notDone)
        lines << Tr(NotYetDone)
                     .arg(TerminalText(p.door), TerminalText(p.serial), p.number,
                          QString::number(p.line));
    QString count = Tr(Count).arg(QString::number(site.doors.size()), QString::number(looking));
    if (site.withPlan) count += Tr(CountNotDone).arg(QString::number(site.notDone.size()));
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
