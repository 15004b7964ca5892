// The reader operations without the window, on the recording view and the virtual clock: the
// pauses between the frames on the line, and the order of what the operations show.
#include <QtTest>

#include "RecordingView.h"

namespace {

using Run = std::function<void(ReaderContext&)>;

constexpr quint64 Ms = 1000;  // the timeline counts microseconds

}  // namespace

class ReaderCoreTest : public QObject {
    Q_OBJECT

  private slots:
    void pausesBeforeTheFrames_data();
    void pausesBeforeTheFrames();
    void lockedScanUsesTheSavedLineSetting();
    void failedScanAfterASuccessfulOneLeavesNoReader();
    void savedLineSettingIsSelectedBeforeTheSavedPortTry();
    void passTurnsRunFromOneDeadline_data();
    void passTurnsRunFromOneDeadline();
    void settingOutcome_data();
    void settingOutcome();
    void scanRecordsEachPort_data();
    void scanRecordsEachPort();
    void readingRunReportsItsTags_data();
    void readingRunReportsItsTags();
};

void ReaderCoreTest::pausesBeforeTheFrames_data() {
    QTest::addColumn<Run>("run");
    QTest::addColumn<QString>("command");  // the frame that follows the presence check
    QTest::addColumn<quint64>("pauseMs");  // before that frame
    QTest::addColumn<bool>("presence");    // a presence check goes before it
    const auto row = [](const char* name, Run run, const char* command, quint64 pause = 100,
                        bool presence = true) {
        QTest::newRow(name) << run << QString(command) << pause << presence;
    };
    row(
        "reader number", [](ReaderContext& s) { SetReaderId(s, "07"); }, "A00C0000123407");
    row(
        "line speed", [](ReaderContext& s) { SetLineSpeed(s, 5); }, "A00E5");
    row(
        "same-card time", [](ReaderContext& s) { SetSameCard(s, 10); }, "A00N0010");
    row(
        "input polarity", [](ReaderContext& s) { SetInputNoNc(s, false); }, "A00M0");
    row(
        "reader mode", [](ReaderContext& s) { SetReaderMode(s, 3, 2); }, "A00L32");
    row(
        "radio address", [](ReaderContext& s) { SetRadioAddress(s, 49); }, "A00W060131");
    row(
        "radio frequency", [](ReaderContext& s) { SetRadioFrequency(s, 59); }, "A00W0F013B");
    row(
        "radio channel", [](ReaderContext& s) { SetRadioChannel(s, 0); }, "A00W0B0100");
    row(
        "RSSI level", [](ReaderContext& s) { SetRssiLevel(s, 250); }, "A00OFA");
    row("factory default", SetFactoryDefault, "A00X5A");
    row("reader reset", ResetReader, "A00HR", 50, false);
    row(
        "scan: the version", [](ReaderContext& s) { ScanReader(s, true); }, "A00V");
}

// Measured between the frames on the line: from the end of the reply before (or the open) to
// the frame's first byte. No pause may end early, and none may be left out.
void ReaderCoreTest::pausesBeforeTheFrames() {
    QFETCH(Run, run);
    QFETCH(QString, command);
    QFETCH(quint64, pauseMs);
    QFETCH(bool, presence);
    ReaderRig rig;
    rig.FoundAt();

    run(rig.context);

    const QList<quint64> checks = rig.PausesBefore("A00B");
    QCOMPARE(checks.isEmpty(), !presence);
    for (quint64 pause : checks)
        QVERIFY2(pause >= 100 * Ms && pause < 101 * Ms, qPrintable(QString::number(pause)));
    const QList<quint64> pauses = rig.PausesBefore(command);
    QCOMPARE(pauses.size(), 1);
    QVERIFY2(pauses[0] >= pauseMs * Ms && pauses[0] < (pauseMs + 1) * Ms,
             qPrintable(QString::number(pauses[0])));
}

void ReaderCoreTest::lockedScanUsesTheSavedLineSetting() {
    ReaderOptions options;
    options.lineIndex = 7;  // "38400,e,8,1"
    ReaderRig rig(options);
    rig.line.AddSilentDevice(PortNames::DefaultDevice(1));
    rig.line.AddSilentDevice(PortNames::DefaultDevice(2));
    rig.context.ScanBaudRateNo = 7;
    rig.context.ScanBaudRate = "38400,e,8,1";

    ScanReader(rig.context, true);

    QVERIFY(rig.context.ReaderFound);
    QCOMPARE(rig.context.ScanCommNo, 3);
    const LineParameters saved = *ParseLineSetting("38400,e,8,1");
    QCOMPARE(rig.line.opens().size(), 4);  // COM1 to COM3 once each, then the version
    for (const SimulatedLine::OpenRecord& open : rig.line.opens()) QCOMPARE(open.line, saved);
    QCOMPARE(rig.view.selectedLine, 7);
    QCOMPARE(rig.store.kept.ScanBaudRateNo, 7);
}

