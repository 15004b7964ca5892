#include "ProvisioningPlan.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QUtf8StringView>
#include <algorithm>
#include <functional>
#include <map>

#include "ConsoleTexts.h"
#include "ReaderProtocol.h"
#include "TerminalText.h"
#include "ValueChecks.h"

namespace Texts {
// Where a mistake is: %1 the file, %2 the line, %3 the column; then what is wrong.
ConsoleText PlanLine = {"%1 line %2: %3", "%1 第 %2 行：%3", "%1 第 %2 行：%3"};
ConsoleText PlanCell = {"%1 line %2, column %3: %4", "%1 第 %2 行 %3 列：%4",
                        "%1 第 %2 行 %3 欄：%4"};
ConsoleText PlanFile = {"%1: %2", "%1：%2", "%1：%2"};
ConsoleText QuoteNotClosed = {"a quote is not closed.", "引号没有结束。", "引號沒有結束。"};
ConsoleText NotAPlan = {"not a plan: the first line names none of its columns (%1).",
                        "不是计划：第一行没有计划的任何列（%1）。",
                        "不是計畫：第一行沒有計畫的任何欄（%1）。"};
ConsoleText NotAColumn = {"not a column of a plan (%1).", "不是计划的列（%1）。",
                          "不是計畫的欄（%1）。"};
ConsoleText ColumnTwice = {"the column is there twice.", "该列出现了两次。", "該欄出現了兩次。"};
ConsoleText NoColumn = {"no column %1.", "没有 %1 列。", "沒有 %1 欄。"};
ConsoleText MoreCells = {"%1 cells, the header has %2.", "有 %1 个单元格，标题行只有 %2 个。",
                         "有 %1 個儲存格，標題列只有 %2 個。"};
ConsoleText EmptyCell = {"empty.", "为空。", "為空。"};
ConsoleText NotUtf8 = {"not UTF-8 text.", "不是 UTF-8 文本。", "不是 UTF-8 文字。"};
ConsoleText ControlCharacter = {"a control character (%1) is not text.", "控制字符（%1）不是文本。",
                                "控制字元（%1）不是文字。"};
ConsoleText NotASerial = {"a serial number has %1 letters or digits, not \"%2\".",
                          "序号应有 %1 个字母或数字，而不是“%2”。",
                          "序號應有 %1 個字母或數字，而不是「%2」。"};
ConsoleText SerialTwice = {"%1 is on line %2 already.", "%1 已在第 %2 行出现。",
                           "%1 已在第 %2 行出現。"};
ConsoleText NumberTwice = {"number %1 is on line %2 already.", "编号 %1 已在第 %2 行出现。",
                           "編號 %1 已在第 %2 行出現。"};
ConsoleText EmptyPlan = {"an empty plan.", "计划是空的。", "計畫是空的。"};
ConsoleText NoReaderPlanned = {"the plan names no reader.", "计划中没有读卡机。",
                               "計畫中沒有讀卡機。"};
ConsoleText NoSuchPlan = {"--plan \"%1\": no such file.", "--plan “%1”：没有这个文件。",
                          "--plan「%1」：沒有這個檔案。"};
ConsoleText PlanNotRegular = {"--plan \"%1\" is not a regular file.", "--plan “%1”不是普通文件。",
                              "--plan「%1」不是一般檔案。"};
ConsoleText PlanTooLarge = {"--plan \"%1\" is larger than %2 bytes.", "--plan “%1”大于 %2 字节。",
                            "--plan「%1」大於 %2 位元組。"};
ConsoleText PlanUnreadable = {"--plan \"%1\" cannot be read: %2.", "无法读取 --plan “%1”：%2。",
                              "無法讀取 --plan「%1」：%2。"};
}  // namespace Texts

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

// One cell: its bytes between the commas, and its value (quotes taken off, space around it too).
struct Cell {
    QByteArray raw;
    QByteArray value;
};

// The cells of one line: comma-separated, a cell in double quotes may hold commas and "" for
// a quote. UTF-8 needs nothing else: no byte of a character beyond ASCII is a comma or a quote.
QList<Cell> Cells(const QByteArray& line, const std::function<void(const QString&)>& wrong) {
    QList<Cell> cells;
    Cell cell;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (!quoted && c == ',') {
            cell.value = cell.value.trimmed();
            cells << cell;
            cell = {};
            continue;
        }
        cell.raw += c;
        if (quoted) {
            if (c != '"') {
                cell.value += c;
            } else if (i + 1 < line.size() && line[i + 1] == '"') {
                cell.value += c;
                cell.raw += line[++i];
            } else {
                quoted = false;
            }
        } else if (c == '"' && cell.value.trimmed().isEmpty()) {
            quoted = true;
            cell.value.clear();
        } else {
            cell.value += c;
        }
    }
    if (quoted) wrong(Tr(Texts::QuoteNotClosed));
    cell.value = cell.value.trimmed();
    cells << cell;
    return cells;
}

// What keeps the bytes of a cell from being text: not UTF-8, or a control character (a tab, a
// line break, an escape, NUL); empty when they are text.
QString NotText(const QByteArray& bytes) {
    if (!QUtf8StringView(bytes).isValidUtf8()) return Tr(Texts::NotUtf8);
    for (const QChar c : QString::fromUtf8(bytes))
        if (c.category() == QChar::Other_Control)
            return Tr(Texts::ControlCharacter).arg(TerminalText(QString(c)));
    return {};
}

}  // namespace

