// The reading run behind btnReadCard, against an in-memory reader on a virtual clock.

#include <QMessageBox>
#include <QtTest>
#include <stdexcept>

#include "FormHarness.h"
#include "FrameCodec.h"
#include "PortNames.h"

namespace {

QList<QWidget*> LockedControls(TfrmModule& f) {
    return {Ui(f).btnExit,     Ui(f).btnScan,   Ui(f).btnFactory,  Ui(f).btnID,
            Ui(f).btnBaudRate, Ui(f).gbDefault, Ui(f).btnEng,      Ui(f).btnGB,
            Ui(f).btnBIG5,     Ui(f).btnNoNc,   Ui(f).btnSameCard, Ui(f).btnMode};
}

// A tag reply frame around a body of the given text after "F01ID".
QByteArray TagReply(const QByteArray& tagText) {
    return ReplyFrame("F01ID" + tagText);
}

// Notes the order in which watched widgets change between enabled and disabled.
class EnabledChanges : public QObject {
  public:
    explicit EnabledChanges(const QList<QWidget*>& widgets) {
        for (QWidget* w : widgets) w->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange) {
            auto* w = static_cast<QWidget*>(watched);
            (w->isEnabled() ? enabled : disabled) << w->objectName();
        }
        return false;
    }
    QStringList disabled, enabled;
};

struct SentCommand {
    QByteArray text;
    quint64 atUs = 0;
};

}  // namespace

class TestTagReading : public QObject {
    Q_OBJECT

  private slots:
    void refusedBeforeAnyScan();
    void tagCaption_data();
    void tagCaption();
    void everyPassWithATagBeepsAndLightsTheIndicator();
    void unusableRepliesShowNothingAndPollingGoesOn_data();
    void unusableRepliesShowNothingAndPollingGoesOn();
    void cancelEndsAfterThePassInProgress_data();
    void cancelEndsAfterThePassInProgress();
    void clickWhileStoppingStartsNoSecondRun();
    void controlsDuringARun();
    void controlsAreLockedAndFreedInTheirOrder();
    void portTakenShowsTheErrorAndTheNextClickTriesAgain();
    void vanishedReaderKeepsTheRunQuietUntilCancelled();
    void anErrorInARunEndsItCleanly();
};

void TestTagReading::refusedBeforeAnyScan() {
    FormHarness h;
    TfrmModule& f = h.form();
    Ui(f).shComm->setBrushColor(ColorYellow);
    Ui(f).pnMsg->setCaption("something before");

    Ui(f).btnReadCard->click();

    QCOMPARE(Ui(f).pnMsg->caption(), QString("Start Scan Reader!"));
    QCOMPARE(h.tones.tones, QList<ToneRecorder::Tone>({{300, 300}}));
    QCOMPARE(Ui(f).shComm->brushColor(), ColorYellow);
    QCOMPARE(Ui(f).btnReadCard->text(), QString("Read TAG"));
    QVERIFY(!f.context().TagReading);
    QVERIFY(h.observed.uses.isEmpty());
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

    ReaderOptions options;
    options.tags = {tag};
    FormHarness h(options);
    QVERIFY(h.FindReader());
    QStringList shown;
    h.tones.onBeep = [&](int frequency, int duration) {
        if (frequency == 1000 && duration == 30) shown << Ui(h.form()).pnCardID->caption();
    };

    h.ReadTagsFor(500);

    QVERIFY(!shown.isEmpty());
    for (const QString& s : shown) QCOMPARE(s, caption);
    QCOMPARE(Ui(h.form()).pnCardID->caption(), QString("TAG ID"));
}

