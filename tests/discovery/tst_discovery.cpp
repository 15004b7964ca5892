// The scan behind btnScan, against an in-memory reader on a virtual clock.

#include <QGuiApplication>
#include <QtTest>

#include "FormHarness.h"
#include "FrameCodec.h"
#include "LineSetting.h"
#include "PortNames.h"

namespace {

LineParameters LineOf(int index) {
    return *ParseLineSetting(QString::fromLatin1(LineSettingTable[index]));
}

// The line setting a port was opened with; baud rate 0 when none was applied.
LineParameters LineUsed(const ObservedLine::PortUse& use) {
    return use.line.value_or(LineParameters{0, Parity::None, 0, StopBits::One});
}

// Every device of COM1 to COM16 present, none with a reader behind it, except `except`.
void AddSilentPorts(SimulatedLine& line, int except = 0) {
    for (int com = 1; com <= 16; ++com)
        if (com != except) line.AddSilentDevice(PortNames::DefaultDevice(com));
}

// A presence reply with the given reader-number characters and serial number.
QByteArray PresenceReply(const QByteArray& number, const QByteArray& serial = "00001234") {
    return ReplyFrame("B" + number + "S" + serial);
}

int CountOf(const QList<QByteArray>& commands, const QByteArray& text) {
    return int(commands.count(text));
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
    void successShowsTheReaderAndEndsIdle();
    void textsFollowTheCurrentLanguage();
    void startTextsShowWhileTheScanRuns();
    void readerNumber_data();
    void readerNumber();
    void versionReply_data();
    void versionReply();
    void versionNeverAnsweredReportsTheErrorWithTheIdentityKept();
    void presenceReplyOfAnotherLengthCountsAsNoAnswer_data();
    void presenceReplyOfAnotherLengthCountsAsNoAnswer();
    void failedScanMovesTheListToTheFactorySettingOnly();
    void failedScanExplainsItselfInTheMessagesTooltip();
    void lockedScanWithAnIndexOutsideTheTableStaysInside();
};

void TestDiscovery::firstStartLockedScanTriesEachPortOnceAtTheSavedSetting() {
    FormHarness h({}, "/dev/no-reader");
    AddSilentPorts(h.line);
    QVERIFY(Ui(h.form()).chkLock->isChecked());
    QCOMPARE(h.form().context().ScanCommNo, 0);

    QVERIFY(!h.FindReader());

    QCOMPARE(h.observed.uses.size(), 16);
    for (int com = 1; com <= 16; ++com) {
        const ObservedLine::PortUse& use = h.observed.uses[com - 1];
        QCOMPARE(use.device, PortNames::DefaultDevice(com));
        QVERIFY(use.opened);
        QVERIFY(use.line.has_value());
        QCOMPARE(LineUsed(use), LineOf(5));
        QCOMPARE(use.commands, QList<QByteArray>({"A00B", "A00B"}));
    }
    QCOMPARE(Ui(h.form()).pnMsg->caption(), QString("Reader Not Find"));
    QCOMPARE(Ui(h.form()).shComm->brushColor(), ColorRed);
    QCOMPARE(h.tones.tones, QList<ToneRecorder::Tone>({{300, 300}}));
    QVERIFY(!h.line.isOpen());
    QVERIFY(!h.SettingsFileExists());
}

void TestDiscovery::unlockedScanTriesTheTableInOrderUntilTheReaderAnswers() {
    ReaderOptions options;
    options.lineIndex = 7;  // "38400,e,8,1"
    FormHarness h(options, PortNames::DefaultDevice(3));
    h.line.AddSilentDevice(PortNames::DefaultDevice(1));
    h.line.AddSilentDevice(PortNames::DefaultDevice(2));
    Ui(h.form()).chkLock->setChecked(false);

    QVERIFY(h.FindReader());

    const auto uses = h.observed.uses;
    // COM1 and COM2: all twelve settings in table order, two tries each; COM3 up to the
    // reader's own setting, where the first try is answered; then the version.
    QCOMPARE(uses.size(), 12 + 12 + 8 + 1);
    for (int i = 0; i < 32; ++i) {
        const int com = 1 + i / 12, index = i % 12;
        QCOMPARE(uses[i].device, PortNames::DefaultDevice(com));
        QCOMPARE(LineUsed(uses[i]), LineOf(index));
        const QList<QByteArray> expected =
            i == 31 ? QList<QByteArray>{"A00B"} : QList<QByteArray>{"A00B", "A00B"};
        QCOMPARE(uses[i].commands, expected);
    }
    QCOMPARE(uses.last().device, PortNames::DefaultDevice(3));
    QCOMPARE(LineUsed(uses.last()), LineOf(7));
    QCOMPARE(uses.last().commands, QList<QByteArray>{"A00V"});

    QCOMPARE(h.form().context().ScanCommNo, 3);
    QCOMPARE(h.form().context().ScanBaudRate, QString("38400,e,8,1"));
    QCOMPARE(h.form().context().ScanBaudRateNo, 7);
    QCOMPARE(Ui(h.form()).cmbBaudRate->currentIndex(), 7);
    const KeptSettings stored = h.StoredSettings();
    QCOMPARE(stored.ScanCommNo, 3);
    QCOMPARE(stored.ScanBaudRate, QString("38400,e,8,1"));
    QCOMPARE(stored.ScanBaudRateNo, 7);
}

void TestDiscovery::aPortThatDoesNotOpenCostsNoTriesAndNoMessage() {
    FormHarness h({}, PortNames::DefaultDevice(4));
    h.line.AddSilentDevice(PortNames::DefaultDevice(1));  // COM2 and COM3 do not exist
    Ui(h.form()).chkLock->setChecked(false);
    QStringList messagesWhileAsking;
    h.observed.onCommand = [&](const QByteArray&) {
        messagesWhileAsking << Ui(h.form()).pnMsg->caption();
    };

    QVERIFY(h.FindReader());

    for (int com : {2, 3}) {
        const auto uses = h.observed.UsesOf(PortNames::DefaultDevice(com));
        QCOMPARE(uses.size(), 1);  // the first line setting only: the port is skipped
        QVERIFY(!uses[0].opened);
        QVERIFY(uses[0].commands.isEmpty());
        QVERIFY(!messagesWhileAsking.contains(QString("Scan COM : #%1").arg(com)));
    }
    QCOMPARE(messagesWhileAsking.count("Scan COM : #1"), 24);
    // Five settings unanswered, the sixth answered at once, then the version asked.
    QCOMPARE(messagesWhileAsking.count("Scan COM : #4"), 5 * 2 + 1 + 1);
    QCOMPARE(Ui(h.form()).pnMsg->caption(), QString("Get Reader Info Ok. (COM : #4)"));
}

void TestDiscovery::parityMismatchIsFoundByTheUnlockedScan() {
    FormHarness h;  // the reader listens at "19200,e,8,1" on COM3
    Ui(h.form()).chkLock->setChecked(false);

    QVERIFY(h.FindReader());

    const auto uses = h.observed.UsesOf(PortNames::DefaultDevice(3));
    QCOMPARE(uses.size(), 6 + 1);
    QCOMPARE(LineUsed(uses[4]), LineOf(4));  // "19200,n,8,1": same speed, no parity
    QCOMPARE(uses[4].commands, QList<QByteArray>({"A00B", "A00B"}));
    QCOMPARE(LineUsed(uses[5]), LineOf(5));
    QCOMPARE(uses[5].commands, QList<QByteArray>{"A00B"});
    QCOMPARE(h.form().context().ScanBaudRateNo, 5);
    QCOMPARE(h.StoredSettings().ScanBaudRateNo, 5);
}

void TestDiscovery::readerAtTheSavedPortSavesNothing() {
#ifdef _WIN32
    QSKIP("Looks at the settings file itself; the registry keeps no modification time.");
#endif
    FormHarness h;
    h.StoreSettings({3, "19200,e,8,1", 5, "English"});
    QFile file(SettingsStore(h.machineFolder.path()).filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    const QDateTime modified = QFileInfo(file).lastModified();

    QVERIFY(h.FindReader());

    QCOMPARE(h.observed.uses.size(), 2);  // the saved port, then the version
    QCOMPARE(h.observed.uses[0].commands, QList<QByteArray>{"A00B"});
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(QFileInfo(file).lastModified(), modified);
    QCOMPARE(Ui(h.form()).pnMsg->caption(), QString("Get Reader Info Ok. (COM : #3)"));
}

void TestDiscovery::savedPortIsOpenedWithTheSavedTextItself() {
    ReaderOptions options;
    options.lineIndex = 7;
    FormHarness h(options);
    // A text and an index that disagree: the try at the saved port uses the text.
    h.StoreSettings({3, "38400,e,8,1", 5, "English"});

    QVERIFY(h.FindReader());

    QCOMPARE(h.observed.uses.size(), 2);
    QCOMPARE(LineUsed(h.observed.uses[0]), LineOf(7));
    QCOMPARE(h.form().context().ScanBaudRate, QString("38400,e,8,1"));
    QCOMPARE(h.form().context().ScanBaudRateNo, 5);
    QCOMPARE(Ui(h.form()).cmbBaudRate->currentIndex(), 5);
    QCOMPARE(h.StoredSettings().ScanBaudRate, QString("38400,e,8,1"));
}

void TestDiscovery::scanSavesThePlaceBeforeAskingTheVersion() {
    FormHarness h;
    std::optional<KeptSettings> storedAtVersion;
    h.observed.onCommand = [&](const QByteArray& command) {
        if (command == "A00V" && !storedAtVersion) storedAtVersion = h.StoredSettings();
    };

    QVERIFY(h.FindReader());

    QVERIFY(storedAtVersion.has_value());
    QCOMPARE(storedAtVersion->ScanCommNo, 3);
    QCOMPARE(storedAtVersion->ScanBaudRate, QString("19200,e,8,1"));
    QCOMPARE(storedAtVersion->ScanBaudRateNo, 5);
}

void TestDiscovery::savedPortThatNoLongerAnswersFallsBackToTheScan() {
    FormHarness h;
    h.line.AddSilentDevice(PortNames::DefaultDevice(5));
    h.StoreSettings({5, "19200,e,8,1", 5, "English"});

    QVERIFY(h.FindReader());

    const auto uses = h.observed.uses;
    QCOMPARE(uses[0].device, PortNames::DefaultDevice(5));
    QCOMPARE(uses[0].commands, QList<QByteArray>({"A00B", "A00B", "A00B"}));
    QCOMPARE(h.form().context().ScanCommNo, 3);
    QCOMPARE(h.StoredSettings().ScanCommNo, 3);
    QCOMPARE(Ui(h.form()).pnMsg->caption(), QString("Get Reader Info Ok. (COM : #3)"));
}

void TestDiscovery::successShowsTheReaderAndEndsIdle() {
    ReaderOptions options;
    options.serialNumber = "A1B2C3D4";
    options.readerNumber = 42;
    options.version = "01.70-01";
    FormHarness h(options);

    QVERIFY(h.FindReader());

    TfrmModule& f = h.form();
    QCOMPARE(Ui(f).pnMsg->caption(), QString("Get Reader Info Ok. (COM : #3)"));
    QCOMPARE(Ui(f).pnSerial->caption(), QString("S/N : A1B2C3D4"));
    QCOMPARE(Ui(f).pnVersion->caption(), QString("VER : 01.70-01"));
    QCOMPARE(Ui(f).pnID->caption(), QString("42"));
    QCOMPARE(Ui(f).sbID->value(), 42);
    QCOMPARE(Ui(f).shComm->brushColor(), ColorYellow);
    QCOMPARE(h.tones.tones, QList<ToneRecorder::Tone>({{1000, 300}}));
    QVERIFY(f.isEnabled());
    QVERIFY(!Ui(f).tmrBusy->isActive());
    QVERIFY(!QGuiApplication::overrideCursor());
    QVERIFY(!h.line.isOpen());
}

void TestDiscovery::textsFollowTheCurrentLanguage() {
    FormHarness h;
    h.StoreSettings({0, "19200,e,8,1", 5, "ChineseBIG5"});
    QString scanMessage;
    h.observed.onCommand = [&](const QByteArray&) {
        if (scanMessage.isEmpty()) scanMessage = Ui(h.form()).pnMsg->caption();
    };

    QVERIFY(h.FindReader());

    const auto text = [](int row) { return QString::fromUtf8(TextTable[row][2]); };
    QCOMPARE(scanMessage, text(RowScanCom) + " : #3");
    QCOMPARE(Ui(h.form()).pnMsg->caption(), text(RowGetReaderInfoOk) + " : #3)");
    QCOMPARE(Ui(h.form()).pnSerial->caption(), text(RowSerial) + " : 00001234");
    QCOMPARE(Ui(h.form()).pnVersion->caption(), text(RowVersion) + " : 01.70-01");
}

void TestDiscovery::startTextsShowWhileTheScanRuns() {
    FormHarness h;
    QVERIFY(h.FindReader());  // the panels now hold the reader's values

    QStringList seen;
    bool busy = false;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    h.observed.onCommand = [&](const QByteArray& command) {
        if (command != "A00B" || !seen.isEmpty()) return;
        TfrmModule& f = h.form();
        seen << Ui(f).pnMsg->caption() << Ui(f).pnSerial->caption() << Ui(f).pnVersion->caption()
             << Ui(f).pnID->caption();
        busy = !f.isEnabled() && Ui(f).tmrBusy->isActive();
        if (QGuiApplication::overrideCursor()) cursor = QGuiApplication::overrideCursor()->shape();
    };
    QVERIFY(h.FindReader());

    QCOMPARE(seen, QStringList({"Scan COM : #3", "S/N : ________", "VER : __.__-__", "__"}));
    QVERIFY(busy);
    QCOMPARE(cursor, Qt::WaitCursor);
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestDiscovery::readerNumber_data() {
    QTest::addColumn<QByteArray>("characters");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<int>("position");  // the scroll bar stands at 33 before the scan

    QTest::newRow("07 gives the panel 07 and the scroll bar 7") << QByteArray("07") << "07" << 7;
    QTest::newRow("99 is the highest number") << QByteArray("99") << "99" << 99;
    QTest::newRow("01 is the lowest number") << QByteArray("01") << "01" << 1;
    QTest::newRow("letters stay in the panel, the scroll bar stays")
        << QByteArray("1A") << "1A" << 33;
    QTest::newRow("letters after a digit stay in the panel, the scroll bar stays")
        << QByteArray("7A") << "7A" << 33;
    // The scroll bar keeps its position within 1 to 99, and its change shows "01".
    QTest::newRow("00 puts the scroll bar at its lowest") << QByteArray("00") << "01" << 1;
    QTest::newRow("a blank and a digit are no number") << QByteArray(" 7") << " 7" << 33;
    QTest::newRow("a sign is no digit") << QByteArray("+7") << "+7" << 33;
}

void TestDiscovery::readerNumber() {
    QFETCH(QByteArray, characters);
    QFETCH(QString, panel);
    QFETCH(int, position);

    FormHarness h;
    Ui(h.form()).sbID->setValue(33);
    h.observed.replyFor = [&](const QByteArray& command) -> std::optional<QByteArray> {
        if (command == "A00B") return PresenceReply(characters);
        return std::nullopt;
    };

    QVERIFY(h.FindReader());

    QCOMPARE(Ui(h.form()).pnID->caption(), panel);
    QCOMPARE(Ui(h.form()).sbID->value(), position);
    QCOMPARE(Ui(h.form()).pnMsg->caption(), QString("Get Reader Info Ok. (COM : #3)"));
    QVERIFY(h.form().isEnabled());
    QVERIFY(!Ui(h.form()).tmrBusy->isActive());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestDiscovery::versionReply_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("shown");

    QTest::newRow("a full body gives its characters 5 to 12")
        << QByteArray("V01R01.70-01") << "VER : 01.70-01";
    QTest::newRow("a longer body is cut after character 12")
        << QByteArray("V01R01.70-01XYZ") << "VER : 01.70-01";
    // LF "V01R0" then the check characters and CR: position 6 is the last body character.
    QTest::newRow("a short reply shows up to its end, check and CR included")
        << QByteArray("V01R0")
        << "VER : 0" + QString::fromLatin1(ByteToHex(0x0A ^ 'V' ^ '0' ^ '1' ^ 'R' ^ '0')) + "\r";
}

void TestDiscovery::versionReply() {
    QFETCH(QByteArray, body);
    QFETCH(QString, shown);

    FormHarness h;
    h.observed.replyFor = [&](const QByteArray& command) -> std::optional<QByteArray> {
        if (command == "A00V") return ReplyFrame(body);
        return std::nullopt;
    };

    QVERIFY(h.FindReader());
    QCOMPARE(Ui(h.form()).pnVersion->caption(), shown);
}

void TestDiscovery::versionNeverAnsweredReportsTheErrorWithTheIdentityKept() {
    ReaderOptions options;
    options.readerNumber = 12;
    options.serialNumber = "87654321";
    options.fault = ReaderFault::Silent;
    options.faultAfterFrames = 1;  // answers the presence check, then nothing more
    FormHarness h(options);

    QVERIFY(!h.FindReader());

    TfrmModule& f = h.form();
    QCOMPARE(CountOf(h.observed.AllCommands(), "A00V"), 3);
    QCOMPARE(Ui(f).pnMsg->caption(), QString("Get Reader Info Error. (COM : #3)"));
    QCOMPARE(Ui(f).pnSerial->caption(), QString("S/N : 87654321"));
    QCOMPARE(Ui(f).pnID->caption(), QString("12"));
    QCOMPARE(Ui(f).sbID->value(), 12);
    QCOMPARE(Ui(f).pnVersion->caption(), QString("VER : __.__-__"));
    QCOMPARE(Ui(f).shComm->brushColor(), ColorRed);
    QCOMPARE(h.tones.tones, QList<ToneRecorder::Tone>({{300, 300}}));
    QVERIFY(f.isEnabled());
    QVERIFY(!Ui(f).tmrBusy->isActive());
    QVERIFY(!QGuiApplication::overrideCursor());
    // The place was found by the scan and is kept although the version was not read.
    QCOMPARE(h.StoredSettings().ScanCommNo, 3);
}

void TestDiscovery::presenceReplyOfAnotherLengthCountsAsNoAnswer_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("one body character too many") << ReplyFrame("B01S000012340");
    QTest::newRow("one body character too few") << ReplyFrame("B01S0000123");
    QTest::newRow("an empty body") << ReplyFrame("");
}

void TestDiscovery::presenceReplyOfAnotherLengthCountsAsNoAnswer() {
    QFETCH(QByteArray, reply);

    FormHarness h;
    h.observed.replyFor = [&](const QByteArray& command) -> std::optional<QByteArray> {
        if (command == "A00B") return reply;
        return std::nullopt;
    };

    QVERIFY(!h.FindReader());

    const auto uses = h.observed.UsesOf(PortNames::DefaultDevice(3));
    QCOMPARE(uses.size(), 1);
    QCOMPARE(uses[0].commands, QList<QByteArray>({"A00B", "A00B"}));
    QCOMPARE(Ui(h.form()).pnMsg->caption(), QString("Reader Not Find"));
    QCOMPARE(Ui(h.form()).pnSerial->caption(), QString("S/N : ________"));
    QVERIFY(!h.SettingsFileExists());
}

void TestDiscovery::failedScanMovesTheListToTheFactorySettingOnly() {
    FormHarness h({}, "/dev/no-reader");
    h.StoreSettings({0, "57600,e,8,1", 9, "English"});
    QCOMPARE(Ui(h.form()).cmbBaudRate->currentIndex(), 9);
    Ui(h.form()).chkLock->setChecked(false);

    QVERIFY(!h.FindReader());

    QCOMPARE(Ui(h.form()).cmbBaudRate->currentIndex(), 5);
    QCOMPARE(h.form().context().ScanBaudRateNo, 9);
    QCOMPARE(h.form().context().ScanBaudRate, QString("57600,e,8,1"));
    QCOMPARE(h.StoredSettings().ScanBaudRateNo, 9);
    QCOMPARE(Ui(h.form()).shComm->brushColor(), ColorRed);
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestDiscovery::lockedScanWithAnIndexOutsideTheTableStaysInside() {
    FormHarness h;
    h.form().context().ScanBaudRateNo = 40;

    QVERIFY(h.FindReader());

    const auto uses = h.observed.UsesOf(PortNames::DefaultDevice(3));
    QCOMPARE(uses.size(), 2);
    QCOMPARE(LineUsed(uses[0]), LineOf(5));
    QCOMPARE(h.form().context().ScanBaudRateNo, 5);
    QCOMPARE(h.form().context().ScanBaudRate, QString("19200,e,8,1"));
}

// Each port's line and the hint, in the window's language, as the message's tooltip; the
// message itself is the same, and the next message takes the tooltip away.
void TestDiscovery::failedScanExplainsItselfInTheMessagesTooltip() {
    FormHarness h({}, "/dev/no-reader");
    AddSilentPorts(h.line);
    h.line.SetBusyDevice(PortNames::DefaultDevice(5));
    Ui(h.form()).btnGB->click();

    QVERIFY(!h.FindReader());

    TPanel* message = Ui(h.form()).pnMsg;
    QCOMPARE(message->caption(), h.form().context().Text(RowReaderNotFind));
    const QStringList tip = message->toolTip().split('\n');
    QCOMPARE(tip.size(), 18);  // sixteen ports, a blank line, the hint
    const QString com1 = PortNames::DefaultDevice(1), com5 = PortNames::DefaultDevice(5);
    QCOMPARE(tip[0], "COM1 (" + com1 + "): 在 19200,e,8,1 下无应答");
    QCOMPARE(tip[4], "COM5 (" + com5 + "): 被其他程序占用");
    QVERIFY2(tip[17].startsWith("其他程序占用了 COM5（" + com5 + "）"), qPrintable(tip[17]));

    Ui(h.form()).btnID->click();
    QVERIFY(message->toolTip().isEmpty());
}

QTEST_MAIN(TestDiscovery)
#include "tst_discovery.moc"
