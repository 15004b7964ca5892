#pragma once

#include <QString>
#include <QtGlobal>

#include "KeptSettings.h"

// One value as a store found it: not there, a 32-bit integer, a text, or of another type.
struct RawKeptValue {
    enum class Type { Missing, Integer, Text, Other };
    Type type = Type::Missing;
    qint32 integer = 0;
    QString text;

    static RawKeptValue Integer(qint32 number) { return {Type::Integer, number, QString()}; }
    static RawKeptValue Text(const QString& text) { return {Type::Text, 0, text}; }
    static RawKeptValue Other() { return {Type::Other, 0, QString()}; }
};

// The four values as a store read them, before any rule is applied.
struct RawKeptSettings {
    RawKeptValue ScanCommNo;
    RawKeptValue ScanBaudRate;
    RawKeptValue ScanBaudRateNo;
    RawKeptValue LanguageFlag;
};

// The kept values from what a store read, in the order ScanCommNo, ScanBaudRate,
// ScanBaudRateNo, LanguageFlag: a missing value takes its default, and the first value of the
// wrong type ends the loading, leaving it and the ones after it as `settings` held them. An
// index outside the line-setting table is taken from the text beside it when that is one of
// the table's, and is the default otherwise.
void ApplyKeptValues(const RawKeptSettings& raw, KeptSettings& settings);
