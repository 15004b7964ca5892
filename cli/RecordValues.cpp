#include "RecordValues.h"

#include <cmath>

#include "ConsoleTexts.h"
#include "ReaderProtocol.h"
#include "SettingCatalogue.h"
#include "TerminalText.h"
#include "ValueChecks.h"

namespace Texts {
ConsoleText NotASetting = {"%1 is not a setting.", "%1 不是一项设置。", "%1 不是一項設定。"};
ConsoleText TextOrNumber = {"%1 must be a text or a number.", "%1 必须是文字或数字。",
                            "%1 必須是文字或數字。"};
ConsoleText NotAValueOf = {"%1 does not take \"%2\".", "%1 不接受“%2”。", "%1 不接受「%2」。"};
}  // namespace Texts

namespace {

// The setting of a key the record holds, or a mistake.
const SettingRow& SettingOfKey(const QString& key) {
    const SettingRow* setting = SettingNamed(key);
    if (!setting) throw UsageMistake{Tr(Texts::NotASetting).arg(TerminalExcerpt(key))};
    return *setting;
}

}  // namespace

QString RecordedValue(const QString& key, const QJsonValue& value) {
    const SettingRow& setting = SettingOfKey(key);
    QString text = value.toString();
    if (value.isDouble()) {
        const double number = value.toDouble();
        text = std::abs(number) < 1e15 && number == std::trunc(number)
                   ? QString::number(qint64(number))
                   : QString::number(number);
    } else if (!value.isString()) {
        throw UsageMistake{Tr(Texts::TextOrNumber).arg(key)};
    }
    // A setting of one part says what is wrong with its value in its own words.
    if (setting.TakesArgument()) setting.parts.front().rule.Check(text, key);
    const auto held = setting.fromRecorded(QJsonValue(text));
    if (!held) throw UsageMistake{Tr(Texts::NotAValueOf).arg(key, TerminalExcerpt(text))};
    return RecordedText(setting.recorded(*held));
}

QJsonValue JsonValue(const QString& key, const QString& text) {
    // The serial number and the label of a door are texts.
    const SettingRow* setting = SettingNamed(key);
    const auto held = setting ? setting->fromRecorded(QJsonValue(text)) : std::nullopt;
    return held ? setting->recorded(*held) : QJsonValue(text);
}

SettingTexts SettingTextsOf(const SettingValues& values) {
    SettingTexts texts;
    for (const auto& [key, value] : values)
        texts.insert(QLatin1String(Setting(key).name), RecordedText(Setting(key).recorded(value)));
    return texts;
}

SettingValues SettingValuesOf(const SettingTexts& texts) {
    SettingValues values;
    for (auto it = texts.begin(); it != texts.end(); ++it) {
        const SettingRow& setting = SettingOfKey(it.key());
        if (const auto held = setting.fromRecorded(QJsonValue(it.value())))
            values[setting.key] = *held;
    }
    return values;
}

const SettingTexts& FactorySettingTexts() {
    static const SettingTexts texts =
        SettingTextsOf({{SettingKey::Id, {{FactoryReaderNumber, 0}}},
                        {SettingKey::SameCard, {{FactorySameCardSeconds, 0}}},
                        {SettingKey::Input, {{FactoryInputNormallyOpen ? 1 : 0, 0}}},
                        {SettingKey::Mode, {{FactoryRs485Index, FactoryWiegandIndex}}},
                        {SettingKey::Rssi, {{FactoryRssiLevel, 0}}},
                        {SettingKey::LineSpeed, {{FactoryLineIndex, 0}}}});
    return texts;
}