void TestTagReading::everyPassWithATagBeepsAndLightsTheIndicator() {
    ReaderOptions options;
    options.tags = {0x11, 0x22, 0x33};
    FormHarness h(options);
    QVERIFY(h.FindReader());
    h.tones.tones.clear();
    QStringList shown;
    bool lit = true;
    h.tones.onBeep = [&](int frequency, int duration) {
        if (frequency != 1000 || duration != 30) return;
        shown << Ui(h.form()).pnCardID->caption();
        lit = lit && Ui(h.form()).shCard->brushColor() == ColorYellow &&
              Ui(h.form()).tmrCard->isActive();
    };

    h.ReadTagsFor(1000);

    const int reads = int(h.observed.AllCommands().count("A00F"));
    QVERIFY(reads >= 5);
    QCOMPARE(shown.size(), reads);
    QVERIFY(lit);
    QCOMPARE(shown.mid(0, 3),
             QStringList({"TAG ID : 0000000017  00000011(H)", "TAG ID : 0000000034  00000022(H)",
                          "TAG ID : 0000000051  00000033(H)"}));
    // The run ends with the long tone; the indicators show it is over.
    QVERIFY(h.tones.Last(1000, 300));
    QCOMPARE(Ui(h.form()).shComm->brushColor(), ColorYellow);
    QCOMPARE(Ui(h.form()).shCard->brushColor(), ColorWhite);
    QCOMPARE(Ui(h.form()).btnReadCard->text(), QString("Read TAG"));
    QVERIFY(!h.line.isOpen());
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

    ReaderOptions options;
    options.tags = {0xBC61};
    FormHarness h(options);
    QVERIFY(h.FindReader());
    int asked = 0;
    QStringList shownWhileBad;
    h.observed.replyFor = [&](const QByteArray& command) -> std::optional<QByteArray> {
        if (command != "A00F") return std::nullopt;
        ++asked;
        if (asked > 3) return std::nullopt;  // then the reader's own, good replies
        shownWhileBad << Ui(h.form()).pnCardID->caption();
        return reply;
    };
    int tagTones = 0, tonesBeforeGood = 0;
    h.tones.onBeep = [&](int frequency, int duration) {
        if (frequency != 1000 || duration != 30) return;
        ++tagTones;
        if (asked <= 3) ++tonesBeforeGood;
    };

    h.ReadTagsFor(1500);

    QVERIFY(asked > 4);
    QCOMPARE(tonesBeforeGood, 0);
    QCOMPARE(tagTones, asked - 3);
    QCOMPARE(shownWhileBad, QStringList({"TAG ID", "TAG ID", "TAG ID"}));
    QVERIFY(Ui(h.form()).pnMsg->caption().startsWith("Get Reader Info Ok."));
}

void TestTagReading::cancelEndsAfterThePassInProgress_data() {
    QTest::addColumn<bool>("tagPresent");
    QTest::addColumn<int>("clickAfterMs");  // from the start of the run
    QTest::addColumn<int>("exchangesAfterClick");

    // A pass: 80 turns of 1 ms, 9 ms of writing, then the reply or a 121 ms window.
    QTest::newRow("click during the message turns: one more exchange") << true << 40 << 1;
    QTest::newRow("click while an exchange waits: it completes, no other")
        << false << 80 + 9 + 60 << 0;
}

void TestTagReading::cancelEndsAfterThePassInProgress() {
    QFETCH(bool, tagPresent);
    QFETCH(int, clickAfterMs);
    QFETCH(int, exchangesAfterClick);

    ReaderOptions options;
    options.tags = {0x42};
    if (!tagPresent) {
        options.fault = ReaderFault::Silent;
        options.faultAfterFrames = 2;  // the scan's two exchanges are answered
    }
    FormHarness h(options);
    QVERIFY(h.FindReader());
    QList<SentCommand> sent;
    struct {
        QString caption;
        bool reading = true;
    } atLastExchange;
    h.observed.onCommand = [&](const QByteArray& command) {
        sent.append({command, h.clock.NowUs()});
        atLastExchange = {Ui(h.form()).btnReadCard->text(), h.form().context().TagReading};
    };
    quint64 clickUs = 0;
    QString captionAfterClick;
    const quint64 startUs = h.clock.NowUs();
    h.clock.At(startUs + quint64(clickAfterMs) * 1000, [&] {
        clickUs = h.clock.NowUs();
        Ui(h.form()).btnReadCard->click();
        captionAfterClick = Ui(h.form()).btnReadCard->text();
    });

    Ui(h.form()).btnReadCard->click();

    QVERIFY(clickUs > 0);
    int after = 0;
    for (const SentCommand& c : sent) after += c.atUs > clickUs ? 1 : 0;
    QCOMPARE(after, exchangesAfterClick);
    QCOMPARE(captionAfterClick, QString("Cancel Read TAG"));
    if (exchangesAfterClick > 0) {  // the last exchange ran in the Stopping state
        QCOMPARE(atLastExchange.caption, QString("Cancel Read TAG"));
        QVERIFY(!atLastExchange.reading);
    }
    TfrmModule& f = h.form();
    QCOMPARE(Ui(f).btnReadCard->text(), QString("Read TAG"));
    QCOMPARE(Ui(f).pnCardID->caption(), QString("TAG ID"));
    QCOMPARE(Ui(f).shComm->brushColor(), ColorYellow);
    QVERIFY(!f.context().TagReading);
    QVERIFY(!Ui(f).tmrBusy->isActive());
    QVERIFY(!h.line.isOpen());
}

