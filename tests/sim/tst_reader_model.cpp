#include <QtTest>
#include <functional>

#include "FrameCodec.h"
#include "ReaderModel.h"

Q_DECLARE_METATYPE(ReaderFault)

namespace {

ReaderOptions Defaults() {
    ReaderOptions options;
    options.tags = {0x0000BC61};
    return options;
}

// Feeds the bytes one by one at time nowMs; the reply to the last complete frame, if any.
std::optional<ReaderReply> Feed(ReaderModel& reader, const QByteArray& bytes, qint64 nowMs = 0) {
    std::optional<ReaderReply> reply;
    for (char byte : bytes)
        if (auto r = reader.Receive(byte, nowMs)) reply = r;
    return reply;
}

std::optional<ReaderReply> Send(ReaderModel& reader, const QByteArray& command, qint64 nowMs = 0) {
    return Feed(reader, CommandFrame(command), nowMs);
}

// The reply's body, between the LF and the check characters; "-" when there is no reply.
QByteArray BodyOf(const std::optional<ReaderReply>& reply) {
    if (!reply) return "-";
    return reply->bytes.mid(1, reply->bytes.size() - 4);
}

LineParameters Line(const char* text) {
    return *ParseLineSetting(QString::fromLatin1(text));
}

}  // namespace

class ReaderModelTest : public QObject {
    Q_OBJECT

  private slots:
    void replies_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("body");  // "-": the reader keeps silent

        QTest::newRow("A00B: reader number at body 2-3, serial at 5-12")
            << QByteArray("A00B") << QByteArray("B01S00001234");
        QTest::newRow("A00V: version at body 5-12")
            << QByteArray("A00V") << QByteArray("V01R01.70-01");
        QTest::newRow("A00F: the tag as 8 hex digits at body 6-13")
            << QByteArray("A00F") << QByteArray("F01ID0000BC61");
        QTest::newRow("a reader number in the address is answered")
            << QByteArray("A01B") << QByteArray("B01S00001234");
        QTest::newRow("another reader's number in the address is not answered")
            << QByteArray("A07B") << QByteArray("-");
        QTest::newRow("a text not beginning with A is not answered")
            << QByteArray("B00B") << QByteArray("-");
        QTest::newRow("an empty command is not answered") << QByteArray("") << QByteArray("-");

        QTest::newRow("same-card time acknowledged") << QByteArray("A00N0010") << QByteArray("OKN");
        QTest::newRow("input NO acknowledged") << QByteArray("A00M1") << QByteArray("OKM");
        QTest::newRow("input NC acknowledged") << QByteArray("A00M0") << QByteArray("OKM");
        QTest::newRow("reader mode acknowledged") << QByteArray("A00L32") << QByteArray("OKL");
        QTest::newRow("radio address acknowledged")
            << QByteArray("A00W060131") << QByteArray("OKW");
        QTest::newRow("radio frequency acknowledged")
            << QByteArray("A00W0F013B") << QByteArray("OKW");
        QTest::newRow("radio channel acknowledged")
            << QByteArray("A00W0B0100") << QByteArray("OKW");
        QTest::newRow("RSSI level 250 acknowledged") << QByteArray("A00OFA") << QByteArray("OKO");
        QTest::newRow("line speed acknowledged") << QByteArray("A00EB") << QByteArray("OKE");
        QTest::newRow("reader number with the right serial acknowledged")
            << QByteArray("A00C0000123407") << QByteArray("OKC");
        QTest::newRow("reader number with another serial is not answered")
            << QByteArray("A00C0000999907") << QByteArray("-");
        QTest::newRow("factory default acknowledged") << QByteArray("A00X5A") << QByteArray("OKX");
        QTest::newRow("reset acknowledged") << QByteArray("A00HR") << QByteArray("OKH");

