// The scan on the recording view and the virtual clock: the ports and line settings it tries in
// order, what it keeps and when, and what it reports of the reader that answers.
#include <QtTest>

#include "FrameCodec.h"
#include "LineSetting.h"
#include "RecordingView.h"
#include "TextTable.h"

namespace {

std::optional<LineParameters> LineOf(int index) {
    return ParseLineSetting(QString::fromLatin1(LineSettingTable[index]));
}

// Every device of COM1 to COM16 present, none with a reader behind it.
void AddSilentPorts(SimulatedLine& line) {
    for (int com = 1; com <= 16; ++com) line.AddSilentDevice(PortNames::DefaultDevice(com));
}

// Where a scan starts from: the kept place, without a reader found.
void Kept(ReaderContext& context, int comNumber, const QString& lineSetting, int lineIndex) {
    context.ScanCommNo = comNumber;
    context.ScanBaudRate = lineSetting;
    context.ScanBaudRateNo = lineIndex;
}

}  // namespace

class TestDiscovery : public QObject {
    Q_OBJECT

  private slots:
    void firstStartLockedScanTriesEachPortOnceAtTheSavedSetting();
    void unlockedScanTriesTheTableInOrderUntilTheReaderAnswers();
    void aPortThatDoesNotOpenCostsNoTriesAndNoMessage();
    void parityMismatchIsFoundByTheUnlockedScan();
    void readerAtTheSavedPortSavesNothing();
    void savedPortIsOpenedWithTheSavedTextItself();
    void scanSavesThePlaceBeforeAskingTheVersion();
    void savedPortThatNoLongerAnswersFallsBackToTheScan();
    void successReportsTheReaderAndEndsIdle();
    void messagesInEachLanguage();
    void replyFields_data();
    void replyFields();
    void versionNeverAnsweredReportsTheErrorWithTheIdentityKept();
    void presenceReplyOfAnotherLengthCountsAsNoAnswer_data();
    void presenceReplyOfAnotherLengthCountsAsNoAnswer();
    void failedScanMovesTheListToTheFactorySettingOnly();
    void lockedScanWithAnIndexOutsideTheTableStaysInside();
};

// As the window opens the first time: nothing kept, chkLock checked.
void TestDiscovery::firstStartLockedScanTriesEachPortOnceAtTheSavedSetting() {
    ReaderRig rig({}, "/dev/no-reader");
    AddSilentPorts(rig.line);

    QVERIFY(!ScanReader(rig.context, true).found());

    QCOMPARE(rig.observed.uses.size(), 16);
    for (int com = 1; com <= 16; ++com) {
        const ObservedLine::PortUse& use = rig.observed.uses[com - 1];
        QCOMPARE(use.device, PortNames::DefaultDevice(com));
        QVERIFY(use.opened);
        QCOMPARE(use.line, LineOf(5));
        QCOMPARE(use.commands, QList<QByteArray>({"A00B", "A00B"}));
    }
    QCOMPARE(rig.view.message, QString("Reader Not Find"));
    QCOMPARE(rig.view.verdict, std::optional<bool>(false));
    QCOMPARE(rig.tones.tones, QList<ToneRecorder::Tone>({{300, 300}}));
    QVERIFY(!rig.line.isOpen());
    QCOMPARE(rig.store.scanSaves, 0);
}

void TestDiscovery::unlockedScanTriesTheTableInOrderUntilTheReaderAnswers() {
    ReaderOptions options;
    options.lineIndex = 7;  // "38400,e,8,1"
    ReaderRig rig(options);
    rig.line.AddSilentDevice(PortNames::DefaultDevice(1));
    rig.line.AddSilentDevice(PortNames::DefaultDevice(2));

    QVERIFY(ScanReader(rig.context, false).found());

    const auto uses = rig.observed.uses;
    // COM1 and COM2: all twelve settings in table order, two tries each; COM3 up to the
    // reader's own setting, where the first try is answered; then the version.
    QCOMPARE(uses.size(), 12 + 12 + 8 + 1);
    for (int i = 0; i < 32; ++i) {
        const int com = 1 + i / 12, index = i % 12;
        QCOMPARE(uses[i].device, PortNames::DefaultDevice(com));
        QCOMPARE(uses[i].line, LineOf(index));
        const QList<QByteArray> expected =
            i == 31 ? QList<QByteArray>{"A00B"} : QList<QByteArray>{"A00B", "A00B"};
        QCOMPARE(uses[i].commands, expected);
    }
    QCOMPARE(uses.last().device, PortNames::DefaultDevice(3));
    QCOMPARE(uses.last().line, LineOf(7));
    QCOMPARE(uses.last().commands, QList<QByteArray>{"A00V"});

    QCOMPARE(rig.context.Place(), ReaderPlace::At(3, 7));
    QCOMPARE(rig.view.selectedLine, 7);
    QCOMPARE(rig.store.kept.ScanCommNo, 3);
    QCOMPARE(rig.store.kept.ScanBaudRate, QString("38400,e,8,1"));
    QCOMPARE(rig.store.kept.ScanBaudRateNo, 7);
}

