#pragma once

#include <QString>

// The checks of the values the reader takes, shared by the command line and a provisioning
// plan. Each returns the value or throws the one line that names what is wrong.
struct UsageMistake {
    QString text;
};

// Decimal digits only: "+5", " 5" and "5s" are mistakes, not 5.
int Integer(const QString& text, const QString& what, int low, int high);
// The index of `text` among the bit counts of a format list.
int FormatIndex(const QString& text, const QString& what, const int* bits, int count);
// "no" is normally open, "nc" normally closed.
bool InputNormallyOpen(const QString& text, const QString& what);
// The index of a line setting such as "19200,e,8,1" in the line-setting table.
int LineIndex(const QString& text, const QString& what);
