// The reading run on the recording view and the virtual clock: the tags it reports, the passes
// that show nothing, how the cancel ends it, and a port that is taken or goes away.
#include <QtTest>

#include "FrameCodec.h"
#include "ReaderCaptions.h"
#include "RecordingView.h"

namespace {

const QString ReaderDevice = PortNames::DefaultDevice(3);

// A tag reply frame around a body of the given text after "F01ID".
QByteArray TagReply(const QByteArray& tagText) {
    return ReplyFrame("F01ID" + tagText);
}

// A reader found on COM3 with these tags in its field, presented in turn.
ReaderOptions WithTags(QList<quint32> tags) {
    ReaderOptions options;
    options.tags = std::move(tags);
    return options;
}

// A run from a found reader, cancelled after `ms` of virtual time.
ReadingRunResult ReadFor(ReaderRig& rig, quint64 ms, ReadingRunObserver* observer = nullptr) {
    rig.clock.AfterMs(ms, [&rig] { CancelReadTags(rig.context); });
    return ReadTags(rig.context, observer);
}

// What each pass of a run got back, in order.
struct Passes final : ReadingRunObserver {
    void PassEnded(const ReadingPass& pass) override { outcomes << pass.outcome; }
    QList<PassOutcome> outcomes;
};

const QStringList RunEnd = {"busy off",        "verdict yellow", "tone 1000 300",
                            "reading stopped", "close",          "reading ended"};

}  // namespace

class TestTagReading : public QObject {
    Q_OBJECT

  private slots:
    void refusedBeforeAnyScan();
    void tagCaption_data();
    void tagCaption();
    void everyPassWithATagReportsItAndBeeps();
    void unusableRepliesShowNothingAndPollingGoesOn_data();
    void unusableRepliesShowNothingAndPollingGoesOn();
    void cancelEndsAfterThePassInProgress_data();
    void cancelEndsAfterThePassInProgress();
    void runWhileStoppingStartsNoSecondRun();
    void portTakenShowsTheErrorAndTheNextRunTriesAgain();
    void vanishedReaderKeepsTheRunQuietUntilCancelled();
    void whatAPassCounts_data();
    void whatAPassCounts();
    void adapterPulledOut_data();
    void adapterPulledOut();
};

// Refused as a setting is, but the link indicator keeps its colour.
void TestTagReading::refusedBeforeAnyScan() {
    ReaderRig rig;

    QCOMPARE(ReadTags(rig.context).end, ReadingRunEnd::NoReader);

    QCOMPARE(rig.log.What(), QStringList({"message Start Scan Reader!", "tone 300 300"}));
    QVERIFY(!rig.context.TagReading);
}

void TestTagReading::tagCaption_data() {
    QTest::addColumn<quint32>("tag");
    QTest::addColumn<QString>("caption");

    QTest::newRow("one") << 0x00000001u << "TAG ID : 0000000001  00000001(H)";
    QTest::newRow("a five-digit number") << 0x0000BC61u << "TAG ID : 0000048225  0000BC61(H)";
    QTest::newRow("the largest positive number")
        << 0x7FFFFFFFu << "TAG ID : 2147483647  7FFFFFFF(H)";
    QTest::newRow("the sign bit gives eleven characters")
        << 0x80000000u << "TAG ID : -2147483648  80000000(H)";
    QTest::newRow("all bits set is minus one") << 0xFFFFFFFFu << "TAG ID : -000000001  FFFFFFFF(H)";
}

void TestTagReading::tagCaption() {
    QFETCH(quint32, tag);
    QFETCH(QString, caption);
    ReaderRig rig(WithTags({tag}));
    rig.FoundAt();

    ReadFor(rig, 500);

    QVERIFY(!rig.view.tags.isEmpty());
    for (const Tag& read : rig.view.tags) QCOMPARE(TagCaption(read, 0), caption);
}

