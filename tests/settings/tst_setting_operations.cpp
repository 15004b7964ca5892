// The setting operations on the recording view and the virtual clock: every command as it
// reaches the reader with the texts around it, the tries and their presence checks, the
// refusals, and the line speed, factory default and restart with what they leave behind.
#include <QtTest>

#include "FrameCodec.h"
#include "LineSetting.h"
#include "RecordingView.h"
#include "TextTable.h"

namespace {

using Run = std::function<SettingResult(ReaderContext&)>;

const QString ReaderDevice = PortNames::DefaultDevice(3);
// A reply that never comes: the reader's own is dropped.
const std::optional<QByteArray> Silence = QByteArray();

// Every operation once, with its start and failure texts, for tables over all of them.
struct NamedOperation {
    const char* name;
    Run run;
    const char* startText;
    const char* failureText;
};
const NamedOperation Operations[] = {
    {"reader number", [](ReaderContext& c) { return SetReaderId(c, "01"); }, "Set Reader ID = 01",
     "Set Reader ID Error"},
    {"line speed", [](ReaderContext& c) { return SetLineSpeed(c, 5); },
     "Set Reader BaudRate = 19200,e,8,1", "Set Reader BaudRate Error"},
    {"same-card time", [](ReaderContext& c) { return SetSameCard(c, 10); }, "Set Same Card",
     "Set Same Card Error"},
    {"input polarity", [](ReaderContext& c) { return SetInputNoNc(c, true); }, "Set DI NO/NC",
     "Set DI NO/NC Error"},
    {"reader mode", [](ReaderContext& c) { return SetReaderMode(c, 1, 0); }, "Set Reader Mode",
     "Set Reader Mode Error"},
    {"radio address", [](ReaderContext& c) { return SetRadioAddress(c, 49); }, "Set Address",
     "Set Address Error"},
    {"radio frequency", [](ReaderContext& c) { return SetRadioFrequency(c, 59); }, "Set Freq",
     "Set Freq Error"},
    {"radio channel", [](ReaderContext& c) { return SetRadioChannel(c, 0); }, "Set Channel",
     "Set Channel Error"},
    {"RSSI level", [](ReaderContext& c) { return SetRssiLevel(c, 0); }, "Set RSSI Level",
     "Set RSSI Level Error"},
    {"factory default", SetFactoryDefault, "Set Default", "Set Default Error"},
    {"reader reset", ResetReader, "Reader Reset", "TReader Reset Error"},
};

// Only the factory default puts the values to write back, before its start text.
QStringList Beginning(const QString& operation, const QString& startText) {
    QStringList steps{"wait on"};
    if (operation == "factory default") steps << "factory values";
    return steps << "message " + startText;
}

QList<QByteArray> Only(const QList<QByteArray>& commands, const QByteArray& prefix) {
    QList<QByteArray> found;
    for (const QByteArray& c : commands)
        if (c.startsWith(prefix)) found << c;
    return found;
}

// A correct reply frame whose body has `length` characters, the reader number "01" and the
// serial number "00001234" where the 12-character body of "A00B" has them.
QByteArray PresenceReply(int length) {
    return ReplyFrame(QByteArray("B01 00001234").leftJustified(length, '0', true));
}

}  // namespace

class SettingOperationsTest : public QObject {
    Q_OBJECT
  private slots:
    void commandReachesTheReader_data();
    void commandReachesTheReader();
    void settingConfirmedInLaterTry_data();
    void settingConfirmedInLaterTry();
    void presenceCheckFails_data();
    void presenceCheckFails();
    void failedPresenceCheckIsRetried();
    void readerNumberCarriesSerialOfItsOwnTry();
    void readerNumberNeedsWholeSerial();
    void noReaderKnown_data();
    void noReaderKnown();
    void portCannotBeOpened_data();
    void portCannotBeOpened();
    void messagesInEachLanguage_data();
    void messagesInEachLanguage();
    void lineSpeedChangeIsFollowed();
    void failedLineSpeedChangeKeepsLine();
    void lineSpeedWithoutSelection();
    void factoryDefaultKeepsLineSetting();
};

