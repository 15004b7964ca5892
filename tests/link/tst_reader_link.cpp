#include <QTemporaryDir>
#include <QtTest>

#include "FrameCodec.h"
#include "OvershootClock.h"
#include "ReaderLink.h"
#include "ScriptedLine.h"

// The exchange with the reader on the virtual clock: framing, the reply window, the reply state.
class ReaderLinkTest : public QObject {
    Q_OBJECT

    struct Rig {
        VirtualClock clock{5'000'000};
        ScriptedLine line{clock};
        QTemporaryDir folder;
        PortNames names{folder.path()};
        int messageTurns = 0;
        ReaderLink link{line, clock, names, [this] { ++messageTurns; }};
        Rig() { QVERIFY(link.OpenPort(3, "19200,e,8,1")); }
    };

  private slots:
    void sendsTheFrameWithItsPauses() {
        Rig rig;
        rig.line.Reply(QByteArray::fromHex("0A30410D"));
        QVERIFY(rig.link.SendCommand("A00B"));
        QCOMPARE(rig.line.written.toHex(' '), QByteArray("09 41 30 30 42 30 41 0d"));
        QCOMPARE(rig.line.purges, 1);
        // TAB, then 1 ms, the text, then 5 ms, each check character and CR 1 ms apart.
        const auto& t = rig.line.writeTimesUs;
        QCOMPARE(t[1] - t[0], 1000ull);
        QCOMPARE(t[4] - t[1], 0ull);  // the text goes in one write
        QCOMPARE(t[5] - t[4], 5000ull);
        QCOMPARE(t[6] - t[5], 1000ull);
        QCOMPARE(t[7] - t[6], 1000ull);
    }

    // Each pause ends at its mark from the frame's start (1, 6, 7, 8 and 9 ms after the TAB),
    // never before it: sleeps that overshoot and writes that take time are not added up.
    void framePausesRunFromOneDeadline_data() {
        QTest::addColumn<quint64>("overshootUs");
        QTest::addColumn<quint64>("writeUs");
        QTest::newRow("exact sleeps, instant writes") << quint64(0) << quint64(0);
        QTest::newRow("sleeps 130 us late") << quint64(130) << quint64(0);
        QTest::newRow("sleeps late, writes of 200 us") << quint64(130) << quint64(200);
    }
    void framePausesRunFromOneDeadline() {
        QFETCH(quint64, overshootUs);
        QFETCH(quint64, writeUs);
        VirtualClock clock{5'000'000};
        OvershootClock late(clock, overshootUs);
        ScriptedLine line{clock};
        line.writeCostUs = writeUs;
        QTemporaryDir folder;
        PortNames names{folder.path()};
        ReaderLink link{line, late, names, {}};
        QVERIFY(link.OpenPort(3, "19200,e,8,1"));
        line.writeTimesUs.clear();

        link.SendCommand("A00B");

        // The TAB, the text (one write), the two check characters and the CR.
        const auto& t = line.writeTimesUs;
        QCOMPARE(t.size(), 8);
        const quint64 marks[] = {1000, 6000, 7000, 8000};
        const int writeAt[] = {1, 5, 6, 7};
        for (int i = 0; i < 4; ++i) {
            const quint64 after = t[writeAt[i]] - t[0];
            QVERIFY2(after >= marks[i], qPrintable(QString::number(after)));
            QVERIFY2(after <= marks[i] + overshootUs + writeUs, qPrintable(QString::number(after)));
        }
        link.ClosePort();
    }