void TestTagReading::clickWhileStoppingStartsNoSecondRun() {
    ReaderOptions options;
    options.tags = {7};
    FormHarness h(options);
    QVERIFY(h.FindReader());
    const QString message = Ui(h.form()).pnMsg->caption();
    const qsizetype usesBefore = h.observed.uses.size();
    h.clock.AfterMs(300, [&] { Ui(h.form()).btnReadCard->click(); });  // cancel
    h.clock.AfterMs(305, [&] { Ui(h.form()).btnReadCard->click(); });  // while stopping
    bool stoppingAtSecond = false;
    h.clock.AfterMs(306, [&] {
        stoppingAtSecond = !h.form().context().TagReading && h.line.isOpen() &&
                           Ui(h.form()).btnReadCard->text() == QString("Cancel Read TAG");
    });

    Ui(h.form()).btnReadCard->click();

    QVERIFY(stoppingAtSecond);
    QCOMPARE(h.observed.uses.size(), usesBefore + 1);  // one open, the run's own
    QVERIFY(!h.form().context().TagReading);
    QCOMPARE(Ui(h.form()).pnMsg->caption(), message);
    QCOMPARE(h.tones.Count(1000, 300), 2);  // the scan's and the end of the one run
    QCOMPARE(h.tones.Count(300, 300), 0);
    QVERIFY(!h.line.isOpen());

    // Idle again: the next click starts a new run.
    h.ReadTagsFor(300);
    QCOMPARE(h.observed.uses.size(), usesBefore + 2);
}

void TestTagReading::controlsDuringARun() {
    ReaderOptions options;
    options.tags = {1};
    FormHarness h(options);
    QVERIFY(h.FindReader());
    TfrmModule& f = h.form();
    bool lockedDisabled = false, othersUsable = false, busy = false;
    QString captionDuring, languageAfterClick;
    h.clock.AfterMs(250, [&] {
        lockedDisabled = true;
        for (QWidget* w : LockedControls(f)) lockedDisabled = lockedDisabled && !w->isEnabled();
        othersUsable = f.isEnabled() && Ui(f).btnReadCard->isEnabled() && Ui(f).sbID->isEnabled() &&
                       Ui(f).cmbBaudRate->isEnabled() && Ui(f).chkLock->isEnabled() &&
                       Ui(f).sbSameCard->isEnabled() && Ui(f).rbNC->isEnabled() &&
                       Ui(f).cmbWiegand->isEnabled() && !Ui(f).sbRSSI->isEnabled();
        busy = Ui(f).tmrBusy->isActive();
        captionDuring = Ui(f).btnReadCard->text();
        Ui(f).btnGB->click();  // refused: the language stays
        languageAfterClick = f.Text(RowReadTag);
    });

    h.ReadTagsFor(500);

    QVERIFY(lockedDisabled);
    QVERIFY(othersUsable);
    QVERIFY(busy);
    QCOMPARE(captionDuring, QString("Cancel Read TAG"));
    QCOMPARE(languageAfterClick, QString("Read TAG"));
    for (QWidget* w : LockedControls(f)) QVERIFY(w->isEnabled());
    QVERIFY(Ui(f).btnReset->isEnabled());
    QVERIFY(!Ui(f).tmrBusy->isActive());
}

void TestTagReading::controlsAreLockedAndFreedInTheirOrder() {
    FormHarness h;
    QVERIFY(h.FindReader());
    // btnFactory sits inside gbDefault: its own change shows only while the group is enabled,
    // so the order is watched on the other eleven.
    QList<QWidget*> watched = LockedControls(h.form());
    watched.removeOne(Ui(h.form()).btnFactory);
    QStringList names;
    for (QWidget* control : watched) names << control->objectName();
    EnabledChanges changes(watched);

    h.ReadTagsFor(300);

    QCOMPARE(changes.disabled, names);
    QCOMPARE(changes.enabled, names);
    QVERIFY(Ui(h.form()).btnFactory->isEnabled());
}

