#pragma once

// The cells of the fault matrix: every reader operation of the window against every fault of
// the simulated reader, and the outcome the tool must show for each, derived from the tool's
// rules for a reply (a complete frame from its LF, correct upper-case check characters, within
// 120 ms of the command, of the length the caller tests; an exact echo of the command before it
// set aside) rather than from what it does.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

enum class Operation {
    Scan,
    ReadTags,
    SameCard,
    InputNoNc,
    ReaderMode,
    ReaderId,
    LineSpeed,
    RssiLevel,
    RadioAddress,
    RadioFrequency,
    RadioChannel,
    FactoryDefault,
    Reset,
};

enum class Fault {
    None,
    Silent,
    ReplyAt100,
    ReplyAt140,
    WrongCheck,
    LowerCaseCheck,
    WrongLength,
    Noise,
    Echo,
    Flood,
    Vanishes,
    Batches16,       // an adapter that hands the reply on every 16 ms, as FTDI's do
    SlowTurnaround,  // the reply's first byte lost
};

QList<Operation> AllOperations();
QList<Fault> AllFaults();
QString OperationName(Operation operation);  // "set same card"
QString FaultName(Fault fault);              // "lower-case check"

// The simulated reader that every cell meets: its serial number, version and the one tag in
// its field, chosen so that the check characters of the replies to "A00B", "A00V" and "A00F"
// hold a letter, which the lower-case fault can spoil.
QStringList ReaderArguments();
// The simulator's options that inject the fault for this operation. The vanishing reader
// answers VanishAfterFrames(operation) frames of the operation first, so that it is gone in
// the middle of it.
QStringList FaultArguments(Operation operation, Fault fault);
int VanishAfterFrames(Operation operation);

// The setting command the operation sends once its presence check has passed, as the window
// stands after the preparation of the cell; empty for the scan and the tag reading.
QByteArray SettingCommand(Operation operation);
// Whether the lower-case fault changes the reply to this command: only a check character
// that is a letter has a lower-case form. From the simulated reader's own reply.
bool LowerCaseSpoils(const QByteArray& commandText);

// Tag-reading passes made before the cancel click.
constexpr int PassesBeforeCancel = 4;
// Where the reader is, and the rest of COM1 to COM16 lead nowhere.
constexpr int ReaderCom = 3;

struct ExpectedOutcome {
    bool success = false;       // scan: the version was read; tag reading: tags were shown
    QString text;               // pnMsg afterwards (tag reading: what the scan left there)
    QColor indicator;           // shComm afterwards
    int tagsShown = 0;          // tag reading only
    bool storeWritten = false;  // scan only: the port scan found the reader and kept its place
};

ExpectedOutcome Expected(Operation operation, Fault fault);