void ReaderCoreTest::failedScanAfterASuccessfulOneLeavesNoReader() {
    ReaderRig rig;
    ScanReader(rig.context, true);
    QVERIFY(rig.context.ReaderFound);

    rig.line.Unplug();
    ScanReader(rig.context, true);

    QVERIFY(!rig.context.ReaderFound);
    QCOMPARE(rig.view.message, QString("Reader Not Find"));
    QCOMPARE(rig.view.verdict, std::optional<bool>(false));
    QVERIFY(!rig.view.busy && !rig.view.hourglass);
}

void ReaderCoreTest::savedLineSettingIsSelectedBeforeTheSavedPortTry() {
    ReaderOptions options;
    options.lineIndex = 7;
    ReaderRig rig(options);
    rig.context.ScanCommNo = 3;
    rig.context.ScanBaudRateNo = 7;
    rig.context.ScanBaudRate = "38400,e,8,1";

    ScanReader(rig.context, true);

    const QStringList what = rig.log.What();
    const qsizetype open = what.indexOf("open " + PortNames::DefaultDevice(3));
    const qsizetype select = what.indexOf(QRegularExpression("line \\d+"));
    QVERIFY(open > 0);
    QVERIFY(select >= 0 && select < open);
    QCOMPARE(what[select], QString("line 7"));
    QCOMPARE(rig.store.scanSaves, 0);  // found where it was kept: nothing saved
}

void ReaderCoreTest::passTurnsRunFromOneDeadline_data() {
    QTest::addColumn<quint64>("overshootUs");
    QTest::newRow("exact sleeps") << quint64(0);
    QTest::newRow("every sleep 130 us late") << quint64(130);
}

// A pass keeps the window alive for 80 ms of turns, never less, and the turns' overshoots are
// not added up: 80 ms plus at most one overshoot from the reply before to the next "A00F".
void ReaderCoreTest::passTurnsRunFromOneDeadline() {
    QFETCH(quint64, overshootUs);
    ReaderRig rig;  // no tag in the field: every pass is the turns and one short exchange
    rig.FoundAt();
    rig.contextClock.SetOvershootUs(overshootUs);
    rig.clock.AfterMs(1000, [&rig] { CancelReadTags(rig.context); });

    ReadTags(rig.context);

    const QList<quint64> turns = rig.PausesBefore("A00F");
    QVERIFY(turns.size() >= 4);
    for (quint64 t : turns)
        QVERIFY2(t >= 80 * Ms && t <= 80 * Ms + overshootUs + 10, qPrintable(QString::number(t)));
}

void ReaderCoreTest::settingOutcome_data() {
    QTest::addColumn<bool>("found");
    QTest::addColumn<bool>("unplugged");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<int>("presenceChecks");
    QTest::newRow("no scan yet") << false << false << Outcome::NoReader << 0;
    QTest::newRow("the reader confirms") << true << false << Outcome::Success << 1;
    // The device gone since the scan: the port is gone, as when it goes during the exchanges.
    QTest::newRow("the reader is gone") << true << true << Outcome::PortGone << 0;
    // The adapter pulled while the port is open: no more tries on a device that is not there.
    QTest::newRow("the adapter is pulled") << true << false << Outcome::PortGone << 1;
}

// What a front end acts on (the command line's exit status) agrees with what is shown.
void ReaderCoreTest::settingOutcome() {
    QFETCH(bool, found);
    QFETCH(bool, unplugged);
    QFETCH(Outcome, outcome);
    QFETCH(int, presenceChecks);
    ReaderRig rig;
    if (found) rig.FoundAt();
    if (unplugged) rig.line.Unplug();
    if (outcome == Outcome::PortGone)
        rig.clock.AfterMs(50, [&rig] { rig.line.PullAdapter(); });  // before the first check

    const SettingResult result = SetSameCard(rig.context, 10);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(rig.log.Times("frame A00B").size(), presenceChecks);
    QCOMPARE(rig.view.verdict, std::optional<bool>(outcome == Outcome::Success));
    // The message returned is the one shown.
    QCOMPARE(result.message.Text(0), rig.view.message);
    if (outcome != Outcome::PortGone || unplugged)
        QCOMPARE(ResetReader(rig.context).outcome, outcome);
}

void ReaderCoreTest::scanRecordsEachPort_data() {
    QTest::addColumn<ReaderFault>("fault");
    QTest::addColumn<ReplyVerdict>("verdict");  // of both presence checks at COM3
    QTest::newRow("the reader answers") << ReaderFault::None << ReplyVerdict::Accepted;
    QTest::newRow("silent") << ReaderFault::Silent << ReplyVerdict::Nothing;
    QTest::newRow("wrong check") << ReaderFault::WrongCheck << ReplyVerdict::WrongCheck;
    QTest::newRow("wrong length") << ReaderFault::WrongLength << ReplyVerdict::WrongLength;
    // The echo is set aside: the reader's answer behind it is taken.
    QTest::newRow("the command echoed") << ReaderFault::Echo << ReplyVerdict::Accepted;
    QTest::newRow("bytes before the frame") << ReaderFault::Noise << ReplyVerdict::Noise;
}

