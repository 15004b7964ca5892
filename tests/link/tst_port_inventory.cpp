#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstdlib>

#include "HeldPty.h"
#include "PortInventory.h"
#include "PortNames.h"

class PortInventoryTest : public QObject {
    Q_OBJECT
  private slots:
    // Through links in ports/: a pseudo-terminal that only its far end holds is free; one that
    // another program has open is in use by that program; a link to nothing says so.
    void eachComNumbersDeviceAndState() {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkpath("ports"));
        const PortNames names(folder.path());
        HeldPty free, held;
        QVERIFY(!free.path.isEmpty() && !held.path.isEmpty());
        QVERIFY(QFile::link(free.path, names.LinkPath(1)));
        QVERIFY(QFile::link(folder.filePath("unplugged"), names.LinkPath(2)));
        QVERIFY(QFile::link(held.path, names.LinkPath(3)));
        // The far end of COM1 is also held by a child, as the simulator holds its pseudo-terminal.
        const pid_t farEnd = fork();
        if (farEnd == 0) {
            pause();
            _exit(0);
        }
        QProcess holder;
        holder.setStandardInputFile(held.path);
        holder.start("sleep", {"30"});
        QVERIFY(holder.waitForStarted());
        const qint64 holderPid = holder.processId();

        const PortInventory inventory = TakePortInventory(folder.path());
        holder.kill();
        holder.waitForFinished();
        ::kill(farEnd, SIGKILL);
        ::waitpid(farEnd, nullptr, 0);

        QCOMPARE(int(inventory.comPorts.size()), 16);
        const PortEntry& one = inventory.comPorts[0];
        QCOMPARE(one.comNumber, 1);
        QCOMPARE(one.device, names.LinkPath(1));
        QCOMPARE(one.target, free.path);
        QCOMPARE(PortStateName(one.state), QString("free"));
        const PortEntry& two = inventory.comPorts[1];
        QCOMPARE(PortStateName(two.state), QString("missing-link-target"));
        QVERIFY(!two.present());
        const PortEntry& three = inventory.comPorts[2];
        QCOMPARE(PortStateName(three.state), QString("in-use"));
        QCOMPARE(three.holderPid, holderPid);
        QCOMPARE(three.holderName, QString("sleep"));
        // Without a link, the fixed map.
        QCOMPARE(inventory.comPorts[4].device, QString("/dev/ttyUSB0"));
        QVERIFY(inventory.comPorts[4].link.isEmpty());
        // A device that a COM number reaches is not listed again.
        for (const PortEntry& entry : inventory.unreached)
            QVERIFY(entry.target != free.path && entry.target != held.path);
    }
    // What is no serial port is told apart from free and missing: a link to a file, to a folder,
    // to /dev/null (which nobody holds), a loop of links, and a file or folder in a link's
    // place. The pseudo-terminal's driver is named.
    void whatIsNoPortIsToldApart() {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkpath("ports/COM11"));
        const PortNames names(folder.path());
        QFile file(folder.filePath("file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(QFile::link(folder.filePath("file"), names.LinkPath(1)));
        QVERIFY(QFile::link(folder.path(), names.LinkPath(2)));
        QVERIFY(QFile::link("/dev/null", names.LinkPath(3)));
        QVERIFY(QFile::link(names.LinkPath(5), names.LinkPath(4)));
        QVERIFY(QFile::link(names.LinkPath(4), names.LinkPath(5)));
        QVERIFY(QFile::copy(folder.filePath("file"), names.LinkPath(12)));
        HeldPty pty;
        QVERIFY(QFile::link(pty.path, names.LinkPath(6)));

        const PortInventory inventory = TakePortInventory(folder.path());

        const auto is = [&](int com, NotSerialKind kind) {
            const PortEntry& entry = inventory.comPorts[size_t(com - 1)];
            return entry.state == PortState::NotSerialDevice && entry.notSerial == kind &&
                   !entry.present() && entry.holderPid == 0;
        };
        QVERIFY(is(1, NotSerialKind::RegularFile));
        QVERIFY(is(2, NotSerialKind::Folder));
        QVERIFY(is(3, NotSerialKind::NullDevice));
        QVERIFY(is(4, NotSerialKind::LinkLoop));
        QVERIFY(is(11, NotSerialKind::Folder));
        QVERIFY(is(12, NotSerialKind::RegularFile));
        QCOMPARE(inventory.comPorts[5].state, PortState::Free);
        QCOMPARE(inventory.comPorts[5].driver, QString("pty"));
    }
};

QTEST_GUILESS_MAIN(PortInventoryTest)
#include "tst_port_inventory.moc"
