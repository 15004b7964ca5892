#pragma once

#include <QString>
#include <QStringList>

// The checks of the values the reader takes, shared by the command line, a provisioning plan
// and the record. Each returns the value or throws the one line that names what is wrong, in
// the run's language, quoting at most a short, escaped excerpt of the text.
struct UsageMistake {
    QString text;
};

// How the text of one value becomes its number. `what` names the value in a mistake: an option
// ("--rssi"), a plan's column ("rssi") or the value itself ("The RSSI level").
struct ValueRule {
    enum class Kind {
        Integer,      // decimal digits from low to high: "+5", " 5" and "5s" are mistakes
        Format,       // one of a format list's bit counts, its index
        NoOrNc,       // "no" (normally open) is 1, "nc" is 0, in any case
        LineSetting,  // a line setting such as "19200,e,8,1", its index in the table
    };
    Kind kind = Kind::Integer;
    int low = 0;
    int high = 0;
    const int* bits = nullptr;  // Format: the bit counts, `high` of them

    static constexpr ValueRule Range(int low, int high) { return {Kind::Integer, low, high}; }
    static constexpr ValueRule Formats(const int* bits, int count) {
        return {Kind::Format, 0, count, bits};
    }

    int Check(const QString& text, const QString& what) const;
    // What the rule takes, as the help shows it: "24|32|40|64", "no|nc".
    QString Choices() const;
};

// Each rule on its own, for the values that are no setting (--count, --seconds).
int Integer(const QString& text, const QString& what, int low, int high);
