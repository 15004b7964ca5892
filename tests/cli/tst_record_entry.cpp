// One entry of the site's record as a CSV line and as a JSON line.
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTimeZone>

#include "RecordEntry.h"

class RecordEntryTest : public QObject {
    Q_OBJECT

  private slots:
    void csvCellsAreQuotedWhereTheyMustBe() {
        RecordEntry entry;
        entry.time = QDateTime(QDate(2026, 12, 10), QTime(8, 15, 2, 417), QTimeZone(3600));
        entry.command = "provision";
        entry.written = {{"id", "12"}, {"same-card", 20}, {"line-speed", "38400,n,8,1"}};
        entry.label = "Car park, \"lane\" 2";
        entry.result = "error";
        entry.failed = "line-speed";
        QCOMPARE(CsvLine(entry), QByteArray("2026-12-10T08:15:02.417+01:00,provision,,,,,,12,20,,,,"
                                            "\"38400,n,8,1\",\"Car park, \"\"lane\"\" 2\",error,"
                                            "line-speed\n"));
        QCOMPARE(CsvHeader().count(','), CsvLine(entry).count(',') - 4);  // four quoted commas
    }

    void jsonLineLeavesOutWhatIsNotThere() {
        RecordEntry entry;
        entry.time = QDateTime::currentDateTime();
        entry.result = "ok";
        const QByteArray line = JsonLine(entry);
        QVERIFY(line.endsWith('\n') && line.count('\n') == 1);
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        QVERIFY(!object.contains("label") && !object.contains("failed"));
        QCOMPARE(object.value("result").toString(), QString("ok"));
    }
};

QTEST_MAIN(RecordEntryTest)
#include "tst_record_entry.moc"