void TestDiscovery::aPortThatDoesNotOpenCostsNoTriesAndNoMessage() {
    ReaderRig rig({}, PortNames::DefaultDevice(4));
    rig.line.AddSilentDevice(PortNames::DefaultDevice(1));  // COM2 and COM3 do not exist

    QVERIFY(ScanReader(rig.context, false).found());

    for (int com : {2, 3}) {
        const auto uses = rig.observed.UsesOf(PortNames::DefaultDevice(com));
        QCOMPARE(uses.size(), 1);  // the first line setting only: the port is skipped
        QVERIFY(!uses[0].opened);
        QVERIFY(uses[0].commands.isEmpty());
    }
    // Each port that opened is named once for each line setting tried on it.
    const QStringList what = rig.log.What();
    QCOMPARE(what.count("message Scan COM : #1"), 12);
    QCOMPARE(what.count("message Scan COM : #2") + what.count("message Scan COM : #3"), 0);
    QCOMPARE(what.count("message Scan COM : #4"), 6);  // five unanswered, the sixth answered
    QCOMPARE(rig.view.message, QString("Get Reader Info Ok. (COM : #4)"));
}

void TestDiscovery::parityMismatchIsFoundByTheUnlockedScan() {
    ReaderRig rig;  // the reader listens at "19200,e,8,1" on COM3

    QVERIFY(ScanReader(rig.context, false).found());

    const auto uses = rig.observed.UsesOf(PortNames::DefaultDevice(3));
    QCOMPARE(uses.size(), 6 + 1);
    QCOMPARE(uses[4].line, LineOf(4));  // "19200,n,8,1": same speed, no parity
    QCOMPARE(uses[4].commands, QList<QByteArray>({"A00B", "A00B"}));
    QCOMPARE(uses[5].line, LineOf(5));
    QCOMPARE(uses[5].commands, QList<QByteArray>{"A00B"});
    QCOMPARE(rig.context.ScanBaudRateNo, 5);
    QCOMPARE(rig.store.kept.ScanBaudRateNo, 5);
}

void TestDiscovery::readerAtTheSavedPortSavesNothing() {
    ReaderRig rig;
    Kept(rig.context, 3, "19200,e,8,1", 5);

    QVERIFY(ScanReader(rig.context, true).found());

    QCOMPARE(rig.observed.uses.size(), 2);  // the saved port, then the version
    QCOMPARE(rig.observed.uses[0].commands, QList<QByteArray>{"A00B"});
    QCOMPARE(rig.store.scanSaves, 0);
    QCOMPARE(rig.view.message, QString("Get Reader Info Ok. (COM : #3)"));
}

void TestDiscovery::savedPortIsOpenedWithTheSavedTextItself() {
    ReaderOptions options;
    options.lineIndex = 7;
    ReaderRig rig(options);
    // A text and an index that disagree: the try at the saved port uses the text.
    Kept(rig.context, 3, "38400,e,8,1", 5);

    QVERIFY(ScanReader(rig.context, true).found());

    QCOMPARE(rig.observed.uses.size(), 2);
    QCOMPARE(rig.observed.uses[0].line, LineOf(7));
    QCOMPARE(rig.context.ScanBaudRate, QString("38400,e,8,1"));
    QCOMPARE(rig.context.ScanBaudRateNo, 5);
    QCOMPARE(rig.view.selectedLine, 5);
    QCOMPARE(rig.store.scanSaves, 0);
}

void TestDiscovery::scanSavesThePlaceBeforeAskingTheVersion() {
    ReaderRig rig;

    QVERIFY(ScanReader(rig.context, true).found());

    const QStringList what = rig.log.What();
    const qsizetype kept = what.indexOf("kept COM3 5 19200,e,8,1");
    QVERIFY(kept >= 0);
    QVERIFY(kept < what.indexOf("frame A00V"));
    QCOMPARE(rig.store.scanSaves, 1);
}

