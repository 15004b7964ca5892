#include "SettingCatalogue.h"

#include <QRegularExpression>

#include "LineSetting.h"
#include "ReaderProtocol.h"

namespace Texts {
ConsoleText ReaderNumber = {"The reader number", "读卡机编号", "讀卡機編號"};
ConsoleText LineSetting = {"The line setting", "通讯设置", "通訊設定"};
ConsoleText SameCardTime = {"The same-card time", "相同卡时间", "相同卡時間"};
ConsoleText Input = {"The input", "输入", "輸入"};
ConsoleText ReaderMode = {"The reader mode", "读卡机模式", "讀卡機模式"};
ConsoleText RssiLevel = {"The RSSI level", "RSSI 等级", "RSSI 等級"};
}  // namespace Texts

namespace {

constexpr ValueRule ReaderNumberRule = ValueRule::Range(ReaderNumberMin, ReaderNumberMax);

QString TwoDigits(int number) {
    return QString::asprintf("%02d", number);
}

SettingValue One(int value) {
    return SettingValue{{value, 0}};
}

// A recorded number: a JSON number, or the digits of a CSV cell.
std::optional<int> RecordedNumber(const QJsonValue& value, int low, int high) {
    bool ok = false;
    const int number = value.isDouble() ? value.toInt() : value.toString().toInt(&ok);
    if (!value.isDouble() && !ok) return std::nullopt;
    if (number < low || number > high) return std::nullopt;
    return number;
}

std::optional<SettingValue> RecordedIn(const QJsonValue& value, int low, int high) {
    const auto number = RecordedNumber(value, low, high);
    return number ? std::optional(One(*number)) : std::nullopt;
}

// "rs485-32,wiegand-26"
QString ModeText(const SettingValue& v) {
    return QStringLiteral("rs485-%1,wiegand-%2")
        .arg(Rs485FormatBits[v.parts[0]])
        .arg(WiegandFormatBits[v.parts[1]]);
}

std::optional<SettingValue> ModeFromText(const QJsonValue& value) {
    static const QRegularExpression mode(QStringLiteral("^rs485-(\\d+),wiegand-(\\d+)$"));
    const auto match = mode.match(value.toString());
    if (!match.hasMatch()) return std::nullopt;
    SettingValue v;
    const auto index = [](const QString& bits, const int* list, int count) {
        for (int i = 0; i < count; ++i)
            if (bits == QString::number(list[i])) return i;
        return -1;
    };
    v.parts[0] = index(match.captured(1), Rs485FormatBits, Rs485FormatCount);
    v.parts[1] = index(match.captured(2), WiegandFormatBits, WiegandFormatCount);
    if (v.parts[0] < 0 || v.parts[1] < 0) return std::nullopt;
    return v;
}

std::vector<SettingRow> Rows() {
    return {
        {SettingKey::Id,
         "id",
         &Texts::ReaderNumber,
         {{nullptr, "N", nullptr, ReaderNumberRule}},
         false,
         "number",
         "reader-after",
         false,
         [](ReaderContext& c, const SettingValue& v) {
             // Two digits, as the window's number panel holds it.
             return SetReaderId(c, TwoDigits(v.parts[0]));
         },
         [](const SettingValue& v) { return QJsonValue(TwoDigits(v.parts[0])); },
         [](const QJsonValue& v) { return RecordedIn(v, ReaderNumberMin, ReaderNumberMax); }},
        {SettingKey::SameCard,
         "same-card",
         &Texts::SameCardTime,
         {{nullptr, "SECONDS", "provision: the same-card time to write, 0 to 9999 seconds.",
           ValueRule::Range(0, SameCardMax)}},
         true,
         nullptr,
         nullptr,
         false,
         [](ReaderContext& c, const SettingValue& v) { return SetSameCard(c, v.parts[0]); },
         [](const SettingValue& v) { return QJsonValue(v.parts[0]); },
         [](const QJsonValue& v) { return RecordedIn(v, 0, SameCardMax); }},
        {SettingKey::Input,
         "input",
         &Texts::Input,
         {{nullptr, "no|nc", "provision: the digital input to write, no or nc.",
           ValueRule{ValueRule::Kind::NoOrNc}}},
         true,
         nullptr,
         nullptr,
         false,
         [](ReaderContext& c, const SettingValue& v) { return SetInputNoNc(c, v.parts[0] != 0); },
         [](const SettingValue& v) { return QJsonValue(v.parts[0] ? "no" : "nc"); },
         [](const QJsonValue& v) -> std::optional<SettingValue> {
             if (v.toString() == QLatin1String("no")) return One(1);
             if (v.toString() == QLatin1String("nc")) return One(0);
             return std::nullopt;
         }},
        {SettingKey::Mode,
         "mode",
         &Texts::ReaderMode,
         {{"rs485", "24|32|40|64", "set-mode, provision: the RS485 format in bits.",
           ValueRule::Formats(Rs485FormatBits, Rs485FormatCount)},
          {"wiegand", "26|34|42", "set-mode, provision: the Wiegand format in bits.",
           ValueRule::Formats(WiegandFormatBits, WiegandFormatCount)}},
         true,
         nullptr,
         nullptr,
         false,
         [](ReaderContext& c, const SettingValue& v) {
             return SetReaderMode(c, v.parts[0], v.parts[1]);
         },
         [](const SettingValue& v) { return QJsonValue(ModeText(v)); },
         ModeFromText},
        {SettingKey::Rssi,
         "rssi",
         &Texts::RssiLevel,
         {{nullptr, "LEVEL", "provision: the RSSI level to write, 0 to 250.",
           ValueRule::Range(0, RssiLevelMax)}},
         true,
         nullptr,
         nullptr,
         false,
         [](ReaderContext& c, const SettingValue& v) { return SetRssiLevel(c, v.parts[0]); },
         [](const SettingValue& v) { return QJsonValue(v.parts[0]); },
         [](const QJsonValue& v) { return RecordedIn(v, 0, RssiLevelMax); }},
        {SettingKey::LineSpeed,
         "line-speed",
         &Texts::LineSetting,
         {{nullptr, "SETTING", "provision: the line setting to write.",
           ValueRule{ValueRule::Kind::LineSetting}}},
         true,
         nullptr,
         "line-after",
         true,
         [](ReaderContext& c, const SettingValue& v) { return SetLineSpeed(c, v.parts[0]); },
         [](const SettingValue& v) { return QJsonValue(LineSettingTable[v.parts[0]]); },
         [](const QJsonValue& v) -> std::optional<SettingValue> {
             const int index = LineSettingIndex(v.toString());
             return index >= 0 ? std::optional(One(index)) : std::nullopt;
         }},
    };
}

}  // namespace