const PlanRow* ProvisioningPlan::Find(const QByteArray& serial) const {
    for (const PlanRow& row : rows)
        if (row.serial == serial) return &row;
    return nullptr;
}

ProvisioningPlan ParsePlan(const QString& fileName, const QByteArray& text) {
    ProvisioningPlan plan;
    const QString file = TerminalText(fileName);
    int lineNumber = 0;
    QString column;
    // Only the plan's own column names and a short, escaped excerpt of a cell go into a mistake:
    // never a whole line of what was read.
    const auto wrong = [&](const QString& what) {
        const QString line = QString::number(lineNumber);
        throw UsageMistake{column.isEmpty() ? Tr(Texts::PlanLine).arg(file, line, what)
                                            : Tr(Texts::PlanCell).arg(file, line, column, what)};
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
    QByteArray all = text;
    if (all.startsWith("\xEF\xBB\xBF")) all.remove(0, 3);
    const QList<QByteArray> lines = all.split('\n');

    QStringList header;
    QHash<int, int> lineOfNumber;
    QHash<QByteArray, int> lineOfSerial;
    for (QByteArray line : lines) {
        ++lineNumber;
        column.clear();
        if (line.endsWith('\r')) line.chop(1);
        if (line.trimmed().isEmpty()) continue;
        const QList<Cell> cells = Cells(line, wrong);
        if (header.isEmpty()) {
            // A file that is no plan at all (a link to another file) is not quoted.
            const bool plan = std::any_of(cells.begin(), cells.end(), [](const Cell& cell) {
                return Columns().contains(QString::fromUtf8(cell.value));
            });
            if (!plan) wrong(Tr(Texts::NotAPlan).arg(Columns().join(QStringLiteral(", "))));
            for (int i = 0; i < cells.size(); ++i) {
                column = QString::number(i + 1);
                if (const QString notText = NotText(cells[i].raw); !notText.isEmpty())
                    wrong(notText);
                const QString name = QString::fromUtf8(cells[i].value);
                column = TerminalExcerpt(name);
                if (!Columns().contains(name))
                    wrong(Tr(Texts::NotAColumn).arg(Columns().join(QStringLiteral(", "))));
                if (header.contains(name)) wrong(Tr(Texts::ColumnTwice));
                header << name;
            }
            column.clear();
            for (const QString& needed : {SerialColumn, NumberColumn()})
                if (!header.contains(needed)) wrong(Tr(Texts::NoColumn).arg(needed));
            continue;
        }
        if (cells.size() > header.size())
            wrong(Tr(Texts::MoreCells).arg(cells.size()).arg(header.size()));

        PlanRow row;
        row.line = lineNumber;
        std::map<SettingKey, int> partsGiven;
        for (int i = 0; i < header.size(); ++i) {
            column = header[i];
            if (i < cells.size())
                if (const QString notText = NotText(cells[i].raw); !notText.isEmpty())
                    wrong(notText);
            const QString cell = i < cells.size() ? QString::fromUtf8(cells[i].value) : QString();
            if (cell.isEmpty()) {
                if (column == SerialColumn || column == NumberColumn()) wrong(Tr(Texts::EmptyCell));
                continue;
            }
            if (column == SerialColumn) {
                static const QRegularExpression printable(
                    QStringLiteral("^[\\x21-\\x7E]{%1}$").arg(SerialNumberLength));
                if (!printable.match(cell).hasMatch())
                    wrong(Tr(Texts::NotASerial).arg(SerialNumberLength).arg(TerminalExcerpt(cell)));
                row.serial = cell.toLatin1();
                if (lineOfSerial.contains(row.serial))
                    wrong(Tr(Texts::SerialTwice)
                              .arg(cell, QString::number(lineOfSerial[row.serial])));
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
                    wrong(Tr(Texts::NumberTwice).arg(value).arg(lineOfNumber[value]));
                lineOfNumber.insert(value, lineNumber);
            }
        }
        column.clear();
        for (const auto& [key, count] : partsGiven)
            if (count != int(Setting(key).parts.size()))
                wrong(Tr(Texts::GoTogether)
                          .arg(Setting(key).PlanColumn(0), Setting(key).PlanColumn(1)));
        plan.rows.push_back(row);
    }
    if (header.isEmpty()) throw UsageMistake{Tr(Texts::PlanFile).arg(file, Tr(Texts::EmptyPlan))};
    if (plan.rows.empty())
        throw UsageMistake{Tr(Texts::PlanFile).arg(file, Tr(Texts::NoReaderPlanned))};
    return plan;
}

ProvisioningPlan ReadPlan(const QString& path) {
    const QString name = TerminalText(path);
    const QFileInfo info(path);
    if (!info.exists()) throw UsageMistake{Tr(Texts::NoSuchPlan).arg(name)};
    if (!info.isFile()) throw UsageMistake{Tr(Texts::PlanNotRegular).arg(name)};
    if (info.size() > MaxPlanBytes)
        throw UsageMistake{Tr(Texts::PlanTooLarge).arg(name, QString::number(MaxPlanBytes))};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UsageMistake{Tr(Texts::PlanUnreadable).arg(name, file.errorString())};
    // Read no further than the limit, whatever the file's size was a moment ago.
    const QByteArray text = file.read(MaxPlanBytes + 1);
    if (text.size() > MaxPlanBytes)
        throw UsageMistake{Tr(Texts::PlanTooLarge).arg(name, QString::number(MaxPlanBytes))};
    return ParsePlan(path, text);
}
