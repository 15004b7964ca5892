#include "ProvisioningPlan.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <functional>

#include "ReaderProtocol.h"
#include "ValueChecks.h"

namespace {

// A plan is a list of readers; anything larger is not one.
constexpr qint64 MaxPlanBytes = 1 << 20;

const QStringList& Columns() {
    static const QStringList columns{"serial", "number",  "line-speed", "same-card", "input",
                                     "rs485",  "wiegand", "rssi",       "label"};
    return columns;
}

// The cells of one line: comma-separated, a cell in double quotes may hold commas and "" for
// a quote.
QStringList Cells(const QString& line, const std::function<void(const QString&)>& wrong) {
    QStringList cells;
    QString cell;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c != QLatin1Char('"'))
                cell += c;
            else if (i + 1 < line.size() && line[i + 1] == QLatin1Char('"'))
                cell += c, ++i;
            else
                quoted = false;
        } else if (c == QLatin1Char('"') && cell.trimmed().isEmpty()) {
            quoted = true;
            cell.clear();
        } else if (c == QLatin1Char(',')) {
            cells << cell.trimmed();
            cell.clear();
        } else {
            cell += c;
        }
    }
    if (quoted) wrong(QStringLiteral("a quote is not closed"));
    cells << cell.trimmed();
    return cells;
}

}  // namespace

const PlanRow* ProvisioningPlan::Find(const QByteArray& serial) const {
    for (const PlanRow& row : rows)
        if (row.serial == serial) return &row;
    return nullptr;
}

ProvisioningPlan ParsePlan(const QString& fileName, const QByteArray& text) {
    ProvisioningPlan plan;
    int lineNumber = 0;
    QString column;
    const auto wrong = [&](const QString& what) {
        throw UsageMistake{
            column.isEmpty()
                ? QStringLiteral("%1 line %2: %3.").arg(fileName).arg(lineNumber).arg(what)
                : QStringLiteral("%1 line %2, column %3: %4")
                      .arg(fileName)
                      .arg(lineNumber)
                      .arg(column, what.endsWith(QLatin1Char('.')) ? what : what + '.')};
    };
    // A value check's own line, with the place in the plan before it.
    const auto checked = [&](auto check) {
        try {
            return check();
        } catch (const UsageMistake& mistake) {
            wrong(mistake.text);
            throw;
        }
    };
    QString all = QString::fromUtf8(text);
    if (all.startsWith(QChar(0xFEFF))) all.remove(0, 1);
    const QStringList lines = all.split(QLatin1Char('\n'));

    QStringList header;
    QHash<int, int> lineOfNumber;
    QHash<QByteArray, int> lineOfSerial;
    for (QString line : lines) {
        ++lineNumber;
        column.clear();
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        if (line.trimmed().isEmpty()) continue;
        const QStringList cells = Cells(line, wrong);
        if (header.isEmpty()) {
            for (const QString& name : cells) {
                column = name;
                if (!Columns().contains(name))
                    wrong(QStringLiteral("not a column of a plan (%1)")
                              .arg(Columns().join(QStringLiteral(", "))));
                if (header.contains(name)) wrong(QStringLiteral("the column is there twice"));
                header << name;
            }
            column.clear();
            for (const char* needed : {"serial", "number"})
                if (!header.contains(QLatin1String(needed)))
                    wrong(QStringLiteral("no column %1").arg(QLatin1String(needed)));
            continue;
        }
        if (cells.size() > header.size())
            wrong(
                QStringLiteral("%1 cells, the header has %2").arg(cells.size()).arg(header.size()));

        PlanRow row;
        row.line = lineNumber;
        SettingValues& v = row.values;
        for (int i = 0; i < header.size(); ++i) {
            column = header[i];
            const QString cell = cells.value(i);
            if (cell.isEmpty()) {
                if (column == QLatin1String("serial") || column == QLatin1String("number"))
                    wrong(QStringLiteral("empty"));
                continue;
            }
            if (column == QLatin1String("serial")) {
                static const QRegularExpression printable(
                    QStringLiteral("^[\\x21-\\x7E]{%1}$").arg(SerialNumberLength));
                if (!printable.match(cell).hasMatch())
                    wrong(QStringLiteral("a serial number has %1 letters or digits, not \"%2\"")
                              .arg(SerialNumberLength)
                              .arg(cell));
                row.serial = cell.toLatin1();
                if (lineOfSerial.contains(row.serial))
                    wrong(QStringLiteral("%1 is on line %2 already")
                              .arg(cell)
                              .arg(lineOfSerial[row.serial]));
                lineOfSerial.insert(row.serial, lineNumber);
            } else if (column == QLatin1String("number")) {
                v.readerNumber = checked(
                    [&] { return Integer(cell, "number", ReaderNumberMin, ReaderNumberMax); });
                if (lineOfNumber.contains(*v.readerNumber))
                    wrong(QStringLiteral("number %1 is on line %2 already")
                              .arg(*v.readerNumber)
                              .arg(lineOfNumber[*v.readerNumber]));
                lineOfNumber.insert(*v.readerNumber, lineNumber);
            } else if (column == QLatin1String("line-speed")) {
                v.lineSettingIndex = checked([&] { return LineIndex(cell, "line-speed"); });
            } else if (column == QLatin1String("same-card")) {
                v.sameCardSeconds =
                    checked([&] { return Integer(cell, "same-card", 0, SameCardMax); });
            } else if (column == QLatin1String("input")) {
                v.inputNormallyOpen = checked([&] { return InputNormallyOpen(cell, "input"); });
            } else if (column == QLatin1String("rs485")) {
                v.rs485Index = checked(
                    [&] { return FormatIndex(cell, "rs485", Rs485FormatBits, Rs485FormatCount); });
            } else if (column == QLatin1String("wiegand")) {
                v.wiegandIndex = checked([&] {
                    return FormatIndex(cell, "wiegand", WiegandFormatBits, WiegandFormatCount);
                });
            } else if (column == QLatin1String("rssi")) {
                v.rssiLevel = checked([&] { return Integer(cell, "rssi", 0, RssiLevelMax); });
            } else {
                row.label = cell;
            }
        }
        column.clear();
        if (v.rs485Index.has_value() != v.wiegandIndex.has_value())
            wrong(QStringLiteral("rs485 and wiegand go together: give both"));
        plan.rows.push_back(row);
    }
    if (header.isEmpty()) throw UsageMistake{QStringLiteral("%1: an empty plan.").arg(fileName)};
    if (plan.rows.empty())
        throw UsageMistake{QStringLiteral("%1: the plan names no reader.").arg(fileName)};
    return plan;
}

ProvisioningPlan ReadPlan(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        throw UsageMistake{QStringLiteral("--plan \"%1\": no such file.").arg(path)};
    if (!info.isFile())
        throw UsageMistake{QStringLiteral("--plan \"%1\" is not a regular file.").arg(path)};
    if (info.size() > MaxPlanBytes)
        throw UsageMistake{
            QStringLiteral("--plan \"%1\" is larger than %2 bytes.").arg(path).arg(MaxPlanBytes)};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UsageMistake{
            QStringLiteral("--plan \"%1\" cannot be read: %2.").arg(path, file.errorString())};
    return ParsePlan(path, file.read(MaxPlanBytes + 1));
}
