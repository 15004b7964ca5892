// A site's record read back: every entry as it was written, CSV or JSON lines, old and new,
// several files in time order; a record with a mistake refused with its file and line.
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include "ConsoleTexts.h"
#include "RecordFile.h"
#include "RecordReader.h"
#include "ValueChecks.h"

namespace {

RecordEntry Entry(int minute, const QString& label, const QString& serial = "SERA0001") {
    RecordEntry e;
    e.time = QDateTime(QDate(2026, 12, 10), QTime(8, minute), QTimeZone(3600));
    e.command = "provision";
    e.port = "COM5";
    e.serial = serial;
    e.version = "01.70-01";
    e.readerBefore = "01";
    e.readerAfter = "12";
    e.written = {{"id", "12"}, {"same-card", 20}, {"mode", "rs485-64,wiegand-42"}};
    e.label = label;
    e.result = "ok";
    return e;
}

QByteArray Text(const RecordEntry& e, RecordFormat format) {
    return format == RecordFormat::Csv ? CsvHeader() + CsvLine(e) : JsonLine(e);
}

void CompareFields(const RecordEntry& read, const RecordEntry& written) {
    QCOMPARE(read.time, written.time);
    QCOMPARE(read.time.offsetFromUtc(), written.time.offsetFromUtc());
    QCOMPARE(read.command, written.command);
    QCOMPARE(read.port, written.port);
    QCOMPARE(read.serial, written.serial);
    QCOMPARE(read.version, written.version);
    QCOMPARE(read.readerBefore, written.readerBefore);
    QCOMPARE(read.readerAfter, written.readerAfter);
    QCOMPARE(read.written, written.written);
    QCOMPARE(read.label, written.label);
    QCOMPARE(read.result, written.result);
    QCOMPARE(read.failed, written.failed);
}

}  // namespace

class RecordReaderTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { SetConsoleLanguage(0); }

    void entriesReadBackAsWritten_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("serial");
        const QString nul(QChar(0));
        QTest::newRow("plain") << "Door 1"
                               << "SERA0001";
        QTest::newRow("comma, quote, line break") << "Car park, \"lane\"\n2\r\nexit"
                                                  << "SERA0001";
        QTest::newRow("a formula") << "=HYPERLINK(\"http://x\",\"y\")"
                                   << "SERA0001";
        QTest::newRow("a formula behind a quote") << "'=1+1"
                                                  << "SERA0001";
        QTest::newRow("a quote before text") << "'Door"
                                             << "SERA0001";
        QTest::newRow("tab, CR first") << "\tDoor\r"
                                       << "SERA0001";
        QTest::newRow("a serial a spreadsheet would compute") << ""
                                                              << "-1+23456";
        QTest::newRow("NUL and ESC") << nul + "\x1B[2J"
                                     << "@ERA0001";
        QTest::newRow("spaces around") << "  Door 1 "
                                       << "SERA0001";
        QTest::newRow("a byte order mark first") << QString(QChar(0xFEFF)) + "Door"
                                                 << "SERA0001";
    }
    void entriesReadBackAsWritten() {
        QFETCH(QString, label);
        QFETCH(QString, serial);
        RecordEntry written = Entry(15, label, serial);
        written.result = "error";
        written.failed = "mode";
        for (const RecordFormat format : {RecordFormat::Csv, RecordFormat::JsonLines}) {
            const QString name = format == RecordFormat::Csv ? "r.csv" : "r.jsonl";
            const auto read = ParseRecord(name, Text(written, format));
            QCOMPARE(int(read.size()), 1);
            CompareFields(read[0].entry, written);
            QCOMPARE(read[0].line, format == RecordFormat::Csv ? 2 : 1);
        }
    }

    // A spreadsheet shows a formula-like cell as text when it begins with a single quote.
    void formulaCellsAreQuotedText() {
        RecordEntry e = Entry(1, "=cmd|' /C calc'!A0", "+1234567");
        const QByteArray line = CsvLine(e);
        QVERIFY2(line.contains(",\"'+1234567\","), line);
        QVERIFY2(line.contains(",\"'=cmd|' /C calc'!A0\","), line);
        QVERIFY(JsonLine(e).contains("\"label\":\"=cmd|' /C calc'!A0\""));
    }

    // As the tool writes it, and as a hand or another program may leave it.
    void recordsOfEveryShapeAreRead_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<int>>("lines");
        const QByteArray header = CsvHeader();
        const QByteArray one = CsvLine(Entry(1, "Door 1"));
        QTest::newRow("empty") << QByteArray() << QList<int>{};
        QTest::newRow("last line without its line feed")
            << header + one + one.chopped(1) << QList<int>{2, 3};
        QTest::newRow("CRLF, a byte order mark, blank lines")
            << "\xEF\xBB\xBF" + header.chopped(1) + "\r\n\r\n" + one.chopped(1) + "\r\n"
            << QList<int>{3};
        QTest::newRow("a label over two lines counts from its start")
            << header + CsvLine(Entry(1, "a\nb")) + one << QList<int>{2, 4};
        QTest::newRow("columns in another order, some missing")
            << QByteArray("serial,result,time\nSERA0001,ok,2026-12-10T08:01:00.000+01:00\n")
            << QList<int>{2};
    }
    void recordsOfEveryShapeAreRead() {
        QFETCH(QByteArray, text);
        QFETCH(QList<int>, lines);
        const auto read = ParseRecord("r.csv", text);
        QList<int> found;
        for (const RecordedEntry& e : read) found << e.line;
        QCOMPARE(found, lines);
    }

    void mistakesAreRefusedWithTheirLine_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("named");
        QTest::addColumn<int>("language");
        const QByteArray header = CsvHeader();
        const QByteArray one = CsvLine(Entry(1, "Door 1"));
        QByteArray bad = one;
        QTest::newRow("unknown column") << "r.csv" << QByteArray("time,serial,result,door\n")
                                        << "r.csv line 1: not a column of a record: \"door\"" << 0;
        QTest::newRow("a line of the wrong length")
            << "r.csv" << header + one + "2026-12-10T08:01:00.000+01:00,set-id\n"
            << "r.csv line 3: 2 cells, the header has 16" << 0;
        QTest::newRow("no time") << "r.csv" << header + bad.replace("2026-12-10T08:01", "yesterday")
                                 << "r.csv line 2, column time: not a time" << 0;
        bad = one;
        QTest::newRow("a value the reader does not take")
            << "r.csv" << header + one + bad.replace(",20,", ",10000,")
            << "r.csv line 3, column same-card: same-card must be from 0 to 9999" << 0;
        bad = one;
        QTest::newRow("an unknown result") << "r.csv" << header + bad.replace(",ok,", ",fine,")
                                           << "r.csv line 2, column result: not ok, error or" << 0;
        QTest::newRow("an unclosed quote") << "r.csv" << header + one + "2026,\"x\n\n"
                                           << "r.csv line 3: a quote is not closed" << 0;
        QTest::newRow("text after a quote") << "r.csv" << header + QByteArray("\"a\"b\n")
                                            << "r.csv line 2: text after the closing quote" << 0;
        QTest::newRow("not UTF-8") << "r.csv" << header + one + "\xFF\n"
                                   << "r.csv line 3: not UTF-8 text" << 0;
        QTest::newRow("failed names a setting not sent")
            << "r.jsonl"
            << QByteArray(
                   "{\"time\":\"2026-12-10T08:01:00.000+01:00\",\"serial\":\"SERA0001\","
                   "\"result\":\"error\",\"written\":{\"id\":\"05\"},\"failed\":\"rssi\"}\n")
            << "r.jsonl line 1, column failed: not a setting written: \"rssi\"" << 0;
        QTest::newRow("unknown key, escaped")
            << "r.jsonl" << QByteArray("\n{\"door\\u001b[2J\":1}\n")
            << "r.jsonl line 2: not a key of a record: \"door\\e[2J\"" << 0;
        QTest::newRow("a file name that holds a place of a message")
            << "%1 %2.csv" << header + QByteArray("\"a\"b\n")
            << "%1 %2.csv line 2: text after the closing quote" << 0;
        QTest::newRow("not JSON") << "r.jsonl" << QByteArray("{\"time\":\n")
                                  << "r.jsonl line 1: not JSON:" << 0;
        QTest::newRow("an unknown setting")
            << "r.jsonl"
            << QByteArray(
                   "{\"time\":\"2026-12-10T08:01:00.000+01:00\",\"serial\":\"SERA0001\","
                   "\"result\":\"ok\",\"written\":{\"channel\":3}}\n")
            << "r.jsonl line 1, column written: not a setting: \"channel\"" << 0;
        QTest::newRow("a long cell is quoted short")
            << "r.csv"
            << "time,serial,result,\x1B]0;" + QByteArray(500, 'x') + "\n"
            << "r.csv line 1: not a column of a record: \"\\e]0;xxxxxxxxxxxxxxxxxxxxxxxxxxxx...\""
            << 0;
        QTest::newRow("in the run's language")
            << "r.csv" << header + one + QByteArray(one).replace(",20,", ",10000,")
            << "r.csv 第 3 行，same-card 列：same-card 必须在 0 到 9999 之间，而不是 10000。" << 1;
        QTest::newRow("quoted in the run's language")
            << "r.jsonl" << QByteArray("{\"door\":1}\n")
            << "r.jsonl 第 1 行：不是記錄的鍵：「door」。" << 2;
    }
    void mistakesAreRefusedWithTheirLine() {
        QFETCH(QString, file);
        QFETCH(QByteArray, text);
        QFETCH(QString, named);
        QFETCH(int, language);
        SetConsoleLanguage(language);
        try {
            ParseRecord(file, text);
            QFAIL("the record was taken");
        } catch (const UsageMistake& mistake) {
            QVERIFY2(mistake.text.startsWith(named), qPrintable(mistake.text));
            for (const QChar c : mistake.text) QVERIFY(c.unicode() >= 0x20);
        }
    }

    void filesMergeInTimeOrder() {
        QTemporaryDir folder;
        const QString a = folder.filePath("a.csv"), b = folder.filePath("b.jsonl");
        QFile fa(a), fb(b);
        QVERIFY(fa.open(QIODevice::WriteOnly) && fb.open(QIODevice::WriteOnly));
        fa.write(CsvHeader() + CsvLine(Entry(1, "a1")) + CsvLine(Entry(5, "a5")) +
                 CsvLine(Entry(5, "a5 later")));
        fb.write(JsonLine(Entry(3, "b3")) + JsonLine(Entry(5, "b5")));
        fa.close(), fb.close();
        QStringList labels;
        for (const RecordedEntry& e : ReadRecords({a, b})) labels << e.entry.label;
        QCOMPARE(labels, QStringList({"a1", "b3", "a5", "a5 later", "b5"}));
    }

    void filesThatAreNoRecordAreRefused() {
        QTemporaryDir folder;
        QFile big(folder.filePath("big.csv"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize((qint64(16) << 20) + 1));
        big.close();
        for (const QString& path : {folder.path(), folder.filePath("none.csv"), big.fileName()}) {
            try {
                ReadRecord(path);
                QFAIL("taken");
            } catch (const UsageMistake& mistake) {
                QVERIFY2(mistake.text.startsWith("record \"" + path + "\""),
                         qPrintable(mistake.text));
            }
        }
    }

    // An entry after a last line that lost its line feed begins a line of its own.
    void anEntryStartsOnALineOfItsOwn() {
        QTemporaryDir folder;
        const QString path = folder.filePath("r.csv");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(CsvHeader() + CsvLine(Entry(1, "Door 1")).chopped(1));
        file.close();
        RecordFile record;
        QCOMPARE(record.Open(path), QString());
        QCOMPARE(record.Append(Entry(2, "Door 2")), QString());
        QCOMPARE(int(ReadRecord(path).size()), 2);
    }
};

QTEST_MAIN(RecordReaderTest)
#include "tst_record_reader.moc"