QString SettingRow::Command() const {
    return QStringLiteral("set-") + QLatin1String(name);
}

QString SettingRow::PartName(size_t part) const {
    return QLatin1String(parts[part].name ? parts[part].name : name);
}

QString SettingRow::PlanColumn(size_t part) const {
    return planColumn ? QLatin1String(planColumn) : PartName(part);
}

PartOfSetting OptionPart(const QString& option) {
    for (const SettingRow& setting : SettingCatalogue())
        for (size_t i = 0; setting.givenAsOption && i < setting.parts.size(); ++i)
            if (setting.PartName(i) == option) return {&setting, i};
    return {};
}

PartOfSetting PlanColumnPart(const QString& column) {
    for (const SettingRow& setting : SettingCatalogue())
        for (size_t i = 0; i < setting.parts.size(); ++i)
            if (setting.PlanColumn(i) == column) return {&setting, i};
    return {};
}

QString SettingRow::Printed(const SettingValue& value) const {
    return QLatin1String(name) + QLatin1Char('=') + RecordedText(recorded(value));
}

QString RecordedText(const QJsonValue& value) {
    return value.isDouble() ? QString::number(value.toInt()) : value.toString();
}

const std::vector<SettingRow>& SettingCatalogue() {
    static const std::vector<SettingRow> rows = Rows();
    return rows;
}

const SettingRow& Setting(SettingKey key) {
    return SettingCatalogue()[size_t(key)];
}

const SettingRow* SettingNamed(const QString& name) {
    for (const SettingRow& row : SettingCatalogue())
        if (name == QLatin1String(row.name)) return &row;
    return nullptr;
}
