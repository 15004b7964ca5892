#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>
#include <utility>
#include <vector>

#include "KeptSettingsPolicy.h"

// The text of the settings file, apart from how it is read and written:
//   "ScanCommNo"=dword:00000003
//   "ScanBaudRate"="19200,e,8,1"
// one value a line, in the form of a registry export. Value names compare without regard to
// case, as the registry's do. Lines of any other form are kept byte for byte, whatever their
// encoding.

// The four values need about 120 bytes; a file past this is none of ours.
constexpr qint64 kMaxSettingsFileBytes = 64 * 1024;

struct StoredValue {
    enum class Type { Integer, Text, Other };
    Type type = Type::Other;
    qint32 integer = 0;
    QString text;

    static StoredValue Integer(qint32 number) { return {Type::Integer, number, QString()}; }
    static StoredValue Text(const QString& text) { return {Type::Text, 0, text}; }
};

using NamedValues = std::vector<std::pair<QString, StoredValue>>;

// The four kept values as the text holds them; the last line of a name wins, as in a registry
// import.
RawKeptSettings ReadKeptValues(const QByteArray& text);

// The text after a save: the given values in place of the lines of their names, or appended,
// every other line as it was. Without a text of before (no file, or one that is no store), a
// fresh text with its header. A text the next load would refuse as too long keeps only the
// four values.
QByteArray WithValuesReplaced(const std::optional<QByteArray>& before, const NamedValues& values);