void SettingOperationsTest::commandReachesTheReader_data() {
    QTest::addColumn<Run>("run");
    QTest::addColumn<QByteArray>("command");  // as the reader receives it
    QTest::addColumn<QByteArray>("check");    // check characters on the line, where worth pinning
    QTest::addColumn<QString>("startText");   // shown before the port opens
    QTest::addColumn<QString>("successText");
    QTest::addColumn<QByteArray>("serial");  // the reader's own serial number
    const auto row = [](const QByteArray& name, Run run, const char* command, const char* check,
                        const QString& start, const char* success,
                        const char* serial = "00001234") {
        QTest::newRow(name.constData()) << run << QByteArray(command) << QByteArray(check) << start
                                        << QString(success) << QByteArray(serial);
    };
    for (int r = 0; r < Rs485FormatCount; ++r)
        for (int w = 0; w < WiegandFormatCount; ++w)
            row(
                QString("reader mode RS485 %1 bits, Wiegand %2 bits")
                    .arg(Rs485FormatBits[r])
                    .arg(WiegandFormatBits[w])
                    .toLatin1(),
                [r, w](ReaderContext& c) { return SetReaderMode(c, r, w); },
                "A00L" + QByteArray::number(r) + QByteArray::number(w), "", "Set Reader Mode",
                "Set Reader Mode Ok");
    const auto withValue = [](SettingResult (*set)(ReaderContext&, int), int value) {
        return [set, value](ReaderContext& c) { return set(c, value); };
    };
    row("same-card time 0 s", withValue(SetSameCard, 0), "A00N0000", "", "Set Same Card",
        "Set Same Card Ok");
    row("same-card time 9999 s", withValue(SetSameCard, 9999), "A00N9999", "", "Set Same Card",
        "Set Same Card Ok");
    row("same-card time 10 s", withValue(SetSameCard, 10), "A00N0010", "07", "Set Same Card",
        "Set Same Card Ok");
    const auto input = [](bool no) {
        return [no](ReaderContext& c) { return SetInputNoNc(c, no); };
    };
    row("input normally closed", input(false), "A00M0", "35", "Set DI NO/NC", "Set DI NO/NC Ok");
    row("input normally open", input(true), "A00M1", "34", "Set DI NO/NC", "Set DI NO/NC Ok");
    const auto id = [](const char* n) {
        return [n](ReaderContext& c) { return SetReaderId(c, n); };
    };
    row("reader number 07 with the serial number just reported", id("07"), "A00C0000123407", "08",
        "Set Reader ID = 07", "Set Reader ID Ok");
    row("reader number 99 of another reader", id("99"), "A00CABCD567899", "", "Set Reader ID = 99",
        "Set Reader ID Ok", "ABCD5678");
    row("reader number is the caption as it stands", id("5"), "A00C000012345", "",
        "Set Reader ID = 5", "Set Reader ID Ok");
    for (int i = 0; i < int(LineSettingTable.size()); ++i)
        row(
            QByteArray("line setting ") + LineSettingTable[i],
            [i](ReaderContext& c) { return SetLineSpeed(c, i); },
            "A00E" + QByteArray::number(i, 16).toUpper(),
            i == 11  ? "4F"
            : i == 0 ? "3D"
                     : "",
            QString("Set Reader BaudRate = ") + LineSettingTable[i], "Set Reader BaudRate Ok");
    row("radio address 255", withValue(SetRadioAddress, 255), "A00W0601FF", "", "Set Address",
        "Set Address Ok");
    row("radio address 0", withValue(SetRadioAddress, 0), "A00W060100", "", "Set Address",
        "Set Address Ok");
    row("radio address 49", withValue(SetRadioAddress, 49), "A00W060131", "1A", "Set Address",
        "Set Address Ok");
    row("radio frequency 59", withValue(SetRadioFrequency, 59), "A00W0F013B", "", "Set Freq",
        "Set Freq Ok");
    row("radio frequency 10 has a leading zero", withValue(SetRadioFrequency, 10), "A00W0F010A", "",
        "Set Freq", "Set Freq Ok");
    row("radio channel 0", withValue(SetRadioChannel, 0), "A00W0B0100", "", "Set Channel",
        "Set Channel Ok");
    row("radio channel 171", withValue(SetRadioChannel, 171), "A00W0B01AB", "", "Set Channel",
        "Set Channel Ok");
    row("RSSI level 250", withValue(SetRssiLevel, 250), "A00OFA", "00", "Set RSSI Level",
        "Set RSSI Level Ok");
    row("RSSI level 15", withValue(SetRssiLevel, 15), "A00O0F", "", "Set RSSI Level",
        "Set RSSI Level Ok");
    row("RSSI level 0", withValue(SetRssiLevel, 0), "A00O00", "", "Set RSSI Level",
        "Set RSSI Level Ok");
    row("factory default", SetFactoryDefault, "A00X5A", "64", "Set Default", "Set Default Ok");
    row("reader reset", ResetReader, "A00HR", "52", "Reader Reset", "Reader Reset Ok");
}