void TestDiscovery::savedPortThatNoLongerAnswersFallsBackToTheScan() {
    ReaderRig rig;
    rig.line.AddSilentDevice(PortNames::DefaultDevice(5));
    Kept(rig.context, 5, "19200,e,8,1", 5);

    QVERIFY(ScanReader(rig.context, true).found());

    const auto uses = rig.observed.uses;
    QCOMPARE(uses[0].device, PortNames::DefaultDevice(5));
    QCOMPARE(uses[0].commands, QList<QByteArray>({"A00B", "A00B", "A00B"}));
    QCOMPARE(rig.context.ScanCommNo, 3);
    QCOMPARE(rig.store.kept.ScanCommNo, 3);
    QCOMPARE(rig.view.message, QString("Get Reader Info Ok. (COM : #3)"));
}

// The reader as it answered, the outcome after busy mode, the tone after the port is closed.
void TestDiscovery::successReportsTheReaderAndEndsIdle() {
    ReaderOptions options;
    options.serialNumber = "A1B2C3D4";
    options.readerNumber = 42;
    options.version = "01.70-01";
    ReaderRig rig(options);

    const ScanResult result = ScanReader(rig.context, true);

    QVERIFY(result.found());
    QVERIFY(rig.context.ReaderFound);
    QCOMPARE(result.reader.serialNumber, QByteArray("A1B2C3D4"));
    QCOMPARE(result.reader.readerNumber, QByteArray("42"));
    QCOMPARE(result.reader.version, QByteArray("01.70-01"));
    const QStringList what = rig.log.What();
    QCOMPARE(what.mid(0, 3),
             QStringList({"hourglass on", "busy on", "scan started Scan Reader ...."}));
    // Each port is named as its presence checks go out.
    QCOMPARE(what.value(what.indexOf("frame A00B") - 1), QString("message Scan COM : #3"));
    const QStringList end = {"line 5",
                             "reader A1B2C3D4 42",
                             "open " + PortNames::DefaultDevice(3),
                             "frame A00V",
                             "reply",
                             "version 01.70-01",
                             "message Get Reader Info Ok. (COM : #3)",
                             "busy off",
                             "verdict yellow",
                             "close",
                             "tone 1000 300",
                             "hourglass off"};
    QCOMPARE(what.mid(what.size() - end.size()), end);
    QCOMPARE(rig.tones.tones, QList<ToneRecorder::Tone>({{1000, 300}}));
}

// A message carries all three languages: the front end shows the one it is in.
void TestDiscovery::messagesInEachLanguage() {
    ReaderRig rig;
    QVERIFY(ScanReader(rig.context, true).found());

    for (int language : {0, 1, 2}) {
        const auto text = [language](int row) {
            return QString::fromUtf8(TextTable[row][language]);
        };
        QStringList shown;
        for (const Message& message : rig.view.messages) shown << message.Text(language);
        QCOMPARE(shown, QStringList({text(RowScanReader) + " ....", text(RowScanCom) + " : #3",
                                     text(RowGetReaderInfoOk) + " : #3)"}));
    }
}

void TestDiscovery::replyFields_data() {
    QTest::addColumn<QByteArray>("presence");  // the body of the reply to "A00B", or the reader's
    QTest::addColumn<QByteArray>("version");   // the body of the reply to "A00V", or the reader's
    QTest::addColumn<QByteArray>("number");
    QTest::addColumn<QByteArray>("shown");  // the version

    QTest::newRow("reader number 07 as it came")
        << QByteArray("B07S00001234") << QByteArray() << QByteArray("07") << QByteArray("01.70-01");
    QTest::newRow("letters in the reader number as they came")
        << QByteArray("B1AS00001234") << QByteArray() << QByteArray("1A") << QByteArray("01.70-01");
    QTest::newRow("a full version body gives its characters 5 to 12")
        << QByteArray() << QByteArray("V01R02.10-07") << QByteArray("01") << QByteArray("02.10-07");
    QTest::newRow("a longer version body is cut after character 12")
        << QByteArray() << QByteArray("V01R02.10-07XYZ") << QByteArray("01")
        << QByteArray("02.10-07");
    // LF "V01R0" then the check characters and CR: position 6 is the last body character.
    QTest::newRow("a short version reply gives up to its end, check and CR included")
        << QByteArray() << QByteArray("V01R0") << QByteArray("01")
        << "0" + ByteToHex(0x0A ^ 'V' ^ '0' ^ '1' ^ 'R' ^ '0') + "\r";
}

