#include <QTemporaryDir>
#include <QtTest>

#include "AdapterBatches.h"
#include "FrameCodec.h"
#include "ReaderLink.h"
#include "SimulatedLine.h"

namespace {

LineParameters Line(const char* text) {
    return *ParseLineSetting(QString::fromLatin1(text));
}

constexpr CommTimeouts OneMsRead{0, 0, 1, 0, 0};

// A reader on /dev/ttyS2 (COM3 by the fixed map), its line and a clock.
struct Bench {
    explicit Bench(ReaderOptions options = {}) : reader(options), line(reader, clock) {}
    bool OpenAt(const char* setting) {
        if (!line.Open("/dev/ttyS2")) return false;
        line.SetTimeouts(OneMsRead);
        return line.SetLine(Line(setting));
    }
    void Write(const QByteArray& bytes) { line.Write(bytes.constData(), bytes.size()); }
    // Reads until nothing has come for the given time; the bytes and their arrival times.
    QByteArray ReadAll(QList<quint64>* times = nullptr, int quietMs = 50) {
        QByteArray bytes;
        for (int idle = 0; idle < quietMs;) {
            char byte;
            if (line.ReadByte(&byte) == 1) {
                bytes += byte;
                if (times) *times << clock.NowUs();
                idle = 0;
            } else {
                ++idle;
            }
        }
        return bytes;
    }
    VirtualClock clock{1000000};
    ReaderModel reader;
    SimulatedLine line;
};

}  // namespace

class SimulatedLineTest : public QObject {
    Q_OBJECT

  private slots:
    void openRefusesWhatIsNotThere() {
        Bench b;
        b.line.AddSilentDevice("/dev/ttyS0");
        b.line.SetBusyDevice("/dev/ttyS1");
        QCOMPARE(b.line.Open("/dev/ttyUSB0").state, PortState::NoDevice);
        QCOMPARE(b.line.Open("/dev/ttyS1").state, PortState::InUse);  // held by another program
        QVERIFY(b.line.Open("/dev/ttyS0").opened());
        QCOMPARE(b.line.Open("/dev/ttyS2").state, PortState::InUse);  // one device at a time
        b.line.Close();
        QVERIFY(b.line.Open("/dev/ttyS2").opened());
        b.line.Close();
        b.line.Unplug();
        QCOMPARE(b.line.Open("/dev/ttyS2").state, PortState::NoDevice);
        QCOMPARE(b.line.opens().size(), 2);
        QCOMPARE(b.line.opens()[0].device, QString("/dev/ttyS0"));
    }

    void opensAreRecordedWithTheirLineAndWrites() {
        Bench b;
        QVERIFY(b.OpenAt("9600,n,8,1"));
        b.Write(CommandFrame("A00B"));
        b.Write("x");
        b.line.Close();
        QCOMPARE(b.line.opens().size(), 1);
        QCOMPARE(b.line.opens()[0].line, Line("9600,n,8,1"));
        QCOMPARE(b.line.opens()[0].writes, 2);
        QCOMPARE(b.line.written(), CommandFrame("A00B") + "x");
        // The device has its own setting back at the next open.
        b.line.SetOwnLine(Line("4800,n,8,1"));
        QVERIFY(b.line.Open("/dev/ttyS2").opened());
        QCOMPARE(b.line.opens()[1].line, Line("4800,n,8,1"));
    }

    void anUnansweredReadCostsItsTimeoutInVirtualTime() {
        Bench b;
        QVERIFY(b.OpenAt("19200,e,8,1"));
        const quint64 start = b.clock.NowUs();
        char byte;
        QCOMPARE(b.line.ReadByte(&byte), 0);
        QCOMPARE(b.clock.NowUs() - start, quint64(1000));
        b.line.SetTimeouts({0, 0, 20, 0, 0});
        QCOMPARE(b.line.ReadByte(&byte), 0);
        QCOMPARE(b.clock.NowUs() - start, quint64(21000));
        b.line.SetTimeouts({0, 0, 0, 0, 0});  // never a read that costs nothing
        QCOMPARE(b.line.ReadByte(&byte), 0);
        QCOMPARE(b.clock.NowUs() - start, quint64(22000));
    }

    void theReplyIsPacedAtTheCharacterTimeAfterTheDelay() {
        ReaderOptions options;
        options.replyDelayMs = 3;
        Bench b(options);
        QVERIFY(b.OpenAt("19200,e,8,1"));
        const quint64 start = b.clock.NowUs();
        b.Write(CommandFrame("A00B"));  // returns at once
        QCOMPARE(b.clock.NowUs(), start);
        QList<quint64> times;
        const QByteArray reply = b.ReadAll(&times);
        QCOMPARE(reply, QByteArray("\nB01S000012341E\r"));
        // 8 command bytes of 11 bits at 19200 baud, the delay, then one character per byte.
        const quint64 charUs = 573;
        QCOMPARE(times.first() - start, 8 * charUs + 3000 + charUs);
        QCOMPARE(times.last() - times.first(), 15 * charUs);
    }