// The whole road of one confirmed setting, step by step: wait mode around it, the start text,
// one open, the presence check (none before the restart), the command, the close, and the
// outcome shown, then sounded.
void SettingOperationsTest::commandReachesTheReader() {
    QFETCH(Run, run);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, check);
    QFETCH(QString, startText);
    QFETCH(QString, successText);
    QFETCH(QByteArray, serial);
    ReaderOptions options;
    options.serialNumber = serial;
    ReaderRig rig(options);
    rig.FoundAt();

    const SettingResult result = run(rig.context);

    const bool presence = command != ReaderResetCommand;
    QStringList road = Beginning(QTest::currentDataTag(), startText) << "open " + ReaderDevice;
    if (presence)
        road << "frame A00B"
             << "reply";
    road << "frame " + command << "reply"
         << "close"
         << "verdict yellow"
         << "message " + successText << "tone 1000 300"
         << "wait off";
    QCOMPARE(rig.log.What(), road);
    QCOMPARE(result.outcome, Outcome::Success);
    QCOMPARE(result.message.Text(0), successText);
    const QList<QByteArray> received =
        presence ? QList<QByteArray>{"A00B", command} : QList<QByteArray>{command};
    QCOMPARE(rig.reader.commandsReceived(), received);
    QCOMPARE(rig.line.written(), (presence ? CommandFrame("A00B") : "") + CommandFrame(command));
    if (!check.isEmpty()) QVERIFY(rig.line.written().endsWith(check + "\r"));
    QVERIFY(rig.context.ReaderFound);
}

void SettingOperationsTest::settingConfirmedInLaterTry_data() {
    QTest::addColumn<Run>("run");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("confirmedInTry");  // 0: never
    QTest::addColumn<int>("timesSent");
    QTest::addColumn<int>("presenceChecks");
    QTest::addColumn<QString>("text");
    const Run sameCard = Operations[2].run, mode = Operations[4].run;
    QTest::newRow("same-card time confirmed in the third of three tries")
        << sameCard << QByteArray("A00N") << 3 << 3 << 3 << "Set Same Card Ok";
    QTest::newRow("same-card time never confirmed is sent three times")
        << sameCard << QByteArray("A00N") << 0 << 3 << 3 << "Set Same Card Error";
    QTest::newRow("reader mode confirmed in the second try")
        << mode << QByteArray("A00L") << 2 << 2 << 2 << "Set Reader Mode Ok";
    QTest::newRow("factory default never confirmed is sent twice")
        << Run(SetFactoryDefault) << QByteArray("A00X5A") << 0 << 2 << 2 << "Set Default Error";
    QTest::newRow("factory default confirmed in its second and last try")
        << Run(SetFactoryDefault) << QByteArray("A00X5A") << 2 << 2 << 2 << "Set Default Ok";
    QTest::newRow("reader reset without an answer is sent once")
        << Run(ResetReader) << QByteArray("A00HR") << 0 << 1 << 0 << "TReader Reset Error";
}

