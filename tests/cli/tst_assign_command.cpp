#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "AssignCommand.h"

// The command vq880 ports prints to assign a device, run by a real shell: the link it makes
// leads to the device and is named after the COM number, whatever the paths hold.
class AssignCommandTest : public QObject {
    Q_OBJECT
  private slots:
    void theShellMakesTheLinkAsNamed_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("folder");  // below a temporary folder
        QTest::newRow("plain") << "/dev/ttyUSB9"
                               << "ports";
        QTest::newRow("spaces, a dollar and quotes") << "/dev/serial/by-id/usb-A B$HOME'x\"-if00"
                                                     << "site 'A' $PATH/ports";
        QTest::newRow("the folder not there yet") << "/dev/ttyAMA0"
                                                  << "new/ports";
    }
    void theShellMakesTheLinkAsNamed() {
        QFETCH(QString, device);
        QFETCH(QString, folder);
        QTemporaryDir root;
        const QString ports = root.filePath(folder);
        if (!folder.startsWith("new")) QVERIFY(QDir().mkpath(ports));

        QProcess shell;
        shell.start("/bin/sh", {"-c", AssignCommand(device, 3, ports)});
        QVERIFY(shell.waitForFinished());
        QCOMPARE(shell.exitCode(), 0);

        QCOMPARE(QFileInfo(ports + "/COM3").symLinkTarget(), device);
    }
};

QTEST_GUILESS_MAIN(AssignCommandTest)
#include "tst_assign_command.moc"
