// The shared road of the setting operations: the tries with their presence checks, and what
// the window shows when the reader cannot be reached.
#include <QtTest>

#include "FrameCodec.h"
#include "SettingsFixture.h"
#include "TextTable.h"

Q_DECLARE_METATYPE(std::optional<QByteArray>)

namespace {

// A reply that never comes: the reader's own is dropped.
const std::optional<QByteArray> Silence = QByteArray();

QList<QByteArray> Only(const QList<QByteArray>& commands, const QByteArray& prefix) {
    QList<QByteArray> found;
    for (const QByteArray& c : commands)
        if (c.startsWith(prefix)) found << c;
    return found;
}

}  // namespace

class SettingRoadTest : public QObject {
    Q_OBJECT
  private slots:
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
    void outcomeInCurrentLanguage();
};

void SettingRoadTest::settingConfirmedInLaterTry_data() {
    QTest::addColumn<int>("operation");  // index into SettingOperations
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("confirmedInTry");  // 0: never
    QTest::addColumn<int>("timesSent");
    QTest::addColumn<QString>("text");
    QTest::newRow("same-card time confirmed in the third of three tries")
        << 2 << QByteArray("A00N") << 3 << 3 << "Set Same Card Ok";
    QTest::newRow("same-card time never confirmed is sent three times")
        << 2 << QByteArray("A00N") << 0 << 3 << "Set Same Card Error";
    QTest::newRow("reader mode confirmed in the second try")
        << 4 << QByteArray("A00L") << 2 << 2 << "Set Reader Mode Ok";
    QTest::newRow("factory default never confirmed is sent twice")
        << 9 << QByteArray("A00X5A") << 0 << 2 << "Set Default Error";
    QTest::newRow("factory default confirmed in its second and last try")
        << 9 << QByteArray("A00X5A") << 2 << 2 << "Set Default Ok";
}

void SettingRoadTest::settingConfirmedInLaterTry() {
    QFETCH(int, operation);
    QFETCH(QByteArray, command);
    QFETCH(int, confirmedInTry);
    QFETCH(int, timesSent);
    QFETCH(QString, text);
    FormHarness h;
    TfrmModule& form = ReaderAsFound(h);
    // The reader passes every presence check but its confirmation is lost until then.
    int sent = 0;
    h.observed.replyFor = [&](const QByteArray& c) -> std::optional<QByteArray> {
        if (!c.startsWith(command)) return std::nullopt;
        return ++sent == confirmedInTry ? std::nullopt : Silence;
    };

    SettingOperations[operation].run(form);

    const QList<QByteArray> received = h.reader.commandsReceived();
    QCOMPARE(Only(received, command).size(), timesSent);
    QCOMPARE(Only(received, "A00B").size(), timesSent);
    QCOMPARE(received.size(), 2 * timesSent);
    QCOMPARE(h.observed.uses.size(), 1);
    QVERIFY(!h.line.isOpen());
    if (confirmedInTry)
        VerifySuccess(h, text);
    else
        VerifyFailure(h, text);
}

void SettingRoadTest::presenceCheckFails_data() {
    QTest::addColumn<std::optional<QByteArray>>("presenceReply");
    QTest::newRow("a correct frame of 15 bytes") << std::optional(PresenceReply(11));
    QTest::newRow("a correct frame of 17 bytes") << std::optional(PresenceReply(13));
    QByteArray wrongCheck = PresenceReply(12);
    wrongCheck[13] = wrongCheck[13] == '0' ? '1' : '0';
    QTest::newRow("16 bytes with a wrong check character") << std::optional(wrongCheck);
    QTest::newRow("no reply") << Silence;
}

void SettingRoadTest::presenceCheckFails() {
    QFETCH(std::optional<QByteArray>, presenceReply);
    FormHarness h;
    TfrmModule& form = ReaderAsFound(h);
    h.observed.replyFor = [&](const QByteArray& c) -> std::optional<QByteArray> {
        return c == "A00B" ? presenceReply : std::nullopt;
    };

    form.btnSameCardClick();

    // Three presence checks and not one setting command.
    QCOMPARE(h.observed.AllCommands(), QList<QByteArray>({"A00B", "A00B", "A00B"}));
    QVERIFY(!h.line.isOpen());
    VerifyFailure(h, "Set Same Card Error");
}

void SettingRoadTest::failedPresenceCheckIsRetried() {
    FormHarness h;
    TfrmModule& form = ReaderAsFound(h);
    int checks = 0;
    h.observed.replyFor = [&](const QByteArray& c) -> std::optional<QByteArray> {
        if (c == "A00B" && ++checks == 1) return PresenceReply(13);
        return std::nullopt;
    };

    form.btnRSSIClick();

    QCOMPARE(h.observed.AllCommands(), QList<QByteArray>({"A00B", "A00B", "A00O00"}));
    VerifySuccess(h, "Set RSSI Level Ok");
}