// The run's steps in order, a tag and its beep on every pass, and its end.
void TestTagReading::everyPassWithATagReportsItAndBeeps() {
    ReaderRig rig(WithTags({0x11, 0x22, 0x33}));
    rig.FoundAt();

    QCOMPARE(ReadFor(rig, 1000).end, ReadingRunEnd::Cancelled);

    const QStringList what = rig.log.What();
    QCOMPARE(what.mid(0, 4),
             QStringList({"reading started", "open " + ReaderDevice, "busy on", "listening"}));
    const int reads = int(what.count("frame A00F"));
    QVERIFY(reads >= 5);
    QCOMPARE(rig.view.tags.size(), reads);
    for (qsizetype i = 0; i < what.size(); ++i)
        if (what[i].startsWith("tag ")) QCOMPARE(what.value(i + 1), QString("tone 1000 30"));
    QCOMPARE(rig.tones.Count(1000, 30), reads);
    QCOMPARE(rig.view.tags[0].hex, QByteArray("00000011"));
    QCOMPARE(rig.view.tags[1].hex, QByteArray("00000022"));
    QCOMPARE(rig.view.tags[2].hex, QByteArray("00000033"));
    QCOMPARE(what.mid(what.size() - RunEnd.size()), RunEnd);
    QVERIFY(!rig.context.TagReading && !rig.context.ReadingRunActive);
    QVERIFY(!rig.line.isOpen());
}

void TestTagReading::unusableRepliesShowNothingAndPollingGoesOn_data() {
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("16 bytes") << ReplyFrame("F01ID0000001");
    QTest::newRow("18 bytes") << ReplyFrame("F01ID000000012");
    QByteArray wrongCheck = TagReply("00000001");
    wrongCheck[14] = wrongCheck[14] == '0' ? '1' : '0';
    QTest::newRow("a wrong check") << wrongCheck;
    QByteArray lowerCase = TagReply("00000028");  // check "4A"
    QVERIFY(lowerCase.mid(14, 2) != lowerCase.mid(14, 2).toLower());
    lowerCase.replace(14, 2, lowerCase.mid(14, 2).toLower());
    QTest::newRow("a lower-case check") << lowerCase;
    QTest::newRow("a 17-byte frame without its LF")
        << QByteArray("X" + TagReply("00000001").mid(1));
}

void TestTagReading::unusableRepliesShowNothingAndPollingGoesOn() {
    QFETCH(QByteArray, reply);
    ReaderRig rig(WithTags({0xBC61}));
    rig.FoundAt();
    int asked = 0;
    rig.observed.replyFor = [&](const QByteArray& command) -> std::optional<QByteArray> {
        if (command != "A00F" || ++asked > 3) return std::nullopt;  // then the reader's own
        return reply;
    };
    Passes passes;

    ReadFor(rig, 1500, &passes);

    QVERIFY(asked > 4);
    QCOMPARE(passes.outcomes.size(), asked);
    for (int i = 0; i < 3; ++i) QVERIFY(passes.outcomes[i] != PassOutcome::TagRead);
    QCOMPARE(passes.outcomes.count(PassOutcome::TagRead), asked - 3);
    QCOMPARE(rig.tones.Count(1000, 30), asked - 3);
    QVERIFY(rig.view.messages.isEmpty());  // nothing is said of a pass without a tag
}

void TestTagReading::cancelEndsAfterThePassInProgress_data() {
    QTest::addColumn<bool>("tagPresent");
    QTest::addColumn<int>("cancelAfterMs");  // from the start of the run
    QTest::addColumn<int>("exchangesAfterCancel");

    // A pass: 80 turns of 1 ms, 9 ms of writing, then the reply or a 121 ms window.
    QTest::newRow("cancel during the message turns: one more exchange") << true << 40 << 1;
    QTest::newRow("cancel while an exchange waits: it completes, no other")
        << false << 80 + 9 + 60 << 0;
}

void TestTagReading::cancelEndsAfterThePassInProgress() {
    QFETCH(bool, tagPresent);
    QFETCH(int, cancelAfterMs);
    QFETCH(int, exchangesAfterCancel);
    ReaderOptions options = WithTags({0x42});
    if (!tagPresent) options.fault = ReaderFault::Silent;
    ReaderRig rig(options);
    rig.FoundAt();
    QList<quint64> sentUs;
    bool readingAtLastExchange = true;
    rig.observed.onCommand = [&](const QByteArray&) {
        sentUs << rig.clock.NowUs();
        readingAtLastExchange = rig.context.TagReading;
    };
    quint64 cancelUs = 0;
    rig.clock.AfterMs(quint64(cancelAfterMs), [&] {
        cancelUs = rig.clock.NowUs();
        CancelReadTags(rig.context);
    });

    QCOMPARE(ReadTags(rig.context).end, ReadingRunEnd::Cancelled);

    QVERIFY(cancelUs > 0);
    QCOMPARE(int(std::count_if(sentUs.begin(), sentUs.end(),
                               [cancelUs](quint64 at) { return at > cancelUs; })),
             exchangesAfterCancel);
    // The last exchange ran after the cancel, as the run was stopping.
    if (exchangesAfterCancel > 0) QVERIFY(!readingAtLastExchange);
    const QStringList what = rig.log.What();
    QCOMPARE(what.mid(what.size() - RunEnd.size()), RunEnd);
    QVERIFY(!rig.context.TagReading);
    QVERIFY(!rig.line.isOpen());
}