// The port scan from COM1: COM1 held by another program, COM2 silent, the reader on COM3.
void ReaderCoreTest::scanRecordsEachPort() {
    QFETCH(ReaderFault, fault);
    QFETCH(ReplyVerdict, verdict);
    ReaderOptions options;
    options.fault = fault;
    ReaderRig rig(options);
    rig.line.SetBusyDevice(PortNames::DefaultDevice(1));
    rig.line.AddSilentDevice(PortNames::DefaultDevice(2));

    const ScanResult result = ScanReader(rig.context, true);

    const bool found = verdict == ReplyVerdict::Accepted;
    QCOMPARE(result.found(), found);
    QCOMPARE(int(result.ports.size()), found ? 3 : 16);
    QCOMPARE(result.ports[0].open.state, PortState::InUse);
    QCOMPARE(result.ports[1].lines.at(0).replies.nothing, 2);
    const PortTry& com3 = result.ports[2];
    QCOMPARE(com3.open.device, PortNames::DefaultDevice(3));
    QCOMPARE(com3.lines.size(), size_t(1));
    QCOMPARE(com3.lines[0].lineSetting, QString("19200,e,8,1"));
    QCOMPARE(com3.lines[0].replies.Of(verdict), found ? 1 : 2);
    QCOMPARE(com3.lines[0].replies.answered(),
             verdict == ReplyVerdict::Nothing ? 0 : (found ? 1 : 2));
    QCOMPARE(com3.lines[0].replies.echo, fault == ReaderFault::Echo ? 1 : 0);
    if (!found) {
        QCOMPARE(result.ports[3].open.state, PortState::NoDevice);
        return;
    }
    const ReaderIdentity& reader = result.reader;
    QCOMPARE(reader.place, ReaderPlace::At(3, FactoryLineIndex));
    QCOMPARE(reader.device, PortNames::DefaultDevice(3));
    QCOMPARE(reader.serialNumber, QByteArray("00001234"));
    QCOMPARE(reader.readerNumber, QByteArray("01"));
    QCOMPARE(reader.version, QByteArray("01.70-01"));
}

void ReaderCoreTest::readingRunReportsItsTags_data() {
    QTest::addColumn<bool>("unplugged");
    QTest::addColumn<bool>("pulled");  // the adapter, 300 ms into the run
    QTest::newRow("a tag in the field") << false << false;
    QTest::newRow("the port does not open") << true << false;
    QTest::newRow("the adapter pulled in the middle") << false << true;
}

void ReaderCoreTest::readingRunReportsItsTags() {
    QFETCH(bool, unplugged);
    QFETCH(bool, pulled);
    struct Tags final : ReadingRunObserver {
        QList<Tag> read;
        int gone = 0;
        void PassEnded(const ReadingPass& pass) override {
            if (pass.outcome == PassOutcome::TagRead) read << pass.tag;
            if (pass.outcome == PassOutcome::PortGone) ++gone;
        }
    } observer;
    ReaderOptions options;
    options.tags = {0xF000BC61};
    ReaderRig rig(options);
    rig.FoundAt();
    if (unplugged) rig.line.Unplug();
    if (pulled) rig.clock.AfterMs(300, [&rig] { rig.line.PullAdapter(); });
    rig.clock.AfterMs(1000, [&rig] { CancelReadTags(rig.context); });

    const ReadingRunResult run = ReadTags(rig.context, &observer);

    QCOMPARE(run.end, unplugged ? ReadingRunEnd::PortNotOpened : ReadingRunEnd::Cancelled);
    QCOMPARE(run.tags, int(observer.read.size()));
    QCOMPARE(run.tags, rig.tones.Count(1000, 30));
    QCOMPARE(run.tags > 0, !unplugged);
    // The run goes on until the cancel click, a pass of 80 ms turns after another: no frame
    // goes to a device that is gone, and nothing spins.
    QCOMPARE(observer.gone > 0, pulled);
    if (pulled) QVERIFY2(observer.gone <= 700 / 80 + 2, qPrintable(QString::number(observer.gone)));
    if (pulled) QVERIFY(rig.log.Times("frame A00F").last() < 400 * Ms);
    for (const Tag& tag : observer.read) {
        QCOMPARE(tag.hex, QByteArray("F000BC61"));
        QCOMPARE(tag.number, qint32(0xF000BC61));  // negative, as the panel shows it
    }
}

QTEST_GUILESS_MAIN(ReaderCoreTest)
#include "tst_reader_core.moc"
