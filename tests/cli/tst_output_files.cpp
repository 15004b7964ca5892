// What vq880 writes and prints, end to end against the simulator: a trace never takes the place
// of another file; a trace or record that cannot be written (past the file size limit, as on a
// full disk) is said on standard error with exit status 73, the reader's setting done and the
// entry the record lacks printed whole; and names from outside reach the terminal as text.
#include <QtTest>
#include <cerrno>
#include <cstring>

#include "CliHarness.h"
#include "RecordReader.h"
#include "TraceWriter.h"

namespace {

const QStringList Reader{"--serial", "40002718", "--reader-number", "5"};

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The first line that holds a control character, or an empty text.
QString WithControl(const QStringList& lines) {
    for (const QString& line : lines)
        for (const QChar c : line)
            if (c.category() == QChar::Other_Control) return line;
    return {};
}

}  // namespace

class OutputFilesTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("VQ880_SIM")) QSKIP("the simulator program is not known");
    }

    // --trace=FILE on a site's record is refused before any port is touched, the record as it
    // was; an earlier trace is replaced by this run's.
    void traceReplacesOnlyAnEarlierTrace() {
        CliHarness h;
        SimulatorProcess sim(h.SimArguments(Reader));
        QVERIFY(sim.started());
        const QString record = h.folder.filePath("site.csv");
        const QByteArray kept = "time,command\n2026-12-10T08:15:02.417+01:00,set-id\n";
        QVERIFY(Write(record, kept));

        const CliResult refused = h.Run({"--trace=" + record, "set-id", "8"});

        QCOMPARE(refused.exitCode, 64);
        QCOMPARE(refused.err.size(), 1);
        QVERIFY2(refused.err[0].contains("--trace \"" + record + "\" is not a trace of vq880"),
                 qPrintable(refused.err[0]));
        QCOMPARE(Contents(record), kept);
        QVERIFY(h.Frames().isEmpty());

        const QString trace = h.folder.filePath("trace.txt");
        QCOMPARE(h.Run({"--trace=" + trace, "scan"}).exitCode, 0);
        QCOMPARE(h.Run({"--trace=" + trace, "scan"}).exitCode, 0);
        const QByteArray traced = Contents(trace);
        QVERIFY(traced.startsWith(TraceWriter::Header));
        QCOMPARE(traced.count(TraceWriter::HeaderStart), 1);
    }

    void writeFailureIsSaid_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("before");  // what the file holds before the run
        QTest::addColumn<qint64>("limit");
        const QByteArray header = "time,command\n";
        QTest::newRow("a trace that fills up: the run goes on without it")
            << "trace.txt" << QByteArray() << qint64(512);
        QTest::newRow("a CSV record cut short in its entry: the part written taken back")
            << "site.csv" << header + QByteArray(4096 - 40 - header.size(), 'x') + '\n'
            << qint64(4096);
        QTest::newRow("a JSON-lines record at the limit")
            << "site.jsonl" << QByteArray(4095, ' ') + '\n'
            << qint64(4096);
    }
    void writeFailureIsSaid() {
        QFETCH(QString, file);
        QFETCH(QByteArray, before);
        QFETCH(qint64, limit);
        CliHarness h;
        SimulatorProcess sim(h.SimArguments(Reader));
        QVERIFY(sim.started());
        const QString path = h.folder.filePath(file);
        if (!before.isEmpty()) QVERIFY(Write(path, before));
        const bool trace = file.startsWith("trace");
        h.fileSizeLimit = limit;

        const CliResult result =
            h.Run((trace ? QStringList{"--trace=" + path} : QStringList{"--record", path}) +
                  QStringList{"set-same-card", "11"});

        QCOMPARE(result.exitCode, 73);
        // Done and not undone.
        QCOMPARE(result.out, QStringList{"Set Same Card Ok"});
        QCOMPARE(h.Frames().last(), QString("A00N0011"));
        const QString said = QStringLiteral("vq880: --%1 \"%2\" cannot be written: %3")
                                 .arg(trace ? "trace" : "record", path,
                                      QString::fromLocal8Bit(std::strerror(EFBIG)));
        QVERIFY2(result.err.value(0).startsWith(said), qPrintable(result.err.value(0)));
        if (trace) {
            QCOMPARE(result.err.size(), 1);
            return;
        }
        QCOMPARE(Contents(path), before);
        // The entry the record lacks, whole: it reads back as what was written.
        QCOMPARE(result.err.size(), 2);
        const QByteArray entry = result.err[1].toUtf8() + '\n';
        const std::vector<RecordedEntry> read =
            ParseRecord(file, file.endsWith(".csv") ? CsvHeader() + entry : entry);
        QCOMPARE(int(read.size()), 1);
        QCOMPARE(read[0].entry.command, QString("set-same-card"));
        QCOMPARE(read[0].entry.serial, QString("40002718"));
        QCOMPARE(read[0].entry.written, (QJsonObject{{"same-card", 11}}));
        QCOMPARE(read[0].entry.result, QString("ok"));
    }

    // A link in ports/ whose target holds an escape sequence and a line feed: the search's
    // lines, its note and ports show them spelled out, each line whole.
    void namesFromOutsideAreShownAsText() {
        CliHarness h;
        const QString link = PortNames(h.folder.path()).LinkPath(3);
        QFile::remove(link);
        QVERIFY(QFile::link("/nonexistent/\x1b]0;owned\x07\nnext", link));
        const QString shown = "/nonexistent/\\e]0;owned\\a\\nnext";

        const CliResult scan = h.Run({"--port", "COM3", "scan"});
        const CliResult ports = h.Run({"ports"});

        QCOMPARE(scan.exitCode, 2);
        QCOMPARE(scan.out.size(), 3);  // the outcome, the port's line, the hint
        QVERIFY2(scan.out[1].contains(shown), qPrintable(scan.out[1]));
        QCOMPARE(scan.err.size(), 1);
        QVERIFY2(scan.err[0].contains(shown), qPrintable(scan.err[0]));
        QVERIFY2(ports.out.value(2).contains(shown), qPrintable(ports.out.value(2)));
        for (const CliResult& result : {scan, ports}) {
            const QString line = WithControl(result.out + result.err);
            QVERIFY2(line.isEmpty(), qPrintable(line.toUtf8().toHex()));
        }
    }
};

QTEST_GUILESS_MAIN(OutputFilesTest)
#include "tst_output_files.moc"
