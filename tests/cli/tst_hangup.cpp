// A closed terminal or SSH connection (SIGHUP) ends a run as Ctrl+C does: the pass in
// progress finishes, the port is closed, its lock file goes and the summary is printed.
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <csignal>

#include "CliHarness.h"

namespace {

// Lock files of the process that are still there: the serial port's own and its claims.
QStringList LocksOf(qint64 pid) {
    QStringList left;
    const QDir folder(QStringLiteral("/run/lock"));
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile lock(file.absoluteFilePath());
        if (lock.open(QIODevice::ReadOnly) && lock.readLine(64).trimmed().toLongLong() == pid)
            left << file.fileName();
    }
    return left;
}

}  // namespace

class HangupTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("VQ880_SIM")) QSKIP("the simulator program is not known");
        if (!QFileInfo(QStringLiteral("/run/lock")).isDir()) QSKIP("no /run/lock");
    }

    void endsTheRunWithItsSummary_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("summaryKey");  // a key the run's last object has
        QTest::addColumn<bool>("keepsPortOpen");  // between the lines it prints
        QTest::newRow("tags: the tags read, counted") << QStringList{"tags"} << "tags" << true;
        QTest::newRow("provision: the readers written")
            << QStringList{"provision", "--first-id", "9"} << "readers" << false;
    }
    void endsTheRunWithItsSummary() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, summaryKey);
        QFETCH(bool, keepsPortOpen);
        CliHarness h;
        SimulatorProcess sim(h.SimArguments());
        QVERIFY(sim.started());
        QProcess* run = h.Start(QStringList{"--json"} + arguments);
        QVERIFY(run->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(run->canReadLine(), 15000);
        const qint64 pid = run->processId();
        QVERIFY(pid > 0 && run->state() == QProcess::Running);
        if (keepsPortOpen) QVERIFY(!LocksOf(pid).isEmpty());  // the lock to see go

        ::kill(pid_t(pid), SIGHUP);
        QVERIFY(run->waitForFinished(5000));
        QCOMPARE(run->exitStatus(), QProcess::NormalExit);  // not killed by the signal
        const CliResult result = CliHarness::Finish(run);

        QCOMPARE(result.exitCode, 0);
        QVERIFY(!result.out.isEmpty());
        const QJsonObject last = QJsonDocument::fromJson(result.out.last().toUtf8()).object();
        QVERIFY2(last.contains(summaryKey), qPrintable(result.out.last()));
        QCOMPARE(last.value("result").toString(), QString("ok"));
        QCOMPARE(LocksOf(pid), QStringList());
    }
};

QTEST_GUILESS_MAIN(HangupTest)
#include "tst_hangup.moc"