    // The trace sees the frame at its first byte's time, each run of bytes as a group and the
    // verdict, and takes nothing from the exchange: every byte is written when it would be
    // without it.
    void traceTellsTheExchangeAndChangesNoTime() {
        struct Recorder final : LinkTracer {
            QList<LinkEvent> events;
            void Trace(const LinkEvent& event) override { events << event; }
        } recorder;
        Rig plain, traced;
        traced.link.SetTracer(&recorder);
        for (Rig* rig : {&plain, &traced}) {
            // Two bytes 3 ms apart, with idle reads between them: two groups.
            rig->line.Reply("\nB", 2, 3000);
            rig->link.Sleep(20);
            QVERIFY(!rig->link.SendCommand("A00B"));
        }
        QCOMPARE(traced.line.writeTimesUs, plain.line.writeTimesUs);
        QCOMPARE(traced.clock.NowUs(), plain.clock.NowUs());

        using Kind = LinkEvent::Kind;
        QCOMPARE(recorder.events.size(), 4);
        QCOMPARE(recorder.events[0].kind, Kind::Written);
        QCOMPARE(recorder.events[0].timeUs, traced.line.writeTimesUs.first());
        QCOMPARE(recorder.events[0].bytes, CommandFrame("A00B"));
        QCOMPARE(recorder.events[0].port, QString("COM3"));
        QCOMPARE(recorder.events[0].lineSetting, QString("19200,e,8,1"));
        const quint64 arrival = traced.line.writeTimesUs.last() + 2000;
        for (int i : {1, 2}) {
            QCOMPARE(recorder.events[i].kind, Kind::Read);
            QCOMPARE(recorder.events[i].bytes, QByteArray(1, "\nB"[i - 1]));
            const quint64 at = arrival + quint64(i - 1) * 3000;
            QVERIFY(recorder.events[i].timeUs >= at && recorder.events[i].timeUs <= at + 1000);
        }
        QCOMPARE(recorder.events[3].kind, Kind::Judged);
        QCOMPARE(recorder.events[3].verdict, ReplyVerdict::Noise);
    }

    // An adapter that echoes: an exact copy of the frame just sent is set aside and the reply
    // behind it is taken within the same window; anything less than the exact copy stays, as
    // any other byte before the LF does.
    void echoIsSetAside_data() {
        QTest::addColumn<QByteArray>("back");   // from 2 ms after the CR
        QTest::addColumn<QByteArray>("later");  // then, 100 or 122 ms after the CR
        QTest::addColumn<quint64>("laterMs");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<bool>("setAside");
        QTest::addColumn<ReplyVerdict>("verdict");
        const QByteArray echo = CommandFrame("A00B");
        const QByteArray reply = ReplyFrame("B01S00001234");
        QByteArray otherCheck = echo;
        otherCheck[5] = 'B';
        using V = ReplyVerdict;
        QTest::newRow("a clean line")
            << reply << QByteArray() << 0ull << true << false << V::Accepted;
        QTest::newRow("the reply right behind the echo")
            << echo + reply << QByteArray() << 0ull << true << true << V::Accepted;
        QTest::newRow("the reply 100 ms after the command")
            << echo << reply << 100ull << true << true << V::Accepted;
        QTest::newRow("the reply 122 ms after: the window is not lengthened")
            << echo << reply << 122ull << false << true << V::Nothing;
        QTest::newRow("the echo alone")
            << echo << QByteArray() << 0ull << false << true << V::Nothing;
        QTest::newRow("noise behind the echo")
            << echo + "xyz" << QByteArray() << 0ull << false << true << V::Noise;
        QTest::newRow("an echo cut short")
            << echo.left(7) + reply << QByteArray() << 0ull << false << false << V::Noise;
        QTest::newRow("another command's frame")
            << CommandFrame("A00V") + reply << QByteArray() << 0ull << false << false << V::Noise;
        QTest::newRow("the frame with another check character")
            << otherCheck + reply << QByteArray() << 0ull << false << false << V::Noise;
    }
    void echoIsSetAside() {
        QFETCH(QByteArray, back);
        QFETCH(QByteArray, later);
        QFETCH(quint64, laterMs);
        QFETCH(bool, taken);
        QFETCH(bool, setAside);
        QFETCH(ReplyVerdict, verdict);
        Rig rig;
        rig.line.Reply(back);
        if (!later.isEmpty()) rig.line.AndThen(later, laterMs);

        QCOMPARE(rig.link.SendCommand("A00B"), taken);

        QCOMPARE(rig.link.EchoSetAside(), setAside);
        QCOMPARE(rig.link.Verdict(0), verdict);
        // Bytes stored behind a set-aside echo, of those that came within the window.
        const int echoed = setAside ? CommandFrame("A00B").size() : 0;
        const int inWindow = laterMs <= ReaderLink::ReplyWindowMs ? later.size() : 0;
        QCOMPARE(rig.link.LastReply().ReplyLength, back.size() + inWindow - echoed);
        if (taken) QCOMPARE(rig.link.LastReply().ReplyText, ReplyFrame("B01S00001234"));
        QCOMPARE(rig.line.written, CommandFrame("A00B"));  // nothing else goes out
    }