// The reader passes every presence check, but its confirmation is lost until then.
void SettingOperationsTest::settingConfirmedInLaterTry() {
    QFETCH(Run, run);
    QFETCH(QByteArray, command);
    QFETCH(int, confirmedInTry);
    QFETCH(int, timesSent);
    QFETCH(int, presenceChecks);
    QFETCH(QString, text);
    ReaderRig rig;
    rig.FoundAt();
    int sent = 0;
    rig.observed.replyFor = [&](const QByteArray& c) -> std::optional<QByteArray> {
        if (!c.startsWith(command)) return std::nullopt;
        return ++sent == confirmedInTry ? std::nullopt : Silence;
    };

    const SettingResult result = run(rig.context);

    const QList<QByteArray> received = rig.reader.commandsReceived();
    QCOMPARE(Only(received, command).size(), timesSent);
    QCOMPARE(Only(received, "A00B").size(), presenceChecks);
    QCOMPARE(received.size(), timesSent + presenceChecks);
    QCOMPARE(rig.observed.uses.size(), 1);
    QVERIFY(!rig.line.isOpen());
    QCOMPARE(result.outcome, confirmedInTry ? Outcome::Success : Outcome::Failure);
    QCOMPARE(rig.view.message, text);
    QCOMPARE(rig.view.verdict, std::optional<bool>(confirmedInTry > 0));
    QVERIFY(rig.tones.Last(confirmedInTry ? 1000 : 300, 300));
    // The values to write go back to the factory ones whether the reader confirms or not.
    QCOMPARE(rig.log.What().contains("factory values"), command == FactoryDefaultCommand);
}

void SettingOperationsTest::presenceCheckFails_data() {
    QTest::addColumn<std::optional<QByteArray>>("presenceReply");
    QTest::newRow("a correct frame of 15 bytes") << std::optional(PresenceReply(11));
    QTest::newRow("a correct frame of 17 bytes") << std::optional(PresenceReply(13));
    QByteArray wrongCheck = PresenceReply(12);
    wrongCheck[13] = wrongCheck[13] == '0' ? '1' : '0';
    QTest::newRow("16 bytes with a wrong check character") << std::optional(wrongCheck);
    QTest::newRow("no reply") << Silence;
}

void SettingOperationsTest::presenceCheckFails() {
    QFETCH(std::optional<QByteArray>, presenceReply);
    ReaderRig rig;
    rig.FoundAt();
    rig.observed.replyFor = [&](const QByteArray& c) -> std::optional<QByteArray> {
        return c == "A00B" ? presenceReply : std::nullopt;
    };

    const SettingResult result = SetSameCard(rig.context, 10);

    // Three presence checks and not one setting command.
    QCOMPARE(rig.observed.AllCommands(), QList<QByteArray>({"A00B", "A00B", "A00B"}));
    QVERIFY(!rig.line.isOpen());
    QCOMPARE(result.outcome, Outcome::Failure);
    QCOMPARE(rig.view.message, QString("Set Same Card Error"));
    QVERIFY(rig.tones.Last(300, 300));
}

void SettingOperationsTest::failedPresenceCheckIsRetried() {
    ReaderRig rig;
    rig.FoundAt();
    int checks = 0;
    rig.observed.replyFor = [&](const QByteArray& c) -> std::optional<QByteArray> {
        if (c == "A00B" && ++checks == 1) return PresenceReply(13);
        return std::nullopt;
    };

    QCOMPARE(SetRssiLevel(rig.context, 0).outcome, Outcome::Success);
    QCOMPARE(rig.observed.AllCommands(), QList<QByteArray>({"A00B", "A00B", "A00O00"}));
    QCOMPARE(rig.view.message, QString("Set RSSI Level Ok"));
}

void SettingOperationsTest::readerNumberCarriesSerialOfItsOwnTry() {
    ReaderRig rig;
    rig.FoundAt();
    int tries = 0;
    rig.observed.replyFor = [&](const QByteArray& c) -> std::optional<QByteArray> {
        if (c == "A00B" && ++tries == 1) return ReplyFrame("B01 11111111");
        if (c.startsWith("A00C") && tries == 1) return Silence;
        return std::nullopt;
    };

    QCOMPARE(SetReaderId(rig.context, "07").outcome, Outcome::Success);
    QCOMPARE(Only(rig.observed.AllCommands(), "A00C"),
             QList<QByteArray>({"A00C1111111107", "A00C0000123407"}));
    QCOMPARE(rig.reader.options().readerNumber, 7);
    QCOMPARE(rig.view.message, QString("Set Reader ID Ok"));
}