// Started again while the cancelled run still finishes its pass with the port open: nothing
// starts; once the run has ended, the next one does.
void TestTagReading::runWhileStoppingStartsNoSecondRun() {
    ReaderRig rig(WithTags({7}));
    rig.FoundAt();
    bool stopping = false;
    std::optional<ReadingRunResult> second;
    rig.clock.AfterMs(300, [&] { CancelReadTags(rig.context); });
    rig.clock.AfterMs(305, [&] {
        stopping = !rig.context.TagReading && rig.line.isOpen();
        second = ReadTags(rig.context);
    });

    ReadTags(rig.context);

    QVERIFY(stopping);
    QVERIFY(second.has_value());
    QCOMPARE(second->end, ReadingRunEnd::NotStarted);
    QCOMPARE(rig.observed.uses.size(), 1);
    QVERIFY(rig.view.messages.isEmpty());
    QCOMPARE(rig.tones.Count(1000, 300), 1);  // the end of the one run
    QCOMPARE(rig.tones.Count(300, 300), 0);
    QVERIFY(!rig.line.isOpen());

    QCOMPARE(ReadFor(rig, 300).end, ReadingRunEnd::Cancelled);
    QCOMPARE(rig.observed.uses.size(), 2);
}

void TestTagReading::portTakenShowsTheErrorAndTheNextRunTriesAgain() {
    ReaderRig rig;
    rig.FoundAt();
    rig.line.SetBusyDevice(ReaderDevice);

    const ReadingRunResult run = ReadTags(rig.context);

    QCOMPARE(run.end, ReadingRunEnd::PortNotOpened);
    QCOMPARE(run.open.state, PortState::InUse);
    QCOMPARE(rig.log.What(),
             QStringList({"reading started", "open failed " + ReaderDevice, "verdict red",
                          "message Open COM : 3 Error", "tone 300 300", "reading ended"}));
    QVERIFY(!rig.context.TagReading && !rig.context.ReadingRunActive);

    QCOMPARE(ReadTags(rig.context).end, ReadingRunEnd::PortNotOpened);
    QCOMPARE(rig.observed.uses.size(), 2);
    QCOMPARE(rig.tones.Count(300, 300), 2);
}

void TestTagReading::vanishedReaderKeepsTheRunQuietUntilCancelled() {
    ReaderRig rig(WithTags({5}));
    rig.FoundAt();
    bool unplugged = false;
    int asked = 0, exchangesAfterUnplug = 0;
    rig.observed.onCommand = [&](const QByteArray&) {
        exchangesAfterUnplug += unplugged;
        if (++asked == 3) {  // the cable is pulled while the reader answers
            rig.line.Unplug();
            unplugged = true;
        }
    };

    QCOMPARE(ReadFor(rig, 3000).end, ReadingRunEnd::Cancelled);

    QVERIFY(unplugged);
    const QStringList what = rig.log.What();
    qsizetype third = -1;
    for (int n = 0; n < 3; ++n) third = what.indexOf("frame A00F", third + 1);
    QCOMPARE(what.mid(third).count("tone 1000 30"), 0);
    // Each pass still waits out its turns and its reply window: no busy loop, no hang.
    QVERIFY(exchangesAfterUnplug >= 5);
    QVERIFY(exchangesAfterUnplug <= 3000 / 80);
    QCOMPARE(what.mid(what.size() - RunEnd.size()), RunEnd);
    QVERIFY(!rig.line.isOpen());
}