        QTest::newRow("same-card time of 2 digits refused")
            << QByteArray("A00N12") << QByteArray("ERN");
        QTest::newRow("same-card time not decimal refused")
            << QByteArray("A00N00A0") << QByteArray("ERN");
        QTest::newRow("line speed C refused") << QByteArray("A00EC") << QByteArray("ERE");
        QTest::newRow("line speed in lower case refused")
            << QByteArray("A00Eb") << QByteArray("ERE");
        QTest::newRow("RS485 format 4 refused") << QByteArray("A00L40") << QByteArray("ERL");
        QTest::newRow("Wiegand format 3 refused") << QByteArray("A00L03") << QByteArray("ERL");
        QTest::newRow("input polarity 2 refused") << QByteArray("A00M2") << QByteArray("ERM");
        QTest::newRow("unknown radio selector refused")
            << QByteArray("A00W070110") << QByteArray("ERW");
        QTest::newRow("radio value in lower case refused")
            << QByteArray("A00W0601ff") << QByteArray("ERW");
        QTest::newRow("RSSI level 251 refused") << QByteArray("A00OFB") << QByteArray("ERO");
        QTest::newRow("reader number 00 refused")
            << QByteArray("A00C0000123400") << QByteArray("ERC");
        QTest::newRow("factory default without 5A refused")
            << QByteArray("A00X00") << QByteArray("ERX");
        QTest::newRow("reset without R refused") << QByteArray("A00HX") << QByteArray("ERH");
        QTest::newRow("unknown command refused") << QByteArray("A00Z") << QByteArray("ERZ");
        QTest::newRow("reader information with a parameter refused")
            << QByteArray("A00B1") << QByteArray("ERB");
    }
    void replies() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, body);
        ReaderModel reader(Defaults());
        const auto reply = Send(reader, command);
        QCOMPARE(BodyOf(reply), body);
        if (reply) {
            QCOMPARE(reply->bytes, ReplyFrame(body));  // LF, body, right check, CR
            QCOMPARE(reply->delayMs, Defaults().replyDelayMs);
            QVERIFY(!reply->disconnect);
        }
        QCOMPARE(reader.commandsReceived(), QList<QByteArray>{command});
    }

    void replyFieldsStandWhereTheToolReadsThem() {
        ReaderOptions options = Defaults();
        options.readerNumber = 7;
        options.serialNumber = "AB12CD34";
        options.version = "02.10-03";
        ReaderModel reader(options);
        // ReplyText positions are 1-based with the LF at 1: index = position - 1.
        const QByteArray info = Send(reader, "A00B")->bytes;
        QCOMPARE(info.size(), 16);
        QCOMPARE(info.mid(2, 2), QByteArray("07"));
        QCOMPARE(info.mid(5, 8), QByteArray("AB12CD34"));
        const QByteArray version = Send(reader, "A00V")->bytes;
        QCOMPARE(version.mid(5, 8), QByteArray("02.10-03"));
        const QByteArray tag = Send(reader, "A00F")->bytes;
        QCOMPARE(tag.size(), 17);
        QCOMPARE(tag.mid(6, 8), QByteArray("0000BC61"));
    }

    void withoutATagTheReplyHasAnotherLength() {
        ReaderOptions options = Defaults();
        options.tags.clear();
        ReaderModel reader(options);
        const auto reply = Send(reader, "A00F");
        QVERIFY(reply);
        QVERIFY(CheckReply(reinterpret_cast<const quint8*>(reply->bytes.constData()),
                           int(reply->bytes.size())));
        QVERIFY(reply->bytes.size() != 17);
    }

    void tagsArePresentedInTurn() {
        ReaderOptions options = Defaults();
        options.tags = {0x00000001, 0x0000BC61, 0xFFFFFFFF};
        ReaderModel reader(options);
        QList<QByteArray> seen;
        for (int i = 0; i < 4; ++i) seen << Send(reader, "A00F")->bytes.mid(6, 8);
        QCOMPARE(seen, (QList<QByteArray>{"00000001", "0000BC61", "FFFFFFFF", "00000001"}));
    }

    void stateIsKept_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("value");

        QTest::newRow("same-card time 0") << QByteArray("A00N0000") << "sameCard" << 0;
        QTest::newRow("same-card time 9999") << QByteArray("A00N9999") << "sameCard" << 9999;
        QTest::newRow("refused same-card time keeps 10")
            << QByteArray("A00N12") << "sameCard" << 10;
        QTest::newRow("input NC") << QByteArray("A00M0") << "normallyOpen" << 0;
        QTest::newRow("input NO") << QByteArray("A00M1") << "normallyOpen" << 1;
        QTest::newRow("RS485 format from A00L32") << QByteArray("A00L32") << "rs485" << 3;
        QTest::newRow("Wiegand format from A00L32") << QByteArray("A00L32") << "wiegand" << 2;
        QTest::newRow("refused mode keeps RS485 1") << QByteArray("A00L42") << "rs485" << 1;
        QTest::newRow("radio address 255") << QByteArray("A00W0601FF") << "address" << 255;
        QTest::newRow("radio frequency 0") << QByteArray("A00W0F0100") << "frequency" << 0;
        QTest::newRow("radio channel 7") << QByteArray("A00W0B0107") << "channel" << 7;
        QTest::newRow("RSSI level 15") << QByteArray("A00O0F") << "rssi" << 15;
        QTest::newRow("reader number 7 with the right serial")
            << QByteArray("A00C0000123407") << "number" << 7;
        QTest::newRow("another serial keeps the number")
            << QByteArray("A00C1234567807") << "number" << 1;
        QTest::newRow("line index 3 from A00E3") << QByteArray("A00E3") << "lineIndex" << 3;
        QTest::newRow("line index 11 from A00EB") << QByteArray("A00EB") << "lineIndex" << 11;
        QTest::newRow("refused line speed keeps index 5")
            << QByteArray("A00EC") << "lineIndex" << 5;
    }
    void stateIsKept() {
        QFETCH(QByteArray, command);
        QFETCH(QString, setting);
        QFETCH(int, value);
        ReaderModel reader(Defaults());
        const QMap<QString, std::function<int()>> settings{
            {"sameCard", [&] { return reader.sameCardSeconds(); }},
            {"normallyOpen", [&] { return int(reader.inputNormallyOpen()); }},
            {"rs485", [&] { return reader.rs485Format(); }},
            {"wiegand", [&] { return reader.wiegandFormat(); }},
            {"address", [&] { return reader.radioAddress(); }},
            {"frequency", [&] { return reader.radioFrequency(); }},
            {"channel", [&] { return reader.radioChannel(); }},
            {"rssi", [&] { return reader.rssiLevel(); }},
            {"number", [&] { return reader.options().readerNumber; }},
            {"lineIndex", [&] { return reader.options().lineIndex; }},
        };
        Send(reader, command);
        QCOMPARE(settings.value(setting)(), value);
    }

    void aNewReaderNumberShowsInLaterReplies() {
        ReaderModel reader(Defaults());
        QVERIFY(Send(reader, "A00C0000123442"));
        QCOMPARE(BodyOf(Send(reader, "A00B")), QByteArray("B42S00001234"));
        QVERIFY(Send(reader, "A42V"));   // now addressed by its new number
        QVERIFY(!Send(reader, "A01V"));  // and no longer by the old one
    }

    void aNewLineSettingAppliesAfterTheReply() {
        ReaderModel reader(Defaults());
        QVERIFY(reader.Hears(Line("19200,e,8,1")));
        QVERIFY(Send(reader, "A00E2"));
        QVERIFY(reader.Hears(Line("9600,n,8,1")));
        QVERIFY(!reader.Hears(Line("19200,e,8,1")));
        QCOMPARE(reader.line(), Line("9600,n,8,1"));
    }

    void factoryDefaultRestoresTheReadersSettings() {
        ReaderOptions options = Defaults();
        options.readerNumber = 12;
        options.lineIndex = 0;
        ReaderModel reader(options);
        for (const char* command : {"A00N0500", "A00M0", "A00L32", "A00W0601FF", "A00W0F0101",
                                    "A00W0B0102", "A00O20", "A00C0000123433"})
            QVERIFY(Send(reader, command));
        QCOMPARE(BodyOf(Send(reader, "A00X5A")), QByteArray("OKX"));
        QCOMPARE(reader.options().readerNumber, 1);
        QCOMPARE(reader.options().lineIndex, 5);
        QCOMPARE(reader.sameCardSeconds(), 10);
        QCOMPARE(reader.inputNormallyOpen(), true);
        QCOMPARE(reader.rs485Format(), 1);
        QCOMPARE(reader.wiegandFormat(), 0);
        QCOMPARE(reader.radioAddress(), 49);
        QCOMPARE(reader.radioFrequency(), 59);
        QCOMPARE(reader.radioChannel(), 0);
        QCOMPARE(reader.rssiLevel(), 0);
        QCOMPARE(reader.options().serialNumber, QByteArray("00001234"));  // not a setting
        QVERIFY(reader.Hears(Line("19200,e,8,1")));
    }

    void resetAnswersThenIsDeafForTheRestartTime() {
        ReaderOptions options = Defaults();
        options.replyDelayMs = 2;
        options.restartMs = 1500;
        ReaderModel reader(options);
        QVERIFY(Send(reader, "A00HR", 1000));
        QVERIFY(reader.restarting(1001));
        QVERIFY(!Send(reader, "A00B", 1100));
        QVERIFY(!Send(reader, "A00B", 2501));
        // A frame begun while restarting does not complete afterwards.
        Feed(reader, "\tA00", 2501);
        QVERIFY(!Feed(reader, "B0A\r", 2502));
        QVERIFY(Send(reader, "A00B", 2502));
        QCOMPARE(reader.commandsReceived(), (QList<QByteArray>{"A00HR", "A00B"}));
    }

    void framesAreCollected_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("answered");

        QTest::newRow("a whole frame") << QByteArray("\tA00B0A\r") << true;
        QTest::newRow("junk before the TAB is ignored")
            << QByteArray("\r\n\xFFxyz\tA00B0A\r") << true;
        QTest::newRow("a TAB begins a new frame") << QByteArray("\tA00N\tA00B0A\r") << true;
        QTest::newRow("a wrong check is not answered") << QByteArray("\tA00B0B\r") << false;
        QTest::newRow("lower-case check characters are not answered")
            << QByteArray("\tA00B0a\r") << false;
        QTest::newRow("a CR without a TAB is nothing") << QByteArray("A00B0A\r") << false;
        QTest::newRow("a frame too short for its check is nothing") << QByteArray("\t0\r") << false;
        QTest::newRow("a frame longer than any command is dropped")
            << QByteArray("\t") + QByteArray(300, 'A') + "00\r" << false;
    }
    void framesAreCollected() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, answered);
        ReaderModel reader(Defaults());
        QCOMPARE(Feed(reader, bytes).has_value(), answered);
        QCOMPARE(reader.framesAnswered(), answered ? 1 : 0);
    }

    void hearsOnlyItsOwnLine() {
        ReaderModel reader(Defaults());  // 19200,e,8,1
        QVERIFY(reader.Hears(Line("19200,e,8,1")));
        QVERIFY(!reader.Hears(Line("19200,n,8,1")));
        QVERIFY(!reader.Hears(Line("9600,e,8,1")));
        QVERIFY(!reader.Hears(Line("19200,e,8,2")));
        // On a pseudo-terminal only the baud rate can be told.
        QVERIFY(reader.Hears(Line("19200,n,8,1"), false));
        QVERIFY(!reader.Hears(Line("38400,e,8,1"), false));
    }

    void faultsSpoilTheReply_data() {
        QTest::addColumn<ReaderFault>("fault");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray right("\nB01S000012341E\r");

        QTest::newRow("no fault") << ReaderFault::None << right;
        QTest::newRow("wrong check: still upper-case hex")
            << ReaderFault::WrongCheck << QByteArray("\nB01S000012341F\r");
        QTest::newRow("lower-case check")
            << ReaderFault::LowerCaseCheck << QByteArray("\nB01S000012341e\r");
        QTest::newRow("wrong length: a valid frame one longer")
            << ReaderFault::WrongLength << QByteArray("\nB01S0000123402E\r");
        QTest::newRow("noise before the frame")
            << ReaderFault::Noise << QByteArray("\xFF\x00\xF8", 3) + right;
        QTest::newRow("echo of the command")
            << ReaderFault::Echo << QByteArray("\tA00B0A\r") + right;
        QTest::newRow("slow turnaround: the LF lost")
            << ReaderFault::SlowTurnaround << right.mid(1);
    }
    void faultsSpoilTheReply() {
        QFETCH(ReaderFault, fault);
        QFETCH(QByteArray, bytes);
        ReaderOptions options = Defaults();
        options.fault = fault;
        ReaderModel reader(options);
        const auto reply = Send(reader, "A00B");
        QVERIFY(reply);
        QCOMPARE(reply->bytes, bytes);
        const bool valid =
            CheckReply(reinterpret_cast<const quint8*>(bytes.constData()), int(bytes.size())) &&
            bytes.startsWith('\n');
        QCOMPARE(valid, fault == ReaderFault::None || fault == ReaderFault::WrongLength);
    }

    void floodNeverEndsAFrame() {
        ReaderOptions options = Defaults();
        options.fault = ReaderFault::Flood;
        ReaderModel reader(options);
        const QByteArray bytes = Send(reader, "A00B")->bytes;
        QCOMPARE(bytes.size(), 2000);
        QCOMPARE(bytes[0], '\n');
        QVERIFY(!bytes.contains('\r'));
        QCOMPARE(bytes.count('\n'), 1);
    }

    void silentLateAndDisconnect() {
        ReaderOptions options = Defaults();
        options.replyDelayMs = 5;
        options.fault = ReaderFault::Silent;
        ReaderModel silent(options);
        QVERIFY(!Send(silent, "A00N0500"));
        QCOMPARE(silent.sameCardSeconds(), 500);  // it heard and obeyed, its answer is lost

        options.fault = ReaderFault::Late;
        ReaderModel late(options);
        const auto lateReply = Send(late, "A00B");
        QCOMPARE(lateReply->delayMs, 5 + ReaderModel::LateExtraMs);
        QCOMPARE(lateReply->bytes, QByteArray("\nB01S000012341E\r"));

        options.fault = ReaderFault::Disconnect;
        ReaderModel gone(options);
        const auto goneReply = Send(gone, "A00B");
        QVERIFY(goneReply && goneReply->disconnect);
        QVERIFY(goneReply->bytes.isEmpty());
    }

    void faultStartsAfterTheGivenFrames() {
        ReaderOptions options = Defaults();
        options.fault = ReaderFault::Silent;
        options.faultAfterFrames = 2;
        ReaderModel reader(options);
        QVERIFY(Send(reader, "A00B"));
        QVERIFY(!Feed(reader, "\tA00B0B\r"));  // a wrong check is no frame and does not count
        QVERIFY(Send(reader, "A00V"));
        QVERIFY(!Send(reader, "A00B"));
        QVERIFY(!Send(reader, "A00B"));
        QCOMPARE(reader.framesAnswered(), 4);
    }

    void characterTimeCountsEveryBit() {
        QCOMPARE(CharacterTimeUs(Line("9600,n,8,1")), quint64(1042));  // 10 bits
        QCOMPARE(CharacterTimeUs(Line("19200,e,8,1")), quint64(573));  // 11 bits
        QCOMPARE(CharacterTimeUs(Line("115200,n,8,1")), quint64(87));
        QCOMPARE(CharacterTimeUs(Line("4800,e,8,2")), quint64(2500));  // 12 bits
    }
};

QTEST_APPLESS_MAIN(ReaderModelTest)
#include "tst_reader_model.moc"
