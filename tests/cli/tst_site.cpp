// The site as its record says it stands, and a replacement configured like the reader it
// replaces: records written by the tool's own writer, read back, against what must show.
#include <QJsonArray>
#include <QTest>
#include <QTimeZone>

#include "ConsoleTexts.h"
#include "LikeReader.h"
#include "ProvisioningPlan.h"
#include "SiteReport.h"
#include "ValueChecks.h"

namespace {

RecordEntry E(int minute, const QString& command, const QString& serial, const QString& after,
              const QJsonObject& written, const QString& label = {}, const QString& failed = {},
              const QString& result = {}) {
    RecordEntry e;
    e.time = QDateTime(QDate(2026, 12, 10), QTime(8, minute), QTimeZone(3600));
    e.command = command;
    e.port = "COM5";
    e.serial = serial;
    e.version = "01.70-01";
    e.readerBefore = "01";
    e.readerAfter = after;
    e.written = written;
    e.label = label;
    e.result = !result.isEmpty() ? result : failed.isEmpty() ? "ok" : "error";
    e.failed = failed;
    return e;
}

QString At(int minute) {
    return QStringLiteral("2026-12-10T08:%1:00.000+01:00").arg(minute, 2, 10, QLatin1Char('0'));
}

QByteArray Csv(const QList<RecordEntry>& entries) {
    QByteArray text = CsvHeader();
    for (const RecordEntry& e : entries) text += CsvLine(e);
    return text;
}

QByteArray Jsonl(const QList<RecordEntry>& entries) {
    QByteArray text;
    for (const RecordEntry& e : entries) text += JsonLine(e);
    return text;
}

std::vector<RecordedEntry> Read(const QByteArray& csv, const QByteArray& jsonl = {}) {
    std::vector<RecordedEntry> all = ParseRecord("r.csv", csv);
    const std::vector<RecordedEntry> more = ParseRecord("r.jsonl", jsonl);
    all.insert(all.end(), more.begin(), more.end());
    MergeInTimeOrder(all);
    return all;
}

const QString NoneYet = "not recorded: input, mode, line-speed";
const QString Nothing = "not recorded: same-card, input, mode, rssi, line-speed";

// A door's line: its name, reader, settings, and how its last write at `minute` ended.
QString Line(const QString& door, const QString& serial, const QString& number,
             const QString& settings, int minute, const QString& end = "Ok") {
    return door + "  S/N " + serial + "  reader " + number + "  " + settings + "  last written " +
           At(minute) + " " + end;
}

}  // namespace

class SiteTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { SetConsoleLanguage(0); }

    void recordsShowTheSite_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QByteArray>("jsonl");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("language");
        const QJsonObject given{{"id", "05"}, {"same-card", 20}, {"rssi", 100}};
        const QString held = "same-card=20  not recorded: input, mode, rssi, line-speed";
        QTest::newRow("a later set-rssi of the same serial counts")
            << Csv({E(1, "provision", "SERA0001", "05", given, "Door 1"),
                    E(2, "set-rssi", "SERA0001", "05", {{"rssi", 120}})})
            << QByteArray()
            << QStringList{Line("Door 1", "SERA0001", "05", "same-card=20 rssi=120  " + NoneYet, 2),
                           "Doors: 1, to look at: 0"}
            << 0;
        QTest::newRow("CSV and JSON lines merged in time order")
            << Csv({E(1, "provision", "SERA0001", "05", given, "Door 1"),
                    E(3, "set-rssi", "SERA0001", "05", {{"rssi", 130}})})
            << Jsonl({E(2, "set-rssi", "SERA0001", "05", {{"rssi", 120}})})
            << QStringList{Line("Door 1", "SERA0001", "05", "same-card=20 rssi=130  " + NoneYet, 3),
                           "Doors: 1, to look at: 0"}
            << 0;
        QTest::newRow("a setting not confirmed is not held")
            << Csv({E(1, "provision", "SERA0001", "05", {{"id", "05"}, {"same-card", 20}},
                      "Door 1"),
                    E(2, "set-rssi", "SERA0001", "05", {{"rssi", 120}}, {}, "rssi")})
            << QByteArray()
            << QStringList{Line("Door 1", "SERA0001", "05", held, 2,
                                "Error: rssi=120 not confirmed"),
                           "  ! Door 1: the last write failed (r.csv line 3)",
                           "Doors: 1, to look at: 1"}
            << 0;
        QTest::newRow("the port gone in the middle: what came before it is held")
            << QByteArray()
            << Jsonl({E(1, "provision", "SERA0001", "05", given, "Door 1", "rssi", "port-gone")})
            << QStringList{Line("Door 1", "SERA0001", "05", held, 1,
                                "Error: rssi=100 not confirmed (the port went away)"),
                           "  ! Door 1: the last write failed (r.jsonl line 1)",
                           "Doors: 1, to look at: 1"}
            << 0;
        QTest::newRow("renumbered")
            << Csv({E(1, "provision", "SERA0001", "05", given, "Door 1"),
                    E(2, "set-id", "SERA0001", "07", {{"id", "07"}})})
            << QByteArray()
            << QStringList{Line("Door 1", "SERA0001", "07", "same-card=20 rssi=100  " + NoneYet, 2),
                           "Doors: 1, to look at: 0"}
            << 0;
        QTest::newRow("a replacement given the old one's number")
            << Csv({E(1, "provision", "SERA0001", "05", given, "Door 1"),
                    E(9, "provision", "SERB0002", "05", {{"id", "05"}, {"rssi", 100}}, "Door 1")})
            << QByteArray()
            << QStringList{Line("Door 1", "SERB0002", "05",
                                "rssi=100  not recorded: same-card, input, mode, line-speed", 9),
                           "  ! Door 1: S/N SERA0001 replaced by S/N SERB0002",
                           "Doors: 1, to look at: 1"}
            << 0;
        QTest::newRow("two readers under one label, two numbers: both in service")
            << Csv({E(1, "provision", "SERA0001", "05", {{"id", "05"}}, "Door 1"),
                    E(2, "provision", "SERB0002", "06", {{"id", "06"}}, "Door 1")})
            << QByteArray()
            << QStringList{Line("Door 1", "SERA0001", "05", Nothing, 1),
                           "  ! Door 1: also in service under this label: S/N SERB0002",
                           Line("Door 1", "SERB0002", "06", Nothing, 2),
                           "  ! Door 1: also in service under this label: S/N SERA0001",
                           "Doors: 2, to look at: 2"}
            << 0;
        QTest::newRow("one number at two doors, a reader without a label, a serial moved")
            << Csv({E(1, "provision", "SERA0001", "05", {{"id", "05"}}, "Door 1"),
                    E(2, "provision", "SERB0002", "06", {{"id", "06"}}, "Door 2"),
                    E(3, "set-id", "SERC0003", "05", {{"id", "05"}}),
                    E(4, "provision", "SERB0002", "06", {{"id", "06"}}, "Door 3")})
            << QByteArray()
            << QStringList{Line("Door 1", "SERA0001", "05", Nothing, 1),
                           "  ! Door 1: reader number 05 also at SERC0003",
                           Line("SERC0003", "SERC0003", "05", Nothing, 3),
                           "  ! SERC0003: reader number 05 also at Door 1",
                           Line("Door 3", "SERB0002", "06", Nothing, 4),
                           "  ! Door 3: S/N SERB0002 was written as Door 2 before",
                           "Doors: 3, to look at: 3"}
            << 0;
        QTest::newRow("a factory default leaves the factory values")
            << Csv({E(1, "provision", "SERA0001", "05",
                      {{"id", "05"}, {"rssi", 100}, {"line-speed", "9600,n,8,1"}}, "Door 1"),
                    E(2, "factory-default", "SERA0001", "01", {})})
            << QByteArray()
            << QStringList{Line("Door 1", "SERA0001", "01",
                                "same-card=10 input=no mode=rs485-32,wiegand-26 rssi=0 "
                                "line-speed=19200,e,8,1",
                                2),
                           "Doors: 1, to look at: 0"}
            << 0;
        QTest::newRow("a label with control characters is shown escaped")
            << Csv({E(1, "provision", "SERA0001", "05", {{"id", "05"}}, "\x1B]0;x\x07")})
            << QByteArray()
            << QStringList{Line("\\e]0;x\\a", "SERA0001", "05", Nothing, 1),
                           "Doors: 1, to look at: 0"}
            << 0;
        QTest::newRow("in the run's language: keys, values, names and times stay")
            << QByteArray()
            << Jsonl({E(1, "provision", "SERA0001", "05", given, "Door 1", "rssi", "port-gone")})
            << QStringList{"Door 1  序号 SERA0001  读卡机 05  same-card=20  没有记录：input、mode、"
                           "rssi、line-speed  最后写入 " + At(1) +
                               " 错误：rssi=100 没有得到确认（串口已断开）",
                           "  ! Door 1：最后一次写入失败（r.jsonl 第 1 行）", "门：1，需要查看：1"}
            << 1;
    }
    void recordsShowTheSite() {
        QFETCH(QByteArray, csv);
        QFETCH(QByteArray, jsonl);
        QFETCH(QStringList, lines);
        QFETCH(int, language);
        SetConsoleLanguage(language);
        QCOMPARE(SiteLines(SiteOf(Read(csv, jsonl))), lines);
    }

    void aDoorForScripts() {
        const Site site = SiteOf(Read(
            Csv({E(1, "provision", "SERA0001", "05", {{"id", "05"}, {"same-card", 20}}, "Door 1"),
                 E(2, "provision", "SERB0002", "05", {{"id", "05"}, {"rssi", 90}}, "Door 1",
                   "rssi")})));
        const std::vector<QJsonObject> objects = SiteObjects(site);
        QCOMPARE(int(objects.size()), 1);
        const QJsonObject& door = objects[0];
        QCOMPARE(door["door"].toString(), QString("Door 1"));
        QCOMPARE(door["serial"].toString(), QString("SERB0002"));
        QCOMPARE(door["settings"].toObject(), QJsonObject({{"id", "05"}}));
        QCOMPARE(door["not-recorded"].toArray().size(), 5);
        QCOMPARE(door["result"].toString(), QString("error"));
        QCOMPARE(door["failed"].toString(), QString("rssi"));
        QCOMPARE(door["failed-value"].toInt(), 90);
        QCOMPARE(door["replaced"].toArray(), QJsonArray({"SERA0001"}));
        QVERIFY(door["look"].toBool());
    }

    void thePlanShowsWhatIsStillToDo() {
        const ProvisioningPlan plan = ParsePlan("plan.csv",
                                                "serial,number,rssi,label\n"
                                                "SERA0001,5,100,Door 1\n"
                                                "SERC0003,6,90,Door 2\n"
                                                "SERD0004,7,,Door 3\n");
        const auto entries = Read(
            Csv({E(1, "provision", "SERA0001", "05", {{"id", "05"}, {"rssi", 100}}, "Door 1"),
                 E(2, "provision", "SERC0003", "06", {{"id", "06"}, {"rssi", 80}}, "Door 2"),
                 E(3, "provision", "SERB0002", "05", {{"id", "05"}, {"rssi", 100}}, "Door 1")}));
        const QStringList lines = SiteLines(SiteOf(entries, &plan));
        QCOMPARE(lines.filter("!"),
                 QStringList({"  ! Door 1: S/N SERA0001 replaced by S/N SERB0002",
                              "  ! Door 1: the plan (line 2) has serial=SERA0001, the record "
                              "serial=SERB0002",
                              "  ! Door 2: the plan (line 3) has rssi=90, the record rssi=80"}));
        QCOMPARE(lines.mid(lines.size() - 2),
                 QStringList({"Door 3  S/N SERD0004  reader 07  not yet done (plan line 4)",
                              "Doors: 2, to look at: 2, of the plan not yet done: 1"}));
    }

    void likeCopiesWhatTheRecordHolds_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QStringList>("notRecorded");
        QTest::newRow("number and every setting held, the line speed last")
            << "Door 1"
            << QStringList{"id=05", "same-card=20", "mode=rs485-64,wiegand-42", "rssi=120",
                           "line-speed=9600,n,8,1"}
            << QStringList{"input"};
        QTest::newRow("after a replacement, the reader in service")
            << "Door 2" << QStringList{"id=06", "rssi=90"}
            << QStringList{"same-card", "input", "mode", "line-speed"};
    }
    void likeCopiesWhatTheRecordHolds() {
        QFETCH(QString, label);
        QFETCH(QStringList, settings);
        QFETCH(QStringList, notRecorded);
        const auto entries = Read(
            Csv({E(1, "provision", "SERA0001", "05",
                   {{"id", "05"}, {"same-card", 20}, {"line-speed", "9600,n,8,1"}}, "Door 1"),
                 E(2, "set-mode", "SERA0001", "05", {{"mode", "rs485-64,wiegand-42"}}),
                 E(3, "set-rssi", "SERA0001", "05", {{"rssi", 120}}),
                 E(4, "set-input", "SERA0001", "05", {{"input", "nc"}}, {}, "input"),
                 E(5, "provision", "SERB0002", "06", {{"id", "06"}, {"rssi", 80}}, "Door 2"),
                 E(6, "provision", "SERC0003", "06", {{"id", "06"}, {"rssi", 90}}, "Door 2")}));
        const LikeSettings like = ResolveLike(entries, label);
        QStringList pairs;
        for (const auto& [key, value] : like.settings) pairs << key + "=" + value;
        QCOMPARE(pairs, settings);
        QCOMPARE(like.notRecorded, notRecorded);
    }

    void likeRefusesWhatItCannotKnow_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("named");
        QTest::addColumn<int>("language");
        QTest::newRow("a label the record does not know")
            << "Door 9"
            << "--like \"Door 9\": the record does not know the label." << 0;
        QTest::newRow("two readers in service")
            << "Door 1"
            << "--like \"Door 1\": the record holds 2 readers in service there (S/N SERA0001, "
               "SERB0002)"
            << 0;
        QTest::newRow("its reader moved away")
            << "Door 2"
            << "--like \"Door 2\": the record holds no reader there now; S/N SERC0003 was the "
               "last, and is at \"Door 3\" since."
            << 0;
        QTest::newRow("in the run's language") << "Door 9"
                                               << "--like 「Door 9」：記錄中沒有這個標籤。" << 2;
    }
    void likeRefusesWhatItCannotKnow() {
        QFETCH(QString, label);
        QFETCH(QString, named);
        QFETCH(int, language);
        SetConsoleLanguage(language);
        const auto entries =
            Read(Csv({E(1, "provision", "SERA0001", "05", {{"id", "05"}}, "Door 1"),
                      E(2, "provision", "SERB0002", "06", {{"id", "06"}}, "Door 1"),
                      E(3, "provision", "SERC0003", "07", {{"id", "07"}}, "Door 2"),
                      E(4, "provision", "SERC0003", "07", {{"id", "07"}}, "Door 3")}));
        try {
            ResolveLike(entries, label);
            QFAIL("resolved");
        } catch (const UsageMistake& mistake) {
            QVERIFY2(mistake.text.startsWith(named), qPrintable(mistake.text));
        }
    }

    void likeRefusesAReaderOfAnotherDoor_data() {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<bool>("refused");
        QTest::newRow("a new reader") << "SERN0009" << false;
        QTest::newRow("the reader of the door itself") << "SERA0001" << false;
        QTest::newRow("a reader without a label") << "SERC0003" << false;
        QTest::newRow("the reader of another door") << "SERB0002" << true;
        QTest::newRow("a reader replaced at another door") << "SERD0004" << true;
    }
    void likeRefusesAReaderOfAnotherDoor() {
        QFETCH(QString, serial);
        QFETCH(bool, refused);
        const auto entries =
            Read(Csv({E(1, "provision", "SERA0001", "05", {{"id", "05"}}, "Door 1"),
                      E(2, "provision", "SERD0004", "06", {{"id", "06"}}, "Door 2"),
                      E(3, "provision", "SERB0002", "06", {{"id", "06"}}, "Door 2"),
                      E(4, "set-id", "SERC0003", "07", {{"id", "07"}})}));
        const QString problem = LikeReaderProblem(entries, "Door 1", serial);
        QCOMPARE(!problem.isEmpty(), refused);
        if (refused)
            QCOMPARE(problem, "S/N " + serial +
                                  " is the reader of \"Door 2\" in the record; --force writes it "
                                  "as \"Door 1\" all the same.");
    }
};

QTEST_MAIN(SiteTest)
#include "tst_site.moc"
