#include "ValueChecks.h"

#include <QRegularExpression>
#include <QStringList>

#include "LineSetting.h"

int Integer(const QString& text, const QString& what, int low, int high) {
    static const QRegularExpression digits(QStringLiteral("^-?[0-9]{1,9}$"));
    if (!digits.match(text).hasMatch())
        throw UsageMistake{QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\".")
                               .arg(what)
                               .arg(low)
                               .arg(high)
                               .arg(text)};
    const int value = text.toInt();
    if (value < low || value > high)
        throw UsageMistake{QStringLiteral("%1 must be from %2 to %3, not %4.")
                               .arg(what)
                               .arg(low)
                               .arg(high)
                               .arg(value)};
    return value;
}

int FormatIndex(const QString& text, const QString& what, const int* bits, int count) {
    QStringList names;
    for (int i = 0; i < count; ++i) {
        if (text == QString::number(bits[i])) return i;
        names << QString::number(bits[i]);
    }
    throw UsageMistake{QStringLiteral("%1 must be one of %2, not \"%3\".")
                           .arg(what, names.join(QStringLiteral(", ")), text)};
}

bool InputNormallyOpen(const QString& text, const QString& what) {
    if (text == QLatin1String("no")) return true;
    if (text == QLatin1String("nc")) return false;
    throw UsageMistake{QStringLiteral("%1 must be \"no\" or \"nc\", not \"%2\".").arg(what, text)};
}

int LineIndex(const QString& text, const QString& what) {
    const int index = LineSettingIndex(text);
    if (index < 0)
        throw UsageMistake{
            QStringLiteral("%1 \"%2\" is not one of the line settings (such as 19200,e,8,1).")
                .arg(what, text)};
    return index;
}
