#include "ProvisioningPlan.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <functional>
#include <map>

#include "ReaderProtocol.h"
#include "ValueChecks.h"

namespace {

// A plan is a list of readers; anything larger is not one.
constexpr qint64 MaxPlanBytes = 1 << 20;

const QString SerialColumn = QStringLiteral("serial");
const QString LabelColumn = QStringLiteral("label");

// The columns of a plan: the serial number, each part of each setting, the label.
const QStringList& Columns() {
    static const QStringList columns = [] {
        QStringList all{SerialColumn};
        for (const SettingRow& setting : SettingCatalogue())
            for (size_t part = 0; part < setting.parts.size(); ++part)
                all << setting.PlanColumn(part);
        return all << LabelColumn;
    }();
    return columns;
}

// The number's column, and the serial's: the two every row needs.
QString NumberColumn() {
    return Setting(SettingKey::Id).PlanColumn(0);
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
            for (const QString& needed : {SerialColumn, NumberColumn()})
                if (!header.contains(needed)) wrong(QStringLiteral("no column %1").arg(needed));
            continue;
        }
        if (cells.size() > header.size())
            wrong(
                QStringLiteral("%1 cells, the header has %2").arg(cells.size()).arg(header.size()));

        PlanRow row;
        row.line = lineNumber;
        std::map<SettingKey, int> partsGiven;
        for (int i = 0; i < header.size(); ++i) {
            column = header[i];
            const QString cell = cells.value(i);
            if (cell.isEmpty()) {
                if (column == SerialColumn || column == NumberColumn())
                    wrong(QStringLiteral("empty"));
                continue;
            }
            if (column == SerialColumn) {
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
            } else if (column == LabelColumn) {
                row.label = cell;
            } else {
                const PartOfSetting given = PlanColumnPart(column);
                const SettingPart& part = given.setting->parts[given.part];
                const int value = checked([&] { return part.rule.Check(cell, column); });
                row.values[given.setting->key].parts[given.part] = value;
                ++partsGiven[given.setting->key];
                if (given.setting->key != SettingKey::Id) continue;
                if (lineOfNumber.contains(value))
                    wrong(QStringLiteral("number %1 is on line %2 already")
                              .arg(value)
                              .arg(lineOfNumber[value]));
                lineOfNumber.insert(value, lineNumber);
            }
        }
        column.clear();
        for (const auto& [key, count] : partsGiven)
            if (count != int(Setting(key).parts.size()))
                wrong(QStringLiteral("%1 and %2 go together: give both")
                          .arg(Setting(key).PlanColumn(0), Setting(key).PlanColumn(1)));
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