void SettingRoadTest::readerNumberCarriesSerialOfItsOwnTry() {
    FormHarness h;
    TfrmModule& form = ReaderAsFound(h);
    Ui(form).sbID->setValue(7);
    int tries = 0;
    h.observed.replyFor = [&](const QByteArray& c) -> std::optional<QByteArray> {
        if (c == "A00B" && ++tries == 1) return ReplyFrame("B01 11111111");
        if (c.startsWith("A00C") && tries == 1) return Silence;
        return std::nullopt;
    };

    form.btnIDClick();

    QCOMPARE(Only(h.observed.AllCommands(), "A00C"),
             QList<QByteArray>({"A00C1111111107", "A00C0000123407"}));
    QCOMPARE(h.reader.options().readerNumber, 7);
    VerifySuccess(h, "Set Reader ID Ok");
}

void SettingRoadTest::readerNumberNeedsWholeSerial() {
    // A zero byte in the serial number cuts the reply text short: no command with a partial
    // serial number goes out, and each of the three tries asks again.
    FormHarness h;
    TfrmModule& form = ReaderAsFound(h);
    h.observed.replyFor = [](const QByteArray& c) -> std::optional<QByteArray> {
        if (c == "A00B")
            return ReplyFrame(
                QByteArray("B01 0000\0"
                           "234",
                           12));
        return std::nullopt;
    };

    form.btnIDClick();

    QCOMPARE(h.observed.AllCommands(), QList<QByteArray>({"A00B", "A00B", "A00B"}));
    QVERIFY(!h.line.isOpen());
    VerifyFailure(h, "Set Reader ID Error");
}

void SettingRoadTest::noReaderKnown_data() {
    QTest::addColumn<int>("operation");
    for (int i = 0; i < int(std::size(SettingOperations)); ++i)
        QTest::newRow(SettingOperations[i].name) << i;
}

void SettingRoadTest::noReaderKnown() {
    QFETCH(int, operation);
    FormHarness h;
    TfrmModule& form = h.form();
    Ui(form).shComm->setBrushColor(ColorYellow);
    bool waitModeAtTone = false;
    h.tones.onBeep = [&](int, int) { waitModeAtTone = InWaitMode(form); };

    SettingOperations[operation].run(form);

    QVERIFY(h.observed.uses.isEmpty());
    QVERIFY(h.line.written().isEmpty());
    QVERIFY(waitModeAtTone);
    QCOMPARE(h.tones.tones.size(), 1);
    VerifyFailure(h, "Start Scan Reader!");
}

void SettingRoadTest::portCannotBeOpened_data() {
    noReaderKnown_data();
}

void SettingRoadTest::portCannotBeOpened() {
    QFETCH(int, operation);
    FormHarness h;
    TfrmModule& form = ReaderAsFound(h);
    h.line.SetBusyDevice(ReaderDevice);
    bool waitModeAtTone = false;
    h.tones.onBeep = [&](int, int) { waitModeAtTone = InWaitMode(form); };

    SettingOperations[operation].run(form);

    QCOMPARE(h.observed.uses.size(), 1);
    QVERIFY(!h.observed.uses[0].opened);
    QVERIFY(h.line.written().isEmpty());
    QVERIFY(waitModeAtTone);
    QCOMPARE(h.tones.tones.size(), 1);
    VerifyFailure(h, SettingOperations[operation].failureText);
    QVERIFY(form.context().ReaderFound);
}

void SettingRoadTest::outcomeInCurrentLanguage() {
    FormHarness h;
    TfrmModule& form = ReaderAsFound(h, 5, "ChineseBIG5");
    QString shownAtStart;
    h.observed.onCommand = [&](const QByteArray&) { shownAtStart = Ui(form).pnMsg->caption(); };

    form.btnRSSIClick();
    QCOMPARE(shownAtStart, QString::fromUtf8(RssiTexts[RssiStart][2]));
    VerifySuccess(h, QString::fromUtf8(RssiTexts[RssiOk][2]));

    form.btnIDClick();
    QCOMPARE(shownAtStart, QString::fromUtf8(TextTable[RowSetReaderId][2]) + " = 01");
    VerifySuccess(h, QString::fromUtf8(TextTable[RowSetReaderIdOk][2]));
}

QTEST_MAIN(SettingRoadTest)
#include "tst_setting_road.moc"
