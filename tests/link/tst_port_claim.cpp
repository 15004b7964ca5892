// A process's claim on a serial device, on the real serial stack: every other process that
// opens the device, by any path to it, is refused as in use with the holder named, also while
// the port is closed and while the device is absent; the holder opens it freely.
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "HeldPty.h"
#include "PortClaim.h"
#include "PortHolder.h"
#include "PortInventory.h"
#include "PortNames.h"
#include "SerialLineLinux.h"

namespace {

// This program started again as another process: "--hold PATH" claims the device until its
// standard input ends, "--hold-name PATH" the port's name; "--open PATH" opens it once and tells
// the outcome and the holder.
class Helper {
  public:
    explicit Helper(const QStringList& arguments) {
        process_.start(QCoreApplication::applicationFilePath(), arguments);
        if (process_.waitForStarted(5000) && process_.waitForReadyRead(5000))
            answer_ = QString::fromLocal8Bit(process_.readLine()).trimmed().split(' ');
    }
    ~Helper() { End(); }
    const QStringList& answer() const { return answer_; }
    qint64 pid() const { return process_.processId(); }
    void End() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(5000)) process_.kill();
        process_.waitForFinished(3000);
    }
    void Kill() {
        process_.kill();
        process_.waitForFinished(3000);
    }

  private:
    QProcess process_;
    QStringList answer_;
};

int HoldClaim(const char* path, bool name) {
    const PortClaim claim = name ? PortClaim::TakeName(QFile::decodeName(path))
                                 : PortClaim::Take(QFile::decodeName(path));
    std::printf("%s\n", claim.held() ? "held" : "refused");
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) {
    }
    return 0;
}

int OpenOnce(const char* path) {
    LinuxSerialLine line;
    const OpenResult result = line.Open(QFile::decodeName(path));
    std::printf("%s %lld %s\n",
                result.opened()                    ? "opened"
                : result.state == PortState::InUse ? "in-use"
                                                   : "failed",
                static_cast<long long>(result.holderPid),
                result.holderName.toLocal8Bit().constData());
    line.Close();
    return 0;
}

// Claim files of the process that are still there.
QStringList ClaimFilesOf(qint64 pid) {
    QStringList left;
    for (const QFileInfo& file : QDir("/run/lock").entryInfoList({"vq880-claim.*"}, QDir::Files)) {
        QFile claim(file.absoluteFilePath());
        if (claim.open(QIODevice::ReadOnly) && claim.readLine(64).trimmed().toLongLong() == pid)
            left << file.fileName();
    }
    return left;
}

}  // namespace

class PortClaimTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    HeldPty pty_;
    QString comLink_;  // ports/COM5 -> the pseudo-terminal

  private slots:
    void initTestCase() {
        if (::access("/run/lock", W_OK) != 0) QSKIP("claims are kept in /run/lock");
        QVERIFY(!pty_.path.isEmpty());
        QVERIFY(QDir(folder_.path()).mkpath("ports"));
        comLink_ = PortNames(folder_.path()).LinkPath(5);
        QVERIFY(QFile::link(pty_.path, comLink_));
        QVERIFY(QFile::link(comLink_, folder_.filePath("to-com5")));
        QVERIFY(QFile::link(pty_.path, folder_.filePath("adapter")));
    }

    // Claimed through COM5 by another process: refused through every path, the holder named,
    // while nobody has the port open.
    void refusesEveryPathToTheDevice_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("the COM number's link") << comLink_;
        QTest::newRow("the device itself") << pty_.path;
        QTest::newRow("another link to the device") << folder_.filePath("adapter");
        QTest::newRow("a link to the COM number's link") << folder_.filePath("to-com5");
    }
    void refusesEveryPathToTheDevice() {
        QFETCH(QString, path);
        Helper holder({"--hold", comLink_});
        QCOMPARE(holder.answer(), QStringList{"held"});

        LinuxSerialLine line;
        const OpenResult result = line.Open(path);
        QCOMPARE(result.state, PortState::InUse);
        QCOMPARE(result.holderPid, holder.pid());
        QCOMPARE(result.holderName, QString("tst_port_claim"));
        QCOMPARE(FindPortHolder(path).pid, holder.pid());
        QVERIFY(!PortClaim::Take(path).held());

        holder.End();
        QVERIFY(line.Open(path).opened());
        line.Close();
    }

    // Taken while the device is absent, the claim holds the device that comes there.
    void holdsWhileTheDeviceIsAbsent() {
        const QString place = folder_.filePath("returning");
        const QString link = folder_.filePath("ports/COM6");
        QVERIFY(QFile::link(place, link));
        Helper holder({"--hold", link});
        QCOMPARE(holder.answer(), QStringList{"held"});

        QVERIFY(QFile::link(pty_.path, place));  // the adapter comes back
        LinuxSerialLine line;
        const OpenResult result = line.Open(link);
        QCOMPARE(result.state, PortState::InUse);
        QCOMPARE(result.holderPid, holder.pid());
    }

    // The holding process opens the port as often as it likes; others are refused in between.
    void theHolderOpensFreely() {
        PortClaim claim = PortClaim::Take(comLink_);
        QVERIFY(claim.held());
        LinuxSerialLine line;
        for (int open = 0; open < 2; ++open) {
            QVERIFY(line.Open(pty_.path).opened());
            line.Close();
            const Helper other({"--open", pty_.path});
            QCOMPARE(other.answer().value(0), QString("in-use"));
            QCOMPARE(other.answer().value(1).toLongLong(), qint64(::getpid()));
        }
        claim.Release();
        const Helper other({"--open", comLink_});
        QCOMPARE(other.answer().value(0), QString("opened"));
    }

    // A run's claim on its port's name holds the name and the links to it, not the device
    // behind, whose name the system may give another device once this one is gone.
    void aNameClaimLeavesTheDevice_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("refused");
        QTest::newRow("the COM number's link: refused") << comLink_ << true;
        QTest::newRow("a link to the COM number's link: refused")
            << folder_.filePath("to-com5") << true;
        QTest::newRow("the device by its own name: free") << pty_.path << false;
    }
    void aNameClaimLeavesTheDevice() {
        QFETCH(QString, path);
        QFETCH(bool, refused);
        Helper holder({"--hold-name", comLink_});
        QCOMPARE(holder.answer(), QStringList{"held"});

        LinuxSerialLine line;
        const OpenResult result = line.Open(path);
        line.Close();
        QCOMPARE(result.state == PortState::InUse, refused);
        if (refused) QCOMPARE(result.holderPid, holder.pid());
    }

    // `ports` names the holder of a closed, claimed port.
    void theInventoryNamesTheHolder() {
        Helper holder({"--hold", comLink_});
        QCOMPARE(holder.answer(), QStringList{"held"});
        const PortEntry com5 = TakePortInventory(folder_.path()).comPorts.at(4);
        QCOMPARE(com5.state, PortState::InUse);
        QCOMPARE(com5.holderPid, holder.pid());
        QCOMPARE(com5.holderName, QString("tst_port_claim"));
    }

    // However the holder ends, its claim ends with it; an orderly end leaves no file behind.
    void theClaimEndsWithItsProcess_data() {
        QTest::addColumn<bool>("killed");
        QTest::newRow("the holder ends") << false;
        QTest::newRow("the holder is killed") << true;
    }
    void theClaimEndsWithItsProcess() {
        QFETCH(bool, killed);
        Helper holder({"--hold", comLink_});
        QCOMPARE(holder.answer(), QStringList{"held"});
        const qint64 pid = holder.pid();
        QVERIFY(!ClaimFilesOf(pid).isEmpty());
        if (killed)
            holder.Kill();
        else
            holder.End();
        QCOMPARE(ClaimHolderPid(comLink_), qint64(0));
        if (!killed) QCOMPARE(ClaimFilesOf(pid), QStringList());
        QVERIFY(PortClaim::Take(comLink_).held());
    }
};

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "--hold") == 0) return HoldClaim(argv[2], false);
    if (argc == 3 && std::strcmp(argv[1], "--hold-name") == 0) return HoldClaim(argv[2], true);
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--open") == 0) return OpenOnce(argv[2]);
    PortClaimTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_port_claim.moc"