    // The trace shows the echo as an event of its own, at its last byte, between the bytes of
    // the echo and those of the reply behind it.
    void traceShowsTheEchoSetAside() {
        struct Recorder final : LinkTracer {
            QList<LinkEvent> events;
            void Trace(const LinkEvent& event) override { events << event; }
        } recorder;
        Rig rig;
        rig.link.SetTracer(&recorder);
        const QByteArray echo = CommandFrame("A00B");
        const QByteArray reply = ReplyFrame("B01S00001234");
        rig.line.Reply(echo + reply, 2, 0);  // all in one burst
        QVERIFY(rig.link.SendCommand("A00B"));

        using Kind = LinkEvent::Kind;
        QList<Kind> kinds;
        for (const LinkEvent& event : recorder.events) kinds << event.kind;
        QCOMPARE(kinds,
                 (QList<Kind>{Kind::Written, Kind::Read, Kind::Echo, Kind::Read, Kind::Judged}));
        QCOMPARE(recorder.events[1].bytes, echo);
        QCOMPARE(recorder.events[2].bytes, echo);
        QCOMPARE(recorder.events[3].bytes, reply);
        QVERIFY(recorder.events[1].timeUs >= rig.line.writeTimesUs.last() + 2000);
        QVERIFY(recorder.events[1].timeUs <= recorder.events[2].timeUs &&
                recorder.events[2].timeUs <= recorder.events[3].timeUs);
        QCOMPARE(recorder.events[4].verdict, ReplyVerdict::Accepted);
    }

    void emptyReplyFrameIsValid() {
        Rig rig;
        rig.line.Reply(QByteArray::fromHex("0A30410D"));
        QVERIFY(rig.link.SendCommand("A00B"));
        QCOMPARE(rig.link.LastReply().ReplyLength, 4);
        QCOMPARE(rig.link.LastReply().ReplyText, QByteArray::fromHex("0A30410D"));
    }

    void rejectedFrameStillReplacesReplyText() {
        Rig rig;
        rig.line.Reply(ReplyFrame("first"));
        QVERIFY(rig.link.SendCommand("A00B"));
        rig.line.Reply(QByteArray::fromHex("0A30610D"));
        QVERIFY(!rig.link.SendCommand("A00B"));
        QCOMPARE(rig.link.LastReply().ReplyText, QByteArray::fromHex("0A30610D"));
    }

