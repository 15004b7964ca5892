#include <QtTest>
#include <cerrno>
#include <cstdio>

#include "ReaderLink.h"
#include "TraceWriter.h"

// Each event of the link as the trace writes it: the format that support reads is fixed.
class TraceWriterTest : public QObject {
    Q_OBJECT
  private slots:
    void eachEventsLine_data() {
        QTest::addColumn<LinkEvent>("event");
        QTest::addColumn<QByteArray>("line");
        const auto event = [](LinkEvent::Kind kind, quint64 us) {
            LinkEvent e;
            e.kind = kind;
            e.timeUs = us;
            e.port = "COM5";
            e.lineSetting = "19200,e,8,1";
            e.open.device = "/dev/ttyUSB0";
            return e;
        };
        using K = LinkEvent::Kind;
        LinkEvent opened = event(K::Opened, 1'000'000 + 25'442);
        opened.open.driver = "ftdi_sio";
        opened.open.lowLatency = true;
        QTest::newRow("open, with its driver and low latency")
            << opened
            << QByteArray(
                   "25.442 COM5 19200,e,8,1 open /dev/ttyUSB0 driver=ftdi_sio low-latency=yes");
        QTest::newRow("open, nothing known of the driver")
            << event(K::Opened, 1'000'000 + 25'442)
            << QByteArray("25.442 COM5 19200,e,8,1 open /dev/ttyUSB0 driver=- low-latency=no");
        LinkEvent refused = event(K::Refused, 1'000'000 + 7);
        refused.open.state = PortState::NoPermission;
        refused.open.systemError = 13;
        QTest::newRow("refused, with the system's error")
            << refused
            << QByteArray("0.007 COM5 19200,e,8,1 refused /dev/ttyUSB0 no-permission 13");
        LinkEvent written = event(K::Written, 1'000'000 + 125'817);
        written.bytes = "\tA00B0A\r";
        QTest::newRow("write") << written
                               << QByteArray(
                                      "125.817 COM5 19200,e,8,1 write 09 41 30 30 42 30 41 "
                                      "0D |.A00B0A.|");
        LinkEvent read = event(K::Read, 1'000'000 + 136'110);
        read.bytes = QByteArray("\nB\xff", 3);
        QTest::newRow("read, a byte above ASCII")
            << read << QByteArray("136.110 COM5 19200,e,8,1 read 0A 42 FF |.B.|");
        LinkEvent echo = event(K::Echo, 1'000'000 + 136'000);
        echo.bytes = "\tA00B0A\r";
        QTest::newRow("an echo set aside")
            << echo
            << QByteArray("136.000 COM5 19200,e,8,1 echo 09 41 30 30 42 30 41 0D |.A00B0A.|");
        LinkEvent judged = event(K::Judged, 1'000'000 + 255'000);
        judged.verdict = ReplyVerdict::Nothing;
        QTest::newRow("nothing within the window")
            << judged << QByteArray("255.000 COM5 19200,e,8,1 verdict nothing");
        judged.verdict = ReplyVerdict::WrongCheck;
        QTest::newRow("wrong check")
            << judged << QByteArray("255.000 COM5 19200,e,8,1 verdict wrong-check");
        QTest::newRow("close") << event(K::Closed, 1'000'000 + 1'234'567)
                               << QByteArray("1234.567 COM5 19200,e,8,1 close");
    }
    void eachEventsLine() {
        QFETCH(LinkEvent, event);
        QFETCH(QByteArray, line);
        QCOMPARE(TraceWriter::Line(event, 1'000'000), line);
    }

#ifdef Q_OS_LINUX
    // A stream that takes nothing (a full disk): said once, with the system's reason, from the
    // header on.
    void aStreamThatTakesNothingIsSaidOnce() {
        std::FILE* full = std::fopen("/dev/full", "w");
        QVERIFY(full);
        QList<int> errors;
        TraceWriter writer(full, 0, [&errors](int error) { errors << error; });
        LinkEvent closed;
        closed.kind = LinkEvent::Kind::Closed;
        writer.Trace(closed);
        QCOMPARE(errors, QList<int>{ENOSPC});
        QVERIFY(!writer.Flush());
        QCOMPARE(errors.size(), 1);
        std::fclose(full);
    }
#endif
};

QTEST_GUILESS_MAIN(TraceWriterTest)
#include "tst_trace_writer.moc"
