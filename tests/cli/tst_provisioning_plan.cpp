// A provisioning plan read from its CSV text: what a row gives, and each mistake named by its
// file, line and column before any port is touched.
#include <QTest>

#include "ProvisioningPlan.h"
#include "ValueChecks.h"

class ProvisioningPlanTest : public QObject {
    Q_OBJECT

  private slots:
    void rowsGiveNumberSettingsAndLabel() {
        const ProvisioningPlan plan =
            ParsePlan("site.csv",
                      "\xEF\xBB\xBFserial,number,rssi,rs485,wiegand,label,line-speed\r\n"
                      "SERA0001,12,100,40,34,\"Door 1, east\",\r\n"
                      "\r\n"
                      "SERB0002,7,,,,,\"38400,n,8,1\"\r\n");
        QCOMPARE(int(plan.rows.size()), 2);
        const PlanRow* door = plan.Find("SERA0001");
        QVERIFY(door);
        const SettingValues expected{{SettingKey::Id, {{12, 0}}},
                                     {SettingKey::Rssi, {{100, 0}}},
                                     {SettingKey::Mode, {{2, 1}}}};
        QVERIFY(door->values == expected);
        QCOMPARE(door->label, QString("Door 1, east"));
        QCOMPARE(plan.Find("SERB0002")->line, 4);
        QVERIFY(!plan.Find("SERC0003"));
    }

    void mistakes_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("named");
        QTest::newRow("unknown column")
            << QByteArray("serial,number,door\nSERA0001,1,x\n") << "site.csv line 1, column door:";
        QTest::newRow("no number column")
            << QByteArray("serial,label\nSERA0001,x\n") << "site.csv line 1: no column number";
        QTest::newRow("number out of range") << QByteArray("serial,number\nSERA0001,100\n")
                                             << "site.csv line 2, column number: number must be "
                                                "from 1 to 99, not 100.";
        QTest::newRow("rssi out of range")
            << QByteArray("serial,number,rssi\nSERA0001,1,5\nSERB0002,2,251\n")
            << "site.csv line 3, column rssi:";
        QTest::newRow("serial twice") << QByteArray("serial,number\nSERA0001,1\nSERA0001,2\n")
                                      << "site.csv line 3, column serial: SERA0001 is on line 2";
        QTest::newRow("number twice") << QByteArray("serial,number\nSERA0001,5\nSERB0002,05\n")
                                      << "site.csv line 3, column number: number 5 is on line 2";
        QTest::newRow("line setting not in the table")
            << QByteArray("serial,number,line-speed\nSERA0001,1,\"38400,o,8,1\"\n")
            << "site.csv line 2, column line-speed:";
        QTest::newRow("rs485 without wiegand") << QByteArray("serial,number,rs485\nSERA0001,1,32\n")
                                               << "site.csv line 2: rs485 and wiegand";
        QTest::newRow("serial too short")
            << QByteArray("serial,number\nSERA001,1\n") << "site.csv line 2, column serial:";
        QTest::newRow("more cells than the header")
            << QByteArray("serial,number\nSERA0001,1,x\n") << "site.csv line 2:";
        QTest::newRow("no reader") << QByteArray("serial,number\n") << "site.csv:";
        // A cell is text: UTF-8 without a control character, quoted or not.
        QTest::newRow("an escape sequence in a label")
            << QByteArray("serial,number,label\nSERA0001,1,\x1b]0;owned\x07\n")
            << "site.csv line 2, column label: a control character (\\e) is not text.";
        QTest::newRow("NUL in a quoted label, told to the end")
            << QByteArray("serial,number,label\nSERA0001,1,\"a") + '\0' + "b\"\n"
            << "site.csv line 2, column label: a control character (\\x00) is not text.";
        QTest::newRow("a tab around a number")
            << QByteArray("serial,number\nSERA0001,\t1\n")
            << "site.csv line 2, column number: a control character (\\t) is not text.";
        QTest::newRow("a label not UTF-8")
            << QByteArray("serial,number,label\nSERA0001,1,Door \xff\n")
            << "site.csv line 2, column label: not UTF-8 text.";
        QTest::newRow("a control character in the header, by its place")
            << QByteArray(
                   "serial,number,lab\x1b"
                   "el\nSERA0001,1,x\n")
            << "site.csv line 1, column 3: a control character (\\e) is not text.";
        // What the file holds is quoted short, or not at all when it is no plan.
        QTest::newRow("another file's first line is not quoted")
            << QByteArray("root:$6$secretsalt$hash:19000:0:99999:7:::\n")
            << "site.csv line 1: not a plan: the first line names none of its columns (serial, ";
        QTest::newRow("a long unknown column, an excerpt")
            << QByteArray("serial,number,") + QByteArray(100, 'x') + "\nSERA0001,1,x\n"
            << "site.csv line 1, column " + QString(32, 'x') + "...: not a column";
    }
    void mistakes() {
        QFETCH(QByteArray, text);
        QFETCH(QString, named);
        try {
            ParsePlan("site.csv", text);
            QFAIL("the plan was taken");
        } catch (const UsageMistake& mistake) {
            QVERIFY2(mistake.text.startsWith(named), qPrintable(mistake.text));
            // One line of text, and what it quotes of the file is short.
            for (const QChar c : mistake.text) QVERIFY(c.category() != QChar::Other_Control);
            QVERIFY(!mistake.text.contains("secret"));
            QVERIFY2(mistake.text.size() < 200, qPrintable(mistake.text));
        }
    }
};

QTEST_MAIN(ProvisioningPlanTest)
#include "tst_provisioning_plan.moc"
