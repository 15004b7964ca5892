// The setting commands' texts as they are formed from the controls' values, without a line.
#include <QtTest>

#include "SettingCommands.h"

class SettingCommandTextsTest : public QObject {
    Q_OBJECT

  private slots:
    void command_data() {
        QTest::addColumn<QByteArray>("formed");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray reply = "\nB01 00004321A7\r";  // a presence reply: serial at 6 to 13
        const auto row = [](const char* name, const QByteArray& formed, const char* expected) {
            QTest::newRow(name) << formed << QByteArray(expected);
        };
        row("same-card time is four digits", SameCardCommand(7), "A00N0007");
        row("same-card time at its top", SameCardCommand(9999), "A00N9999");
        row("input NO is 1", InputPolarityCommand(true), "A00M1");
        row("input NC is 0", InputPolarityCommand(false), "A00M0");
        row("mode: RS485 index, then Wiegand", ReaderModeCommand(3, 1), "A00L31");
        row("reader id carries the replied serial", ReaderIdCommand(reply, "07"), "A00C0000432107");
        row("reader id from a cut reply is none", ReaderIdCommand(reply.left(12), "07"), "");
        row("line speed index 10 is hex A", LineSpeedCommand(10), "A00EA");
        row("line speed index 11 is the last", LineSpeedCommand(11), "A00EB");
        row("line speed past the table is none", LineSpeedCommand(12), "");
        row("no line speed selected is none", LineSpeedCommand(-1), "");
        row("radio address below 16 keeps its zero", RadioCommand(RadioSetting::Address, 9),
            "A00W060109");
        row("radio frequency in upper case", RadioCommand(RadioSetting::Frequency, 59),
            "A00W0F013B");
        row("radio channel", RadioCommand(RadioSetting::Channel, 255), "A00W0B01FF");
        row("RSSI level at its top", RssiCommand(250), "A00OFA");
    }
    void command() {
        QFETCH(QByteArray, formed);
        QFETCH(QByteArray, expected);
        QCOMPARE(formed, expected);
    }
};

QTEST_GUILESS_MAIN(SettingCommandTextsTest)
#include "tst_setting_command_texts.moc"
