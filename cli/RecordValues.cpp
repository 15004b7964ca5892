#include "RecordValues.h"

#include <QRegularExpression>
#include <cmath>

#include "LineSetting.h"
#include "ReaderProtocol.h"
#include "ValueChecks.h"

namespace {

QString Number(int value) {
    return QString::number(value);
}
QString ReaderNumber(int value) {
    return QString::asprintf("%02d", value);
}
QString Input(bool normallyOpen) {
    return normallyOpen ? QStringLiteral("no") : QStringLiteral("nc");
}
QString Mode(int rs485, int wiegand) {
    return QStringLiteral("rs485-%1,wiegand-%2")
        .arg(Rs485FormatBits[rs485])
        .arg(WiegandFormatBits[wiegand]);
}

const QRegularExpression& ModePattern() {
    static const QRegularExpression mode(QStringLiteral("^rs485-([^,]*),wiegand-(.*)$"));
    return mode;
}

}  // namespace

QString RecordedValue(const QString& key, const QJsonValue& value) {
    QString text = value.toString();
    if (value.isDouble()) {
        const double number = value.toDouble();
        text = std::abs(number) < 1e15 && number == std::trunc(number)
                   ? QString::number(qint64(number))
                   : QString::number(number);
    } else if (!value.isString()) {
        throw UsageMistake{QStringLiteral("%1 must be a text or a number.").arg(key)};
    }
    if (key == QLatin1String("id"))
        return ReaderNumber(Integer(text, key, ReaderNumberMin, ReaderNumberMax));
    if (key == QLatin1String("same-card")) return Number(Integer(text, key, 0, SameCardMax));
    if (key == QLatin1String("input")) return Input(InputNormallyOpen(text, key));
    if (key == QLatin1String("rssi")) return Number(Integer(text, key, 0, RssiLevelMax));
    if (key == QLatin1String("line-speed"))
        return QString::fromLatin1(LineSettingTable[LineIndex(text, key)]);
    if (key == QLatin1String("mode")) {
        const QRegularExpressionMatch match = ModePattern().match(text);
        if (!match.hasMatch())
            throw UsageMistake{QStringLiteral("mode must be such as \"rs485-32,wiegand-26\".")};
        return Mode(
            FormatIndex(match.captured(1), "rs485", Rs485FormatBits, Rs485FormatCount),
            FormatIndex(match.captured(2), "wiegand", WiegandFormatBits, WiegandFormatCount));
    }
    throw UsageMistake{QStringLiteral("%1 is not a setting.").arg(key)};
}

QJsonValue JsonValue(const QString& key, const QString& text) {
    if (key == QLatin1String("same-card") || key == QLatin1String("rssi")) return text.toInt();
    return text;
}

SettingTexts SettingTextsOf(const SettingValues& v) {
    SettingTexts texts;
    if (v.readerNumber) texts.insert("id", ReaderNumber(*v.readerNumber));
    if (v.sameCardSeconds) texts.insert("same-card", Number(*v.sameCardSeconds));
    if (v.inputNormallyOpen) texts.insert("input", Input(*v.inputNormallyOpen));
    if (v.rs485Index && v.wiegandIndex) texts.insert("mode", Mode(*v.rs485Index, *v.wiegandIndex));
    if (v.rssiLevel) texts.insert("rssi", Number(*v.rssiLevel));
    if (v.lineSettingIndex)
        texts.insert("line-speed", QString::fromLatin1(LineSettingTable[*v.lineSettingIndex]));
    return texts;
}

SettingValues SettingValuesOf(const SettingTexts& texts) {
    SettingValues v;
    for (auto it = texts.begin(); it != texts.end(); ++it) {
        const QString& key = it.key();
        const QString& text = it.value();
        if (key == QLatin1String("id")) {
            v.readerNumber = text.toInt();
        } else if (key == QLatin1String("same-card")) {
            v.sameCardSeconds = text.toInt();
        } else if (key == QLatin1String("input")) {
            v.inputNormallyOpen = text == QLatin1String("no");
        } else if (key == QLatin1String("rssi")) {
            v.rssiLevel = text.toInt();
        } else if (key == QLatin1String("line-speed")) {
            v.lineSettingIndex = LineSettingIndex(text);
        } else if (key == QLatin1String("mode")) {
            const QRegularExpressionMatch match = ModePattern().match(text);
            v.rs485Index =
                FormatIndex(match.captured(1), "rs485", Rs485FormatBits, Rs485FormatCount);
            v.wiegandIndex =
                FormatIndex(match.captured(2), "wiegand", WiegandFormatBits, WiegandFormatCount);
        }
    }
    return v;
}

const SettingTexts& FactorySettingTexts() {
    static const SettingTexts texts = SettingTextsOf(
        {FactoryReaderNumber, FactoryLineIndex, FactorySameCardSeconds, FactoryInputNormallyOpen,
         FactoryRs485Index, FactoryWiegandIndex, FactoryRssiLevel});
    return texts;
}