// What one pass reports for each kind of reply: only a tag and the reader's own reply that
// none is in the field are answers of the reader.
void TestTagReading::whatAPassCounts_data() {
    QTest::addColumn<QByteArray>("reply");  // empty: nothing comes back
    QTest::addColumn<PassOutcome>("outcome");
    QByteArray wrongCheck = TagReply("00000001");
    wrongCheck[14] = wrongCheck[14] == '0' ? '1' : '0';

    QTest::newRow("a tag") << TagReply("0000BC61") << PassOutcome::TagRead;
    QTest::newRow("the reader's reply that no tag is there")
        << ReplyFrame("F01NO") << PassOutcome::NoTag;
    QTest::newRow("nothing") << QByteArray() << PassOutcome::NoAnswer;
    QTest::newRow("bytes that are no frame")
        << QByteArray("\xFF\x00\xF8", 3) << PassOutcome::NoAnswer;
    QTest::newRow("the command's echo alone") << CommandFrame("A00F") << PassOutcome::NoAnswer;
    QTest::newRow("wrong check characters") << wrongCheck << PassOutcome::NoAnswer;
}

void TestTagReading::whatAPassCounts() {
    QFETCH(QByteArray, reply);
    QFETCH(PassOutcome, outcome);
    ReaderRig rig(WithTags({0xBC61}));
    rig.FoundAt();
    rig.observed.replyFor = [&](const QByteArray&) -> std::optional<QByteArray> { return reply; };
    Passes passes;

    ReadFor(rig, 1000, &passes);

    QVERIFY(passes.outcomes.size() >= 3);
    for (PassOutcome each : passes.outcomes) QCOMPARE(each, outcome);
}

// The adapter pulled out in the middle of a run: nothing is written while it is away, it is
// looked for once a pass, and back at the same place it is opened again and the tags go on.
// Cancelled while it is away, the run ends after its pass with nothing left to close.
void TestTagReading::adapterPulledOut_data() {
    QTest::addColumn<int>("backAfterMs");  // after the pull; -1 for never
    QTest::addColumn<int>("cancelAfterMs");

    QTest::newRow("back at the same place: opened again, the tags go on") << 500 << 3000;
    QTest::newRow("not back: the cancel ends the run") << -1 << 1500;
}

void TestTagReading::adapterPulledOut() {
    QFETCH(int, backAfterMs);
    QFETCH(int, cancelAfterMs);
    ReaderRig rig(WithTags({5}));
    rig.FoundAt();
    quint64 pulledUs = 0, backUs = 0;
    int asked = 0;
    rig.observed.onCommand = [&](const QByteArray&) {
        if (++asked != 3) return;
        rig.line.PullAdapter();  // while the reader answers the third
        pulledUs = rig.clock.NowUs();
        if (backAfterMs >= 0)
            rig.clock.AfterMs(quint64(backAfterMs), [&] {
                rig.line.PlugAdapterBack();
                backUs = rig.clock.NowUs();
            });
    };
    Passes passes;

    QCOMPARE(ReadFor(rig, quint64(cancelAfterMs), &passes).end, ReadingRunEnd::Cancelled);

    QVERIFY(pulledUs > 0);
    for (const Timeline::Entry& e : rig.log.entries)
        if (e.atUs > pulledUs && (backUs == 0 || e.atUs < backUs))
            QVERIFY2(!e.what.startsWith("frame") && !e.what.startsWith("tag"), qPrintable(e.what));
    QVERIFY(passes.outcomes.count(PassOutcome::PortGone) >= 3);
    const QStringList what = rig.log.What();
    if (backAfterMs >= 0) {
        // Looked for once a pass: open again within a pass of its return, then read as before.
        const quint64 reopenedUs = rig.log.Times("open " + ReaderDevice).value(1);
        QVERIFY(reopenedUs >= backUs && reopenedUs <= backUs + 81000);
        const qsizetype reopened = what.indexOf("open " + ReaderDevice, 1);
        QVERIFY(what.mid(reopened).contains("tag 00000005"));
        QCOMPARE(what.mid(what.size() - RunEnd.size()), RunEnd);
    } else {
        QStringList end = RunEnd;
        end.removeAll("close");  // closed when it went away
        QCOMPARE(what.mid(what.size() - end.size()), end);
        // Each pass while it is away is its 80 turns, with no reply window to wait out.
        QVERIFY(rig.log.Times("busy off").value(0) <= quint64(cancelAfterMs + 81) * 1000);
    }
    QVERIFY(!rig.context.TagReading && !rig.context.ReadingRunActive);
    QVERIFY(!rig.line.isOpen());
}

QTEST_GUILESS_MAIN(TestTagReading)
#include "tst_tag_reading.moc"