void TestTagReading::portTakenShowsTheErrorAndTheNextClickTriesAgain() {
    FormHarness h;
    QVERIFY(h.FindReader());
    TfrmModule& f = h.form();
    h.line.SetBusyDevice(PortNames::DefaultDevice(3));
    h.tones.tones.clear();
    const qsizetype usesBefore = h.observed.uses.size();

    Ui(f).btnReadCard->click();

    QCOMPARE(Ui(f).pnMsg->caption(), QString("Open COM : 3 Error"));
    QCOMPARE(Ui(f).shComm->brushColor(), ColorRed);
    QCOMPARE(h.tones.tones, QList<ToneRecorder::Tone>({{300, 300}}));
    QCOMPARE(Ui(f).btnReadCard->text(), QString("Read TAG"));
    QCOMPARE(Ui(f).pnCardID->caption(), QString("TAG ID"));
    QVERIFY(!f.context().TagReading);
    QVERIFY(!Ui(f).tmrBusy->isActive());
    for (QWidget* w : LockedControls(f)) QVERIFY(w->isEnabled());
    QCOMPARE(h.observed.uses.size(), usesBefore + 1);

    Ui(f).btnReadCard->click();
    QCOMPARE(h.observed.uses.size(), usesBefore + 2);
    QCOMPARE(h.tones.Count(300, 300), 2);
}

void TestTagReading::vanishedReaderKeepsTheRunQuietUntilCancelled() {
    ReaderOptions options;
    options.tags = {5};
    FormHarness h(options);
    QVERIFY(h.FindReader());
    bool unplugged = false;
    int tagTonesAfterUnplug = 0, exchangesAfterUnplug = 0, asked = 0;
    h.tones.onBeep = [&](int, int duration) { tagTonesAfterUnplug += unplugged && duration == 30; };
    h.observed.onCommand = [&](const QByteArray&) {
        exchangesAfterUnplug += unplugged;
        if (++asked == 3) {  // the adapter is pulled while the reader answers
            h.line.Unplug();
            unplugged = true;
        }
    };

    h.ReadTagsFor(3000);

    QVERIFY(unplugged);
    QCOMPARE(tagTonesAfterUnplug, 0);
    // Each pass still waits out its turns and its reply window: no busy loop, no hang.
    QVERIFY(exchangesAfterUnplug >= 5);
    QVERIFY(exchangesAfterUnplug <= 3000 / 80);
    QVERIFY(h.tones.Last(1000, 300));
    QVERIFY(!h.line.isOpen());
    QCOMPARE(Ui(h.form()).btnReadCard->text(), QString("Read TAG"));
    QCOMPARE(Ui(h.form()).shComm->brushColor(), ColorYellow);
    QVERIFY(h.form().isEnabled());
    QVERIFY(!Ui(h.form()).tmrBusy->isActive());
}

// The handler's safety net: an error in the middle of a run shows its box and leaves no run
// behind, so the next click starts a new one.
void TestTagReading::anErrorInARunEndsItCleanly() {
    ReaderOptions options;
    options.tags = {0x0000BC61};
    FormHarness h(options);
    QVERIFY(h.FindReader());
    TfrmModule& f = h.form();
    h.tones.onBeep = [](int hz, int ms) {
        if (hz == 1000 && ms == 30) throw std::runtime_error("the speaker failed");
    };
    QString shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&shown] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    closer.start(10);

    Ui(f).btnReadCard->click();

    QCOMPARE(shown, QString("the speaker failed"));
    QVERIFY(!f.context().TagReading);
    QVERIFY(!f.context().ReadingRunActive);
    QVERIFY(!h.line.isOpen());
    QCOMPARE(Ui(f).btnReadCard->text(), QString("Read TAG"));
    QCOMPARE(Ui(f).pnCardID->caption(), QString("TAG ID"));
    for (QWidget* control : LockedControls(f))
        QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    QVERIFY(f.isEnabled());
    QVERIFY(!Ui(f).tmrBusy->isActive());

    h.tones.onBeep = nullptr;
    h.tones.tones.clear();
    h.ReadTagsFor(300);
    QVERIFY(h.tones.Count(1000, 30) >= 1);
}

QTEST_MAIN(TestTagReading)
#include "tst_tag_reading.moc"