// A zero byte in the serial number cuts the reply text short: no command with a partial
// serial number goes out, and each of the three tries asks again.
void SettingOperationsTest::readerNumberNeedsWholeSerial() {
    ReaderRig rig;
    rig.FoundAt();
    rig.observed.replyFor = [](const QByteArray& c) -> std::optional<QByteArray> {
        if (c == "A00B")
            return ReplyFrame(
                QByteArray("B01 0000\0"
                           "234",
                           12));
        return std::nullopt;
    };

    QCOMPARE(SetReaderId(rig.context, "01").outcome, Outcome::Failure);
    QCOMPARE(rig.observed.AllCommands(), QList<QByteArray>({"A00B", "A00B", "A00B"}));
    QVERIFY(!rig.line.isOpen());
    QCOMPARE(rig.view.message, QString("Set Reader ID Error"));
}

void SettingOperationsTest::noReaderKnown_data() {
    QTest::addColumn<int>("operation");  // in Operations
    for (int i = 0; i < int(std::size(Operations)); ++i) QTest::newRow(Operations[i].name) << i;
}

// Refused in wait mode, the tone included; nothing is prepared and the port is not touched.
void SettingOperationsTest::noReaderKnown() {
    QFETCH(int, operation);
    ReaderRig rig;

    const SettingResult result = Operations[operation].run(rig.context);

    QCOMPARE(result.outcome, Outcome::NoReader);
    QCOMPARE(rig.log.What(), QStringList({"wait on", "verdict red", "message Start Scan Reader!",
                                          "tone 300 300", "wait off"}));
    QVERIFY(rig.line.written().isEmpty());
}

// Held by another program, or pulled out since the scan: shown alike, but a device that is no
// longer there is the port gone, as one that goes during the exchanges.
void SettingOperationsTest::portCannotBeOpened_data() {
    QTest::addColumn<int>("operation");  // in Operations
    QTest::addColumn<bool>("pulledOut");
    for (int i = 0; i < int(std::size(Operations)); ++i) {
        QTest::addRow("%s, held by another program", Operations[i].name) << i << false;
        QTest::addRow("%s, pulled out since the scan", Operations[i].name) << i << true;
    }
}

void SettingOperationsTest::portCannotBeOpened() {
    QFETCH(int, operation);
    QFETCH(bool, pulledOut);
    const NamedOperation& op = Operations[operation];
    ReaderRig rig;
    rig.FoundAt();
    if (pulledOut)
        rig.line.Unplug();
    else
        rig.line.SetBusyDevice(ReaderDevice);

    const SettingResult result = op.run(rig.context);

    QCOMPARE(result.outcome, pulledOut ? Outcome::PortGone : Outcome::Failure);
    QCOMPARE(rig.log.What(), Beginning(op.name, op.startText)
                                 << "open failed " + ReaderDevice << "verdict red"
                                 << "message " + QString(op.failureText) << "tone 300 300"
                                 << "wait off");
    QVERIFY(rig.line.written().isEmpty());
    QVERIFY(rig.context.ReaderFound);
}

void SettingOperationsTest::messagesInEachLanguage_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("English") << 0;
    QTest::newRow("Simplified Chinese") << 1;
    QTest::newRow("Traditional Chinese") << 2;
}

// A message carries all three languages: the front end shows the one it is in.
void SettingOperationsTest::messagesInEachLanguage() {
    QFETCH(int, language);
    const auto row = [language](int r) { return QString::fromUtf8(TextTable[r][language]); };
    const auto rssi = [language](int r) { return QString::fromUtf8(RssiTexts[r][language]); };
    ReaderRig rig;
    rig.FoundAt();

    SetRssiLevel(rig.context, 0);
    SetReaderId(rig.context, "01");

    QStringList shown;
    for (const Message& message : rig.view.messages) shown << message.Text(language);
    QCOMPARE(shown, QStringList({rssi(RssiStart), rssi(RssiOk), row(RowSetReaderId) + " = 01",
                                 row(RowSetReaderIdOk)}));
}