void TestDiscovery::replyFields() {
    QFETCH(QByteArray, presence);
    QFETCH(QByteArray, version);
    QFETCH(QByteArray, number);
    QFETCH(QByteArray, shown);
    ReaderRig rig;
    rig.observed.replyFor = [&](const QByteArray& command) -> std::optional<QByteArray> {
        if (command == "A00B" && !presence.isEmpty()) return ReplyFrame(presence);
        if (command == "A00V" && !version.isEmpty()) return ReplyFrame(version);
        return std::nullopt;
    };

    const ScanResult result = ScanReader(rig.context, true);

    QVERIFY(result.found());
    QCOMPARE(result.reader.readerNumber, number);
    QCOMPARE(result.reader.version, shown);
    QCOMPARE(rig.view.reader.version, shown);
    QVERIFY(rig.log.What().contains("reader 00001234 " + QString::fromLatin1(number)));
    QVERIFY(!rig.view.busy && !rig.view.hourglass);
}

void TestDiscovery::versionNeverAnsweredReportsTheErrorWithTheIdentityKept() {
    ReaderOptions options;
    options.readerNumber = 12;
    options.serialNumber = "87654321";
    options.fault = ReaderFault::Silent;
    options.faultAfterFrames = 1;  // answers the presence check, then nothing more
    ReaderRig rig(options);

    const ScanResult result = ScanReader(rig.context, true);

    QVERIFY(result.answered && !result.found());
    QVERIFY(!rig.context.ReaderFound);
    QCOMPARE(rig.observed.AllCommands().count("A00V"), 3);
    QCOMPARE(rig.view.message, QString("Get Reader Info Error. (COM : #3)"));
    const QStringList what = rig.log.What();
    QVERIFY(what.contains("reader 87654321 12"));
    QVERIFY(what.filter(QRegularExpression("^version")).isEmpty());
    QCOMPARE(rig.view.verdict, std::optional<bool>(false));
    QCOMPARE(rig.tones.tones, QList<ToneRecorder::Tone>({{300, 300}}));
    QVERIFY(!rig.view.busy && !rig.view.hourglass);
    // The place was found by the scan and is kept although the version was not read.
    QCOMPARE(rig.store.kept.ScanCommNo, 3);
}

void TestDiscovery::presenceReplyOfAnotherLengthCountsAsNoAnswer_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("one body character too many") << ReplyFrame("B01S000012340");
    QTest::newRow("one body character too few") << ReplyFrame("B01S0000123");
    QTest::newRow("an empty body") << ReplyFrame("");
}

void TestDiscovery::presenceReplyOfAnotherLengthCountsAsNoAnswer() {
    QFETCH(QByteArray, reply);
    ReaderRig rig;
    rig.observed.replyFor = [&](const QByteArray& command) -> std::optional<QByteArray> {
        if (command == "A00B") return reply;
        return std::nullopt;
    };

    QVERIFY(!ScanReader(rig.context, true).answered);

    const auto uses = rig.observed.UsesOf(PortNames::DefaultDevice(3));
    QCOMPARE(uses.size(), 1);
    QCOMPARE(uses[0].commands, QList<QByteArray>({"A00B", "A00B"}));
    QCOMPARE(rig.view.message, QString("Reader Not Find"));
    QVERIFY(rig.log.What().filter(QRegularExpression("^reader ")).isEmpty());
    QCOMPARE(rig.store.scanSaves, 0);
}

void TestDiscovery::failedScanMovesTheListToTheFactorySettingOnly() {
    ReaderRig rig({}, "/dev/no-reader");
    Kept(rig.context, 0, "57600,e,8,1", 9);

    QVERIFY(!ScanReader(rig.context, false).found());

    QCOMPARE(rig.view.selectedLine, 5);
    QCOMPARE(rig.context.ScanBaudRateNo, 9);
    QCOMPARE(rig.context.ScanBaudRate, QString("57600,e,8,1"));
    QCOMPARE(rig.store.scanSaves, 0);
    QCOMPARE(rig.view.verdict, std::optional<bool>(false));
    QVERIFY(!rig.view.busy && !rig.view.hourglass);
}

void TestDiscovery::lockedScanWithAnIndexOutsideTheTableStaysInside() {
    ReaderRig rig;
    rig.context.ScanBaudRateNo = 40;

    QVERIFY(ScanReader(rig.context, true).found());

    const auto uses = rig.observed.UsesOf(PortNames::DefaultDevice(3));
    QCOMPARE(uses.size(), 2);
    QCOMPARE(uses[0].line, LineOf(5));
    QCOMPARE(rig.context.Place(), ReaderPlace::At(3, 5));
}

QTEST_GUILESS_MAIN(TestDiscovery)
#include "tst_discovery.moc"
