#include "FaultCells.h"

#include "FrameCodec.h"
#include "ReaderModel.h"
#include "TfrmModule.h"

namespace {

const char* const ReaderSerial = "00001234";
const char* const ReaderVersion = "01.70-01";
// Its reply "F01ID0000BC68" carries the check characters 4F.
const char* const ReaderTag = "0000BC68";

bool IsSettingOperation(Operation operation) {
    return operation != Operation::Scan && operation != Operation::ReadTags &&
           operation != Operation::Reset;
}

struct OutcomeTexts {
    const char* success;
    const char* failure;
};

OutcomeTexts TextsOf(Operation operation) {
    switch (operation) {
        case Operation::SameCard:
            return {"Set Same Card Ok", "Set Same Card Error"};
        case Operation::InputNoNc:
            return {"Set DI NO/NC Ok", "Set DI NO/NC Error"};
        case Operation::ReaderMode:
            return {"Set Reader Mode Ok", "Set Reader Mode Error"};
        case Operation::ReaderId:
            return {"Set Reader ID Ok", "Set Reader ID Error"};
        case Operation::LineSpeed:
            return {"Set Reader BaudRate Ok", "Set Reader BaudRate Error"};
        case Operation::RssiLevel:
            return {"Set RSSI Level Ok", "Set RSSI Level Error"};
        case Operation::RadioAddress:
            return {"Set Address Ok", "Set Address Error"};
        case Operation::RadioFrequency:
            return {"Set Freq Ok", "Set Freq Error"};
        case Operation::RadioChannel:
            return {"Set Channel Ok", "Set Channel Error"};
        case Operation::FactoryDefault:
            return {"Set Default Ok", "Set Default Error"};
        case Operation::Reset:
            return {"Reader Reset Ok", "TReader Reset Error"};
        case Operation::Scan:
        case Operation::ReadTags:
            break;
    }
    return {"", ""};
}

// Whether the reply to the command passes SendCommand: a complete frame that begins with its
// LF, with the right upper-case check characters, within the reply window.
bool ReplyPasses(Fault fault, const QByteArray& command) {
    switch (fault) {
        case Fault::None:
        case Fault::ReplyAt100:   // inside the 120 ms window, with room for the reply itself
        case Fault::WrongLength:  // a correct frame; only callers that test the length refuse it
        case Fault::Echo:         // an exact copy of the frame is set aside, the reply taken
        case Fault::Batches16:    // the reply comes whole within 16 ms more
            return true;
        case Fault::LowerCaseCheck:
            return !LowerCaseSpoils(command);
        case Fault::Silent:
        case Fault::ReplyAt140:  // well after the window has closed
        case Fault::WrongCheck:
        case Fault::Noise:           // the first byte is not the LF
        case Fault::SlowTurnaround:  // the LF is lost
        case Fault::Flood:           // the 1025th byte overwrites the LF: no frame completes
        case Fault::Vanishes:
            return false;
    }
    return false;
}

}  // namespace

QList<Operation> AllOperations() {
    return {Operation::Scan,           Operation::ReadTags,     Operation::SameCard,
            Operation::InputNoNc,      Operation::ReaderMode,   Operation::ReaderId,
            Operation::LineSpeed,      Operation::RssiLevel,    Operation::RadioAddress,
            Operation::RadioFrequency, Operation::RadioChannel, Operation::FactoryDefault,
            Operation::Reset};
}

QList<Fault> AllFaults() {
    return {Fault::None,          Fault::Silent,         Fault::ReplyAt100,  Fault::ReplyAt140,
            Fault::WrongCheck,    Fault::LowerCaseCheck, Fault::WrongLength, Fault::Noise,
            Fault::Echo,          Fault::Flood,          Fault::Vanishes,    Fault::Batches16,
            Fault::SlowTurnaround};
}

QString OperationName(Operation operation) {
    switch (operation) {
        case Operation::Scan:
            return "scan";
        case Operation::ReadTags:
            return "read tags";
        case Operation::SameCard:
            return "set same card";
        case Operation::InputNoNc:
            return "set DI NO/NC";
        case Operation::ReaderMode:
            return "set reader mode";
        case Operation::ReaderId:
            return "set reader ID";
        case Operation::LineSpeed:
            return "set baud rate";
        case Operation::RssiLevel:
            return "set RSSI level";
        case Operation::RadioAddress:
            return "set address";
        case Operation::RadioFrequency:
            return "set frequency";
        case Operation::RadioChannel:
            return "set channel";
        case Operation::FactoryDefault:
            return "factory default";
        case Operation::Reset:
            return "reset";
    }
    return {};
}

QString FaultName(Fault fault) {
    switch (fault) {
        case Fault::None:
            return "no fault";
        case Fault::Silent:
            return "silent";
        case Fault::ReplyAt100:
            return "reply at 100 ms";
        case Fault::ReplyAt140:
            return "reply at 140 ms";
        case Fault::WrongCheck:
            return "wrong check";
        case Fault::LowerCaseCheck:
            return "lower-case check";
        case Fault::WrongLength:
            return "wrong length";
        case Fault::Noise:
            return "noise";
        case Fault::Echo:
            return "echo";
        case Fault::Flood:
            return "flood";
        case Fault::Vanishes:
            return "vanishes";
        case Fault::Batches16:
            return "16 ms batches";
        case Fault::SlowTurnaround:
            return "slow turnaround";
    }
    return {};
}

