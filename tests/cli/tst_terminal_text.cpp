// Text from outside the program as the terminal shows it: no control character reaches it.
#include <QTest>

#include "TerminalText.h"

class TerminalTextTest : public QObject {
    Q_OBJECT

  private slots:
    void controlsAreShownNotObeyed_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain text and Chinese stay")
            << QString::fromUtf8("Door 1, 东门 \\ 'x'") << QString::fromUtf8("Door 1, 东门 \\ 'x'");
        QTest::newRow("a character beyond the BMP stays")
            << QString::fromUtf8("\xF0\x9F\x9A\xAA") << QString::fromUtf8("\xF0\x9F\x9A\xAA");
        QTest::newRow("clear screen") << QString("\x1B[2J") << QString("\\e[2J");
        QTest::newRow("window title") << QString("\x1B]0;owned\x07") << QString("\\e]0;owned\\a");
        QTest::newRow("line breaks and tab") << QString("a\nb\rc\td") << QString("a\\nb\\rc\\td");
        QTest::newRow("NUL and DEL") << QString(QChar(0)) + "x\x7F" << QString("\\x00x\\x7F");
        QTest::newRow("C1 control sequence introducer")
            << QString(QChar(0x9B)) + "2J" << QString("\\u009B2J");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QString("\\uD800");
    }
    void controlsAreShownNotObeyed() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(TerminalText(text), shown);
        // What it shows is shown as it is: escaping twice changes nothing.
        QCOMPARE(TerminalText(TerminalText(text)), shown);
    }

    void bytesThatAreNotUtf8AreShownAsBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("UTF-8") << QByteArray("ttyUSB\xC3\xA9") << QString::fromUtf8("ttyUSBé");
        QTest::newRow("a stray byte") << QByteArray(
                                             "a\xFF"
                                             "b")
                                      << QString("a\\xFFb");
        QTest::newRow("an overlong slash") << QByteArray("\xC0\xAF") << QString("\\xC0\\xAF");
        QTest::newRow("an encoded surrogate")
            << QByteArray("\xED\xA0\x80") << QString("\\xED\\xA0\\x80");
        QTest::newRow("cut short at the end") << QByteArray("x\xE4\xB8") << QString("x\\xE4\\xB8");
        QTest::newRow("ESC in a name") << QByteArray("usb-\x1B[31m") << QString("usb-\\e[31m");
    }
    void bytesThatAreNotUtf8AreShownAsBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QCOMPARE(TerminalText(bytes), shown);
    }

    void anExcerptIsShortAndEscaped() {
        QCOMPARE(TerminalExcerpt(QString(100, 'a') + "\x1B", 4), QString("aaaa..."));
        QCOMPARE(TerminalExcerpt("\x1B"
                                 "b",
                                 4),
                 QString("\\eb"));
    }
};

QTEST_MAIN(TerminalTextTest)
#include "tst_terminal_text.moc"
