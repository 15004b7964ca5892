#include "ValueChecks.h"

#include <QRegularExpression>

#include "ConsoleTexts.h"
#include "LineSetting.h"
#include "TerminalText.h"

namespace Texts {
ConsoleText NoOrNc = {"%1 must be \"no\" or \"nc\", not \"%2\".",
                      "%1 必须是“no”或“nc”，而不是“%2”。",
                      "%1 必須是「no」或「nc」，而不是「%2」。"};
}  // namespace Texts

int Integer(const QString& text, const QString& what, int low, int high) {
    static const QRegularExpression digits(QStringLiteral("^-?[0-9]{1,9}$"));
    if (!digits.match(text).hasMatch())
        throw UsageMistake{
            Tr(Texts::WholeNumber).arg(what).arg(low).arg(high).arg(TerminalExcerpt(text))};
    const int value = text.toInt();
    if (value < low || value > high)
        throw UsageMistake{Tr(Texts::OutOfRange).arg(what).arg(low).arg(high).arg(value)};
    return value;
}

int ValueRule::Check(const QString& text, const QString& what) const {
    switch (kind) {
        case Kind::Integer:
            return Integer(text, what, low, high);
        case Kind::Format:
            for (int i = 0; i < high; ++i)
                if (text == QString::number(bits[i])) return i;
            throw UsageMistake{Tr(Texts::OneOf)
                                   .arg(what,
                                        Choices().replace(QLatin1Char('|'), QStringLiteral(", ")),
                                        TerminalExcerpt(text))};
        case Kind::NoOrNc:
            if (text.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0) return 1;
            if (text.compare(QLatin1String("nc"), Qt::CaseInsensitive) == 0) return 0;
            throw UsageMistake{Tr(Texts::NoOrNc).arg(what, TerminalExcerpt(text))};
        case Kind::LineSetting:
            if (const int index = LineSettingIndex(text.toLower()); index >= 0) return index;
            throw UsageMistake{Tr(Texts::NotALineSetting).arg(what, TerminalExcerpt(text))};
    }
    return 0;
}

QString ValueRule::Choices() const {
    QStringList choices;
    switch (kind) {
        case Kind::Integer:
            return QStringLiteral("%1-%2").arg(low).arg(high);
        case Kind::Format:
            for (int i = 0; i < high; ++i) choices << QString::number(bits[i]);
            return choices.join(QLatin1Char('|'));
        case Kind::NoOrNc:
            return QStringLiteral("no|nc");
        case Kind::LineSetting:
            break;
    }
    return QStringLiteral("SETTING");
}