    void bytesWrittenBackToBackQueueOnTheLine() {
        Bench b;
        QVERIFY(b.OpenAt("19200,e,8,1"));
        const quint64 start = b.clock.NowUs();
        const QByteArray frame = CommandFrame("A00E2");  // the reader goes to 9600,n,8,1
        for (char c : frame) b.line.Write(&c, 1);        // one call each, no pause between
        QList<quint64> times;
        QCOMPARE(b.ReadAll(&times), ReplyFrame("OKE"));
        // The 9 bytes follow each other on the line; the reply goes out at the old line.
        QCOMPARE(times.first() - start, 9 * 573 + 2000 + 573);
        QCOMPARE(times.last() - times.first(), 6 * 573);
        QVERIFY(b.reader.Hears(Line("9600,n,8,1")));
    }

    void theReaderHearsOnlyItsWholeLineSetting_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("answered");
        QTest::newRow("the reader's own 19200,e,8,1") << "19200,e,8,1" << true;
        QTest::newRow("another parity is not heard") << "19200,n,8,1" << false;
        QTest::newRow("another baud rate is not heard") << "9600,e,8,1" << false;
        QTest::newRow("two stop bits are not heard") << "19200,e,8,2" << false;
    }
    void theReaderHearsOnlyItsWholeLineSetting() {
        QFETCH(QString, setting);
        QFETCH(bool, answered);
        Bench b;
        QVERIFY(b.OpenAt(setting.toLatin1().constData()));
        b.Write(CommandFrame("A00B"));
        QCOMPARE(!b.ReadAll().isEmpty(), answered);
        QCOMPARE(b.reader.framesAnswered(), answered ? 1 : 0);
        QCOMPARE(b.line.written(), CommandFrame("A00B"));  // recorded whoever heard it
    }

    void aSilentDeviceNeverAnswers() {
        Bench b;
        b.line.AddSilentDevice("/dev/ttyS0");
        QVERIFY(b.line.Open("/dev/ttyS0").opened());
        b.line.SetLine(Line("19200,e,8,1"));
        b.Write(CommandFrame("A00B"));
        QVERIFY(b.ReadAll().isEmpty());
        QCOMPARE(b.reader.framesAnswered(), 0);
    }

    void purgeDropsOnlyWhatHasArrived() {
        ReaderOptions options;
        options.replyDelayMs = 0;
        Bench b(options);
        QVERIFY(b.OpenAt("19200,e,8,1"));
        b.Write(CommandFrame("A00B"));
        // Until 5 reply bytes have arrived: 8 out, 5 back, <LF>B01S.
        b.clock.AdvanceUs(13 * 573 + 100);
        QVERIFY(b.line.Purge());
        QCOMPARE(b.ReadAll(), QByteArray("000012341E\r"));
    }

    void closeEndsWhatIsOnItsWay() {
        Bench b;
        QVERIFY(b.OpenAt("19200,e,8,1"));
        b.Write(CommandFrame("A00B"));
        b.line.Close();
        char byte;
        QCOMPARE(b.line.ReadByte(&byte), 0);
        QVERIFY(b.OpenAt("19200,e,8,1"));
        QVERIFY(b.ReadAll().isEmpty());
        QCOMPARE(b.reader.framesAnswered(), 1);  // the reader had answered all the same
    }

    void theDisconnectFaultTakesTheDeviceAway() {
        ReaderOptions options;
        options.fault = ReaderFault::Disconnect;
        options.faultAfterFrames = 1;
        Bench b(options);
        QVERIFY(b.OpenAt("19200,e,8,1"));
        b.Write(CommandFrame("A00B"));
        QCOMPARE(b.ReadAll().size(), 16);
        b.Write(CommandFrame("A00B"));
        QVERIFY(b.ReadAll().isEmpty());
        b.line.Close();
        QVERIFY(!b.line.Open("/dev/ttyS2"));
    }

    // The reader link's own exchange over the simulated line, in virtual time only.
    void theLinkTalksToTheSimulatedReader() {
        QTemporaryDir folder;
        PortNames names(folder.path());
        ReaderOptions options;
        options.tags = {0x0000BC61};
        Bench b(options);
        int passes = 0;
        ReaderLink link(b.line, b.clock, names, [&] { ++passes; });

        QVERIFY(link.OpenPort(3, "19200,e,8,1"));
        QVERIFY(link.SendCommand("A00B"));
        QCOMPARE(link.LastReply().ReplyLength, 16);
        QCOMPARE(link.LastReply().ReplyText, QByteArray("\nB01S000012341E\r"));
        QVERIFY(link.SendCommand("A00F"));
        QCOMPARE(link.LastReply().ReplyText.mid(6, 8), QByteArray("0000BC61"));
        QVERIFY(link.SendCommand("A00E2"));  // confirmed at the old line
        QVERIFY(!link.SendCommand("A00B"));  // the reader has moved on
        link.ClosePort();
        QCOMPARE(b.line.opens().last().line, Line("19200,e,8,1"));

        QVERIFY(link.OpenPort(3, "9600,n,8,1"));
        QVERIFY(link.SendCommand("A00B"));
        link.ClosePort();
        QVERIFY(passes > 0);  // the window's messages were served while waiting
    }

    void anUnansweredExchangeEndsAfterTheReplyWindow() {
        QTemporaryDir folder;
        PortNames names(folder.path());
        Bench b;
        ReaderLink link(b.line, b.clock, names, {});
        QVERIFY(link.OpenPort(3, "19200,n,8,1"));  // wrong parity: the reader hears nothing
        const quint32 start = b.clock.NowMs();
        QVERIFY(!link.SendCommand("A00B"));
        const quint32 took = b.clock.NowMs() - start;
        QVERIFY2(took > 120 && took < 140, qPrintable(QString::number(took)));
        QCOMPARE(link.LastReply().ReplyLength, 0);
        link.ClosePort();
    }

    void aLateReplyIsPurgedBeforeTheNextCommand() {
        QTemporaryDir folder;
        PortNames names(folder.path());
        ReaderOptions options;
        options.fault = ReaderFault::Late;
        Bench b(options);
        ReaderLink link(b.line, b.clock, names, {});
        QVERIFY(link.OpenPort(3, "19200,e,8,1"));
        QVERIFY(!link.SendCommand("A00B"));
        QCOMPARE(link.LastReply().ReplyLength, 0);  // nothing came within the window
        link.Sleep(100);                            // the late reply comes in this pause
        QVERIFY(!link.SendCommand("A00B"));
        QCOMPARE(link.LastReply().ReplyLength, 0);  // and was purged, not taken for the next reply
        link.ClosePort();
    }

    void theReaderIsDeafWhileItRestarts() {
        QTemporaryDir folder;
        PortNames names(folder.path());
        ReaderOptions options;
        options.restartMs = 1500;
        Bench b(options);
        ReaderLink link(b.line, b.clock, names, {});
        QVERIFY(link.OpenPort(3, "19200,e,8,1"));
        QVERIFY(link.SendCommand("A00HR"));
        link.Sleep(100);
        QVERIFY(!link.SendCommand("A00B"));
        link.Sleep(1500);
        QVERIFY(link.SendCommand("A00B"));
        link.ClosePort();
    }
    // An adapter that holds bytes hands them on when its timer runs (every period, counted from
    // time 0) or at once when 62 are held; without a period each byte goes on as it comes.
    void handOnTimes_data() {
        QTest::addColumn<QList<quint64>>("arrivals");
        QTest::addColumn<quint64>("period");
        QTest::addColumn<QList<quint64>>("handedOn");
        QTest::newRow("no batches") << QList<quint64>{3, 5, 40} << 0ull << QList<quint64>{3, 5, 40};
        QTest::newRow("at the timer's next run")
            << QList<quint64>{3, 5, 15} << 16ull << QList<quint64>{16, 16, 16};
        QTest::newRow("a byte at the run waits for the next one")
            << QList<quint64>{15, 16, 17} << 16ull << QList<quint64>{16, 32, 32};
        QTest::newRow("a reply across two runs")
            << QList<quint64>{10, 20, 30, 40} << 16ull << QList<quint64>{16, 32, 32, 48};
        QList<quint64> full, fullOn;
        for (quint64 i = 0; i < 63; ++i) full << 100 + i;
        for (int i = 0; i < 62; ++i) fullOn << 161;
        fullOn << 1000;
        QTest::newRow("62 bytes go at once, the 63rd with the timer") << full << 1000ull << fullOn;
    }
    void handOnTimes() {
        QFETCH(QList<quint64>, arrivals);
        QFETCH(quint64, period);
        QFETCH(QList<quint64>, handedOn);
        const std::vector<quint64> times =
            HandOnTimes(std::vector<quint64>(arrivals.begin(), arrivals.end()), period);
        QCOMPARE(QList<quint64>(times.begin(), times.end()), handedOn);
    }

    // On the line, each reply byte reaches the tool when the adapter's timer next runs: the
    // same bytes, each less than a period later than without batches.
    void theAdapterHandsOnInBatches() {
        QList<quint64> at[2];
        for (int batchMs : {0, 16}) {
            Bench b;
            b.line.SetBatchMs(batchMs);
            QVERIFY(b.OpenAt("19200,e,8,1"));
            b.Write(CommandFrame("A00B"));
            QCOMPARE(b.ReadAll(&at[batchMs > 0]), ReplyFrame("B01S00001234"));
        }
        for (int i = 0; i < at[0].size(); ++i) {
            QCOMPARE(at[1][i] % 16000, 0ull);
            QVERIFY(at[1][i] >= at[0][i] && at[1][i] - at[0][i] < 16000);
        }
    }
};

QTEST_APPLESS_MAIN(SimulatedLineTest)
#include "tst_simulated_line.moc"
