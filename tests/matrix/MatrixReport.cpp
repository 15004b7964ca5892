#include "MatrixReport.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace {

QPair<int, int> Key(Operation operation, Fault fault) {
    return {int(operation), int(fault)};
}

// A table cell may hold no bar and no line break.
QString CellText(QString text) {
    text.replace('|', "\\|");
    text.replace('\n', ' ');
    return text;
}

const char* const Legend = R"(
Faults, as the simulated reader (`vq880-sim`) injects them:

| Fault | What the reader does |
|---|---|
| no fault | answers every command at once (2 ms) |
| silent | never answers |
| reply at 100 ms | answers 100 ms after the command's CR: inside the 120 ms reply window |
| reply at 140 ms | answers 140 ms after the command's CR: after the window has closed |
| wrong check | check characters that do not match the reply |
| lower-case check | the right check characters in lower case |
| wrong length | a correct frame with one body character too many |
| noise | three stray bytes before the reply's LF |
| echo | the command itself before the reply, as a half-duplex adapter gives: the tool sets the exact copy aside and takes the reply behind it |
| flood | an LF and 1999 further bytes without a CR |
| vanishes | the reader is gone in the middle of the operation: its line closes after the first frames of the operation (scan: after "A00B"; tag reading: after two tags; setting operations: after the presence check; reset: at "A00HR") |
| 16 ms batches | answers at once, but its adapter hands the reply on in batches, every 16 ms or when 62 bytes are held, as one with an FTDI chip does |
| slow turnaround | the reply without its first byte, the LF: a half-duplex adapter that turns from sending to receiving too late |

Each cell is the text in the message panel after the operation (tag reading: the tags shown,
then the tag panel after the cancel) and ✓ when it is the outcome the tool defines, ✗ with the
defined one otherwise. Every cell also checks the link indicator's colour and the tone, that the
window is enabled again with the normal cursor, that the port is free again (it opens once more;
when the reader vanished, no descriptor and no lock file of the tool is left on it), and that the
kept settings changed only where a scan found the reader.

The scan starts from an empty settings store with `chkLock` checked, the reader at COM3 at
19200 baud and COM1 to COM16 otherwise leading nowhere. Every other operation first finds a
healthy reader with a real scan (at 115200 baud); the faulty reader then takes its place on the
same port. Address, frequency and channel are out of the operator's reach in the window; their
click handlers are called directly. Tones are recorded, not waited out.

Lower-case check on the reset: the reader's acknowledgement of "A00HR" has the check
characters 46, which have no lower-case form, so the frame arrives correct and the reset
succeeds. On the wrong length the reset succeeds too: it tests no length. Every other operation
meets the fault in the 16-byte reply to its presence check "A00B" (check 1E) first.
)";

}  // namespace

MatrixReport::Cell& MatrixReport::At(Operation operation, Fault fault) {
    return cells_[Key(operation, fault)];
}

bool MatrixReport::Complete() const {
    for (Operation operation : AllOperations())
        for (Fault fault : AllFaults())
            if (!cells_.contains(Key(operation, fault))) return false;
    return true;
}

int MatrixReport::Failures() const {
    int failures = 0;
    for (const Cell& cell : cells_)
        if (!cell.pass) ++failures;
    return failures;
}

QString MatrixReport::Markdown() const {
    QStringList lines;
    lines << "# Fault matrix"
          << "";
    lines << "Every operation of the window against every fault of the reader, run by the test "
             "`tst_fault_matrix` (tests/matrix/): the real window on the offscreen platform, "
             "QSerialPort and the steady clock against the simulator program on a "
             "pseudo-terminal. This file is written by that test.";
    lines << "";
    lines << QString("%1 cells, %2 not as defined.").arg(cells_.size()).arg(Failures());
    lines << "";

    QStringList header{"Operation"}, rule{"---"};
    for (Fault fault : AllFaults()) {
        header << FaultName(fault);
        rule << "---";
    }
    lines << "| " + header.join(" | ") + " |";
    lines << "|" + rule.join("|") + "|";
    for (Operation operation : AllOperations()) {
        QStringList row{OperationName(operation)};
        for (Fault fault : AllFaults()) {
            const auto found = cells_.constFind(Key(operation, fault));
            if (found == cells_.constEnd()) {
                row << "not run";
                continue;
            }
            QString text = found->shown + (found->pass ? " ✓" : " ✗");
            if (!found->pass) text += " (defined: " + found->expected + ")";
            row << CellText(text);
        }
        lines << "| " + row.join(" | ") + " |";
    }
    return lines.join('\n') + '\n' + QString::fromUtf8(Legend);
}

bool MatrixReport::Write(const QString& path) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return false;
    file.write(Markdown().toUtf8());
    return file.commit();
}
