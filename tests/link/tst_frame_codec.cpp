#include <QtTest>

#include "FrameCodec.h"
#include "LineSetting.h"

// The frames and check characters that readers in the field rely on.
class FrameCodecTest : public QObject {
    Q_OBJECT
  private slots:
    void commandFrame_data() {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("check");
        QTest::newRow("A00B") << QByteArray("A00B") << QByteArray("0A");
        QTest::newRow("empty command") << QByteArray() << QByteArray("09");
        QTest::newRow("A00V") << QByteArray("A00V") << QByteArray("1E");
        QTest::newRow("A00F") << QByteArray("A00F") << QByteArray("0E");
        QTest::newRow("reader number") << QByteArray("A00C0000123407") << QByteArray("08");
        QTest::newRow("line speed B") << QByteArray("A00EB") << QByteArray("4F");
        QTest::newRow("line speed 0") << QByteArray("A00E0") << QByteArray("3D");
        QTest::newRow("factory default") << QByteArray("A00X5A") << QByteArray("64");
        QTest::newRow("reset") << QByteArray("A00HR") << QByteArray("52");
        QTest::newRow("same card") << QByteArray("A00N0010") << QByteArray("07");
        QTest::newRow("input NC") << QByteArray("A00M0") << QByteArray("35");
        QTest::newRow("input NO") << QByteArray("A00M1") << QByteArray("34");
        QTest::newRow("radio address") << QByteArray("A00W060131") << QByteArray("1A");
        QTest::newRow("rssi FA") << QByteArray("A00OFA") << QByteArray("00");
    }
    void commandFrame() {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, check);
        QCOMPARE(ByteToHex(CommandCheck(command)), check);
        QCOMPARE(CommandFrame(command), QByteArray("\t") + command + check + "\r");
    }

    void commandFrameBytes() {
        QCOMPARE(CommandFrame("A00B").toHex(' '), QByteArray("09 41 30 30 42 30 41 0d"));
        QCOMPARE(CommandFrame("").toHex(' '), QByteArray("09 30 39 0d"));
    }

    void byteToHexIsUpperCase_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("hex");
        QTest::newRow("zero") << 0 << QByteArray("00");
        QTest::newRow("nine ten") << 0x9A << QByteArray("9A");
        QTest::newRow("all ones") << 0xFF << QByteArray("FF");
        QTest::newRow("high nibble only") << 0xC0 << QByteArray("C0");
    }
    void byteToHexIsUpperCase() {
        QFETCH(int, value);
        QFETCH(QByteArray, hex);
        QCOMPARE(ByteToHex(quint8(value)), hex);
    }

    void checkReply_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<bool>("valid");
        QTest::newRow("empty body, check 0A") << QByteArray::fromHex("0A30410D") << true;
        QTest::newRow("lower-case check character is rejected")
            << QByteArray::fromHex("0A30610D") << false;
        QTest::newRow("wrong check") << QByteArray::fromHex("0A30420D") << false;
        QTest::newRow("three bytes are never valid") << QByteArray::fromHex("0A300D") << false;
        QTest::newRow("built reply") << ReplyFrame("B01 00001234") << true;
        QTest::newRow("zero byte in body counts in the check")
            << ReplyFrame(QByteArray("AB\0CD", 5)) << true;
    }
    void checkReply() {
        QFETCH(QByteArray, frame);
        QFETCH(bool, valid);
        QCOMPARE(CheckReply(reinterpret_cast<const quint8*>(frame.constData()), frame.size()),
                 valid);
    }

    void hexToInt_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint32>("value");
        QTest::newRow("0000ABCD") << QByteArray("0000ABCD") << 43981;
        QTest::newRow("lower case counts as zero digits") << QByteArray("abcd") << 0;
        QTest::newRow("short text fills up on the right") << QByteArray("12") << 301989888;
        QTest::newRow("all ones is -1") << QByteArray("FFFFFFFF") << -1;
        QTest::newRow("ninth character ignored") << QByteArray("123456789") << 305419896;
        QTest::newRow("non-hex digit is zero") << QByteArray("0000000G") << 0;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("lowest negative") << QByteArray("80000000") << qint32(0x80000000u);
    }
    void hexToInt() {
        QFETCH(QByteArray, text);
        QFETCH(qint32, value);
        QCOMPARE(HexToInt(text), value);
    }

    void lineSettings_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("parses");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("parity");
        QTest::newRow("19200,e,8,1") << "19200,e,8,1" << true << 19200 << int(Parity::Even);
        QTest::newRow("115200,n,8,1") << "115200,n,8,1" << true << 115200 << int(Parity::None);
        QTest::newRow("upper-case parity") << "4800,E,8,1" << true << 4800 << int(Parity::Even);
        QTest::newRow("missing field") << "19200,e,8" << false << 0 << 0;
        QTest::newRow("letters for baud") << "fast,e,8,1" << false << 0 << 0;
        QTest::newRow("unknown parity") << "9600,x,8,1" << false << 0 << 0;
        QTest::newRow("empty") << "" << false << 0 << 0;
    }
    void lineSettings() {
        QFETCH(QString, text);
        QFETCH(bool, parses);
        const auto line = ParseLineSetting(text);
        QCOMPARE(line.has_value(), parses);
        if (!parses) return;
        QFETCH(int, baud);
        QFETCH(int, parity);
        QCOMPARE(line->baudRate, baud);
        QCOMPARE(int(line->parity), parity);
        QCOMPARE(line->dataBits, 8);
        QCOMPARE(int(line->stopBits), int(StopBits::One));
    }

    void tableEntriesAllParse() {
        for (const char* text : LineSettingTable) QVERIFY2(ParseLineSetting(text), text);
        QCOMPARE(LineSettingIndex("19200,e,8,1"), 5);
        QCOMPARE(LineSettingIndex("115200,e,8,1"), 11);
        QCOMPARE(LineSettingIndex("19200,E,8,1"), -1);
    }
};

QTEST_GUILESS_MAIN(FrameCodecTest)
#include "tst_frame_codec.moc"