QStringList ReaderArguments() {
    return {"--serial",        ReaderSerial, "--version", ReaderVersion,
            "--reader-number", "1",          "--tags",    ReaderTag};
}

int VanishAfterFrames(Operation operation) {
    switch (operation) {
        case Operation::Scan:
            return 1;  // "A00B" found it, "A00V" meets nobody
        case Operation::ReadTags:
            return 2;  // two tags, then gone
        case Operation::Reset:
            return 0;  // "A00HR" is the only frame
        default:
            return 1;  // the presence check passes, the setting command meets nobody
    }
}

QStringList FaultArguments(Operation operation, Fault fault) {
    switch (fault) {
        case Fault::None:
            return {};
        case Fault::Silent:
            return {"--fault", "silent"};
        case Fault::ReplyAt100:
            return {"--reply-delay", "100"};
        case Fault::ReplyAt140:
            return {"--reply-delay", "140"};
        case Fault::WrongCheck:
            return {"--fault", "wrong-check"};
        case Fault::LowerCaseCheck:
            return {"--fault", "lower-case-check"};
        case Fault::WrongLength:
            return {"--fault", "wrong-length"};
        case Fault::Noise:
            return {"--fault", "noise"};
        case Fault::Echo:
            return {"--fault", "echo"};
        case Fault::Flood:
            return {"--fault", "flood"};
        case Fault::Vanishes:
            return {"--fault", "disconnect", "--fault-after",
                    QString::number(VanishAfterFrames(operation))};
        case Fault::Batches16:
            return {"--batch-ms", "16"};
        case Fault::SlowTurnaround:
            return {"--fault", "slow-turnaround"};
    }
    return {};
}

QByteArray SettingCommand(Operation operation) {
    switch (operation) {
        case Operation::SameCard:
            return "A00N0010";
        case Operation::InputNoNc:
            return "A00M1";
        case Operation::ReaderMode:
            return "A00L10";
        case Operation::ReaderId:
            return QByteArray("A00C") + ReaderSerial + "42";
        case Operation::LineSpeed:
            return "A00E8";
        case Operation::RssiLevel:
            return "A00O00";
        case Operation::RadioAddress:
            return "A00W060131";
        case Operation::RadioFrequency:
            return "A00W0F013B";
        case Operation::RadioChannel:
            return "A00W0B0100";
        case Operation::FactoryDefault:
            return "A00X5A";
        case Operation::Reset:
            return "A00HR";
        case Operation::Scan:
        case Operation::ReadTags:
            break;
    }
    return {};
}

bool LowerCaseSpoils(const QByteArray& commandText) {
    ReaderOptions options;
    options.serialNumber = ReaderSerial;
    options.version = ReaderVersion;
    options.tags = {QByteArray(ReaderTag).toUInt(nullptr, 16)};
    ReaderModel reader(options);
    std::optional<ReaderReply> reply;
    for (char byte : CommandFrame(commandText)) reply = reader.Receive(byte, 0);
    if (!reply || reply->bytes.size() < 4) return true;  // no reply at all: nothing passes
    const QByteArray check = reply->bytes.mid(reply->bytes.size() - 3, 2);
    return check != check.toLower();
}

ExpectedOutcome Expected(Operation operation, Fault fault) {
    // Frame k of the operation (0 first) passes; the vanished reader answers none after its
    // last one, whatever the tries.
    auto passes = [&](const QByteArray& command, int frame) {
        if (fault == Fault::Vanishes) return frame < VanishAfterFrames(operation);
        return ReplyPasses(fault, command);
    };
    const bool lengthRight = fault != Fault::WrongLength;
    const QString com = QString::number(ReaderCom);

    ExpectedOutcome expected;
    switch (operation) {
        case Operation::Scan: {
            // "A00B" must be 16 bytes long; "A00V" only has to pass.
            const bool found = passes("A00B", 0) && lengthRight;
            expected.success = found && passes("A00V", 1);
            expected.storeWritten = found;
            expected.text = !found             ? "Reader Not Find"
                            : expected.success ? "Get Reader Info Ok. (COM : #" + com + ")"
                                               : "Get Reader Info Error. (COM : #" + com + ")";
            expected.indicator = expected.success ? ColorYellow : ColorRed;
            break;
        }
        case Operation::ReadTags: {
            // A tag reply must be 17 bytes long; the run ends with the cancel, yellow.
            if (fault == Fault::Vanishes)
                expected.tagsShown = VanishAfterFrames(operation);
            else if (passes("A00F", 0) && lengthRight)
                expected.tagsShown = PassesBeforeCancel;
            expected.success = expected.tagsShown > 0;
            expected.text = "Get Reader Info Ok. (COM : #" + com + ")";
            expected.indicator = ColorYellow;
            break;
        }
        case Operation::Reset:
            // No presence check, one try, the reply's length not tested.
            expected.success = passes(SettingCommand(operation), 0);
            break;
        default:
            // A presence check of exactly 16 bytes, then the setting command, whose reply
            // only has to pass.
            expected.success =
                passes("A00B", 0) && lengthRight && passes(SettingCommand(operation), 1);
            break;
    }
    if (IsSettingOperation(operation) || operation == Operation::Reset) {
        const OutcomeTexts texts = TextsOf(operation);
        expected.text = expected.success ? texts.success : texts.failure;
        expected.indicator = expected.success ? ColorYellow : ColorRed;
    }
    return expected;
}