    void failedExchangesKeepTheLastReplyText_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("silence") << QByteArray();
        QTest::newRow("noise before the frame") << QByteArray("x") + ReplyFrame("B01");
        QTest::newRow("an echo cut short before the frame")
            << CommandFrame("A00B").left(5) + ReplyFrame("B01");
        QTest::newRow("frame without CR") << QByteArray("\nB0123");
    }
    void failedExchangesKeepTheLastReplyText() {
        QFETCH(QByteArray, reply);
        Rig rig;
        rig.line.Reply(ReplyFrame("kept"));
        QVERIFY(rig.link.SendCommand("A00B"));
        if (!reply.isEmpty()) rig.line.Reply(reply);
        QVERIFY(!rig.link.SendCommand("A00B"));
        QCOMPARE(rig.link.LastReply().ReplyText, ReplyFrame("kept"));
        QCOMPARE(rig.link.LastReply().ReplyLength, reply.size() % 1024);
    }

    void windowClosesAfterMoreThan120Ms() {
        Rig rig;
        rig.line.Reply(QByteArray("\n"), 2);  // a frame that never completes
        QVERIFY(!rig.link.SendCommand("A00B"));
        const quint64 end = rig.clock.NowUs();
        const quint64 sent = rig.line.writeTimesUs.last() + 1000;  // after the CR's pause
        QVERIFY2(end - sent > 120'000, qPrintable(QString::number(end - sent)));
        QVERIFY2(end - sent <= 122'000, qPrintable(QString::number(end - sent)));
        QVERIFY(rig.messageTurns >= 119);  // messages were processed at every idle read
    }

    void replyAt119MsIsTakenAndAt122MsIsNot() {
        Rig rig;
        rig.line.Reply(ReplyFrame("late"), 118, 100);
        QVERIFY(rig.link.SendCommand("A00B"));
        rig.line.Reply(ReplyFrame("later"), 122, 100);
        QVERIFY(!rig.link.SendCommand("A00B"));
        QCOMPARE(rig.link.LastReply().ReplyText, ReplyFrame("late"));
    }

    void arrivingBytesHoldTheElapsedTime() {
        Rig rig;
        // Noise from 100 ms on, a byte waiting at every read for 300 ms: the window is only
        // measured at an idle read, so it stays open until the noise stops.
        rig.line.readCostUs = 500;
        rig.line.Reply(QByteArray(600, 'x'), 100, 500);
        const quint64 start = rig.clock.NowUs();
        QVERIFY(!rig.link.SendCommand("A00B"));
        QVERIFY(rig.clock.NowUs() - start > 390'000);
    }

    void counterWrapDoesNotDisturbTheWindow() {
        Rig rig;
        rig.clock.AdvanceUs((quint64(0xFFFFFFFFu) - 60) * 1000 - rig.clock.NowUs());
        const quint64 start = rig.clock.NowUs();
        QVERIFY(!rig.link.SendCommand("A00B"));
        QVERIFY(rig.clock.NowUs() - start < 140'000);
        QVERIFY(rig.clock.NowUs() - start > 120'000);
    }

    void zeroByteInsideTheBody() {
        Rig rig;
        const QByteArray frame = ReplyFrame(QByteArray("AB\0CD", 5));
        rig.line.Reply(frame);
        QVERIFY(rig.link.SendCommand("A00B"));
        QCOMPARE(rig.link.LastReply().ReplyLength, frame.size());
        QCOMPARE(rig.link.LastReply().ReplyText, QByteArray("\nAB"));
    }

    void staleInputIsPurgedBeforeWriting() {
        Rig rig;
        rig.line.Stale("junk");
        rig.line.Reply(ReplyFrame("B01"));
        QVERIFY(rig.link.SendCommand("A00B"));
        QCOMPARE(rig.link.LastReply().ReplyText, ReplyFrame("B01"));
    }

    void frameOf1024BytesEndsAtOnceWithEmptyText() {
        Rig rig;
        rig.line.Reply(ReplyFrame("kept"));
        QVERIFY(rig.link.SendCommand("A00B"));
        rig.line.Reply(ReplyFrame(QByteArray(1020, 'x')), 2, 10);  // 1024 bytes, CR last
        const quint64 start = rig.clock.NowUs();
        QVERIFY(!rig.link.SendCommand("A00B"));
        QVERIFY(rig.link.LastReply().ReplyText.isEmpty());
        QCOMPARE(rig.link.LastReply().ReplyLength, 0);
        QVERIFY(rig.clock.NowUs() - start < 60'000);  // did not wait for the window
    }

    void longerFrameLosesItsStart() {
        Rig rig;
        rig.line.Reply(QByteArray("\n") + QByteArray(1500, 'x') + "\r", 2, 10);
        QVERIFY(!rig.link.SendCommand("A00B"));
        QCOMPARE(rig.link.LastReply().ReplyLength, 1502 % 1024);
    }

    void lfAtPosition1025StartsANewFrame() {
        Rig rig;
        rig.line.Reply(QByteArray(1024, 'x') + ReplyFrame("B01"), 2, 10);
        QVERIFY(rig.link.SendCommand("A00B"));
        QCOMPARE(rig.link.LastReply().ReplyText, ReplyFrame("B01"));
    }

    void floodOfBytesEndsFalseWithinTheBuffer() {
        Rig rig;
        QByteArray flood;
        for (int i = 0; i < 5000; ++i)
            flood.append(char(i % 7 == 0 ? '\r' : i % 11 == 0 ? '\n' : 'z'));
        rig.line.Reply(flood, 2, 10);
        QVERIFY(!rig.link.SendCommand("A00B"));
        QVERIFY(rig.link.LastReply().ReplyLength >= 0 && rig.link.LastReply().ReplyLength < 1024);
    }

    // A device that went away is closed at the read that finds it gone, not at the operation's
    // end; the close that follows does nothing more, and the next open starts afresh.
    void aVanishedPortIsClosedAtOnce() {
        struct Recorder final : LinkTracer {
            QList<LinkEvent::Kind> kinds;
            void Trace(const LinkEvent& event) override { kinds << event.kind; }
        } recorder;
        Rig rig;
        rig.link.SetTracer(&recorder);
        rig.line.hungUp = true;
        QVERIFY(!rig.link.SendCommand("A00B"));
        QVERIFY(!rig.line.open);
        QVERIFY(!rig.link.IsOpen());
        QVERIFY(rig.link.PortGone());
        rig.link.ClosePort();
        QCOMPARE(rig.line.closes, 1);
        using Kind = LinkEvent::Kind;
        QCOMPARE(recorder.kinds, (QList<Kind>{Kind::Written, Kind::Judged, Kind::Closed}));

        rig.line.hungUp = false;
        QVERIFY(rig.link.OpenPort(3, "19200,e,8,1"));
        QVERIFY(rig.link.IsOpen());
        QVERIFY(!rig.link.PortGone());
    }

    void openPortSavesAndRestoresTimeouts() {
        VirtualClock clock;
        ScriptedLine line{clock};
        QTemporaryDir folder;
        PortNames names{folder.path()};
        ReaderLink link{line, clock, names, {}};
        const CommTimeouts own = line.timeouts;
        QVERIFY(link.OpenPort(3, "19200,e,8,1"));
        QCOMPARE(line.openedDevice, PortNames::DefaultDevice(3));
        QVERIFY(line.timeouts == ReaderLink::LinkTimeouts);
        QCOMPARE(line.line, (LineParameters{19200, Parity::Even, 8, StopBits::One}));
        link.ClosePort();
        QVERIFY(line.timeouts == own);
        QCOMPARE(line.closes, 1);
    }

    void unparsableLineSettingStillOpens() {
        VirtualClock clock;
        ScriptedLine line{clock};
        QTemporaryDir folder;
        PortNames names{folder.path()};
        ReaderLink link{line, clock, names, {}};
        const LineParameters before = line.line;
        QVERIFY(link.OpenPort(1, "fast,odd"));
        QCOMPARE(line.lineChanges, 0);
        QCOMPARE(line.line, before);
    }

    void failedOpenDoesNothingElse() {
        VirtualClock clock;
        ScriptedLine line{clock};
        line.refuseOpen = true;
        QTemporaryDir folder;
        PortNames names{folder.path()};
        ReaderLink link{line, clock, names, {}};
        const CommTimeouts own = line.timeouts;
        QVERIFY(!link.OpenPort(16, "19200,e,8,1"));
        QVERIFY(!link.IsOpen());
        QCOMPARE(line.openedDevice, PortNames::DefaultDevice(16));
        QVERIFY(line.timeouts == own);
        QCOMPARE(line.lineChanges, 0);
    }

    void comNumbersOutsideTheMapHaveNoDevice() {
        VirtualClock clock;
        ScriptedLine line{clock};
        QTemporaryDir folder;
        PortNames names{folder.path()};
        ReaderLink link{line, clock, names, {}};
#ifdef _WIN32
        const int outside = 257;  // the command line reaches up to COM256 there
#else
        const int outside = 17;
#endif
        QVERIFY(!link.OpenPort(outside, "19200,e,8,1"));
        QVERIFY(!link.OpenPort(0, "19200,e,8,1"));
        QVERIFY(line.openedDevice.isEmpty());
    }

    void portNames_data() {
        QTest::addColumn<int>("com");
        QTest::addColumn<QString>("device");
#ifdef _WIN32
        // The device namespace reaches every port, also those above COM9.
        QTest::newRow("COM1") << 1 << "\\\\.\\COM1";
        QTest::newRow("COM9") << 9 << "\\\\.\\COM9";
        QTest::newRow("COM10") << 10 << "\\\\.\\COM10";
        QTest::newRow("COM16") << 16 << "\\\\.\\COM16";
        QTest::newRow("COM256") << 256 << "\\\\.\\COM256";
#else
        QTest::newRow("COM1") << 1 << "/dev/ttyS0";
        QTest::newRow("COM4") << 4 << "/dev/ttyS3";
        QTest::newRow("COM5") << 5 << "/dev/ttyUSB0";
        QTest::newRow("COM12") << 12 << "/dev/ttyUSB7";
        QTest::newRow("COM13") << 13 << "/dev/ttyACM0";
        QTest::newRow("COM16") << 16 << "/dev/ttyACM3";
#endif
    }
    void portNames() {
        QFETCH(int, com);
        QFETCH(QString, device);
        QTemporaryDir folder;
        PortNames names{folder.path()};
        QCOMPARE(names.DevicePath(com), device);
        QCOMPARE(PortNames::PortName(com), QString("COM%1").arg(com));
    }

    void linkInPortsFolderWins() {
#ifdef _WIN32
        QSKIP("Windows names its ports itself; there are no port assignments in a folder.");
#endif
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkpath("ports"));
        const QString link = folder.filePath("ports/COM3");
        QVERIFY(QFile::link("/dev/null", link));
        PortNames names{folder.path()};
        QCOMPARE(names.DevicePath(3), link);
        QCOMPARE(names.DevicePath(2), QString("/dev/ttyS1"));
        // A dangling link is still an assignment: it must not fall back to /dev/ttyS2.
        QFile::remove(link);
        QVERIFY(QFile::link(folder.filePath("gone"), link));
        QCOMPARE(names.DevicePath(3), link);
    }
};

QTEST_GUILESS_MAIN(ReaderLinkTest)
#include "tst_reader_link.moc"