void SettingOperationsTest::lineSpeedChangeIsFollowed() {
    ReaderRig rig;
    rig.FoundAt();

    QCOMPARE(SetLineSpeed(rig.context, 7).outcome, Outcome::Success);
    QCOMPARE(rig.context.ScanBaudRateNo, 7);
    QCOMPARE(rig.context.ScanBaudRate, QString("38400,e,8,1"));
    QCOMPARE(rig.context.ScanCommNo, 3);
    // The change itself went out at the old line setting.
    QCOMPARE(rig.observed.uses.last().line, ParseLineSetting("19200,e,8,1"));

    // The next operation reaches the reader at its new line setting.
    QCOMPARE(SetSameCard(rig.context, 10).outcome, Outcome::Success);
    QCOMPARE(rig.observed.uses.size(), 2);
    QCOMPARE(rig.observed.uses.last().line, ParseLineSetting("38400,e,8,1"));
    QCOMPARE(rig.reader.commandsReceived().last(), QByteArray("A00N0010"));
    // Not kept: a restart before the next scan uses the line setting that scan kept.
    QCOMPARE(rig.store.scanSaves, 0);
}

void SettingOperationsTest::failedLineSpeedChangeKeepsLine() {
    ReaderRig rig;
    rig.FoundAt();
    rig.observed.replyFor = [](const QByteArray& c) -> std::optional<QByteArray> {
        return c.startsWith("A00E") ? Silence : std::nullopt;
    };

    QCOMPARE(SetLineSpeed(rig.context, 11).outcome, Outcome::Failure);
    QCOMPARE(rig.view.message, QString("Set Reader BaudRate Error"));
    // The reader took the change but its confirmation was lost: from then on it listens at
    // the new line setting and the tries at the old one go unheard.
    QCOMPARE(rig.observed.AllCommands(), QList<QByteArray>({"A00B", "A00EB", "A00B", "A00B"}));
    QCOMPARE(rig.context.Place(), ReaderPlace::At(3, FactoryLineIndex));
    // The list keeps the operator's choice: no line setting is shown.
    QCOMPARE(rig.view.selectedLine, -1);
}

// No line setting selected: there is none to send, so the operation fails at once without
// touching the port, and the other operations still work with the kept line setting.
void SettingOperationsTest::lineSpeedWithoutSelection() {
    ReaderRig rig;
    QCOMPARE(SetLineSpeed(rig.context, -1).outcome, Outcome::NoReader);
    rig.FoundAt();
    rig.log.entries.clear();

    QCOMPARE(SetLineSpeed(rig.context, -1).outcome, Outcome::Failure);
    QCOMPARE(rig.log.What(),
             QStringList({"wait on", "verdict red", "message Set Reader BaudRate Error",
                          "tone 300 300", "wait off"}));
    QCOMPARE(rig.context.Place(), ReaderPlace::At(3, FactoryLineIndex));

    QCOMPARE(SetSameCard(rig.context, 10).outcome, Outcome::Success);
}

void SettingOperationsTest::factoryDefaultKeepsLineSetting() {
    ReaderOptions options;
    options.lineIndex = 2;  // "9600,n,8,1"
    ReaderRig rig(options);
    rig.FoundAt(2);

    QCOMPARE(SetFactoryDefault(rig.context).outcome, Outcome::Success);
    QCOMPARE(rig.context.Place(), ReaderPlace::At(3, 2));

    // The reader is back at its own default now, but the tool goes on at the kept line.
    SetRssiLevel(rig.context, 0);
    QCOMPARE(rig.observed.uses.size(), 2);
    QCOMPARE(rig.observed.uses.last().line, ParseLineSetting("9600,n,8,1"));
}

QTEST_GUILESS_MAIN(SettingOperationsTest)
#include "tst_setting_operations.moc"
