#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

#include "FrameCodec.h"
#include "SimulatorProcess.h"

namespace {

// The tool's side of the pseudo-terminal, opened raw at a baud rate as a serial port would be.
class ToolSide {
  public:
    ToolSide(const QString& device, speed_t speed) {
        fd_ = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0 || tcgetattr(fd_, &original_) != 0) return;
        termios raw = original_;
        cfmakeraw(&raw);
        cfsetspeed(&raw, speed);
        tcsetattr(fd_, TCSANOW, &raw);
        tcflush(fd_, TCIOFLUSH);
    }
    ~ToolSide() {
        if (fd_ < 0) return;
        tcsetattr(fd_, TCSANOW, &original_);  // as a serial port gives the settings back
        ::close(fd_);
    }
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    void Send(const QByteArray& command) {
        const QByteArray frame = CommandFrame(command);
        QCOMPARE(::write(fd_, frame.constData(), frame.size()), ssize_t(frame.size()));
    }
    // Bytes until a CR after an LF, or until nothing came for quietMs.
    QByteArray Receive(int quietMs = 400) {
        QByteArray bytes;
        pollfd p{fd_, POLLIN, 0};
        while (::poll(&p, 1, quietMs) > 0 && (p.revents & POLLIN)) {
            char buffer[256];
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) break;
            bytes.append(buffer, int(n));
            if (bytes.startsWith('\n') && bytes.endsWith('\r')) break;
        }
        return bytes;
    }

  private:
    int fd_ = -1;
    termios original_{};
};

bool ValidReply(const QByteArray& bytes) {
    return bytes.startsWith('\n') && bytes.endsWith('\r') &&
           CheckReply(reinterpret_cast<const quint8*>(bytes.constData()), int(bytes.size()));
}

bool WaitFor(const std::function<bool()>& condition, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(20);
    }
    return true;
}

}  // namespace

// The simulator program on a real pseudo-terminal.
class SimProgramTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;

  private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("VQ880_SIM")) QSKIP("the simulator program is not known");
        QVERIFY(folder_.isValid());
    }

    void answersReaderInformationAtItsBaudRate() {
        const QString log = folder_.filePath("answers.log");
        SimulatorProcess sim({"--serial", "AB12CD34", "--reader-number", "7", "--log", log});
        QVERIFY(sim.started());
        QVERIFY(sim.device().startsWith("/dev/pts/"));
        ToolSide tool(sim.device(), B19200);
        QVERIFY(tool.isOpen());

        tool.Send("A00B");
        const QByteArray reply = tool.Receive();
        QCOMPARE(reply.size(), 16);
        QVERIFY(ValidReply(reply));
        QCOMPARE(reply.mid(2, 2), QByteArray("07"));
        QCOMPARE(reply.mid(5, 8), QByteArray("AB12CD34"));

        tool.Send("A00V");
        QCOMPARE(tool.Receive().mid(5, 8), QByteArray("01.70-01"));
        tool.Send("A00F");
        QCOMPARE(tool.Receive().mid(6, 8), QByteArray("0000BC61"));

        // Every frame received and sent is in the log, with a millisecond timestamp.
        QFile file(log);
        QVERIFY(WaitFor([&] { return QFileInfo(log).size() > 0; }));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.contains("<- <TAB>A00B0A<CR>"));
        QVERIFY(text.contains("-> <LF>B07SAB12CD34"));
        QVERIFY(QRegularExpression("\\d\\d:\\d\\d:\\d\\d\\.\\d{3} <- <TAB>A00V1E<CR>")
                    .match(QString::fromLatin1(text))
                    .hasMatch());
    }

    void isSilentAtAnotherBaudRate() {
        const QString log = folder_.filePath("silent.log");
        SimulatorProcess sim({"--log", log});
        QVERIFY(sim.started());
        {
            ToolSide tool(sim.device(), B9600);
            tool.Send("A00B");
            QVERIFY(tool.Receive().isEmpty());
        }
        QVERIFY(WaitFor([&] {
            QFile file(log);
            return file.open(QIODevice::ReadOnly) && file.readAll().contains("not heard");
        }));
        // And answers once the tool comes at the reader's own rate.
        ToolSide tool(sim.device(), B19200);
        tool.Send("A00B");
        QCOMPARE(tool.Receive().size(), 16);
    }

    void servesQSerialPortAcrossReopens() {
        SimulatorProcess sim({"--line", "9600,n,8,1"});
        QVERIFY(sim.started());
        for (int open = 0; open < 2; ++open) {  // the terminal must not hang up between opens
            QSerialPort port(sim.device());
            QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
            QVERIFY(port.setBaudRate(9600));
            const QByteArray frame = CommandFrame("A00B");
            port.write(frame);
            QVERIFY(port.waitForBytesWritten(1000));
            QByteArray reply;
            QDeadlineTimer deadline(3000);
            while (!reply.endsWith('\r') && !deadline.hasExpired())
                if (port.bytesAvailable() > 0 || port.waitForReadyRead(100))
                    reply += port.readAll();
            QCOMPARE(reply.size(), 16);
            QVERIFY(ValidReply(reply));
            port.close();
        }
    }

    void leavesTheTerminalSettingsAlone() {
        SimulatorProcess sim({});
        QVERIFY(sim.started());
        termios before{};
        {
            const int fd =
                ::open(QFile::encodeName(sim.device()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            QVERIFY(fd >= 0);
            QVERIFY(tcgetattr(fd, &before) == 0);
            ::close(fd);
        }
        QVERIFY(before.c_lflag & ICANON);  // a new terminal's own cooked mode, not set raw
        {
            ToolSide tool(sim.device(), B19200);
            tool.Send("A00B");
            QCOMPARE(tool.Receive().size(), 16);
        }
        termios after{};
        const int fd =
            ::open(QFile::encodeName(sim.device()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(fd >= 0);
        QVERIFY(tcgetattr(fd, &after) == 0);
        ::close(fd);
        QCOMPARE(after.c_lflag, before.c_lflag);
        QCOMPARE(after.c_cflag, before.c_cflag);
    }

    void linkIsMadeAndRemovedAtTheEnd() {
        const QString machine = folder_.filePath("machine");  // no ports/ folder yet
        QVERIFY(QDir().mkpath(machine));
        SimulatorProcess sim({"--link", "COM3", "--machine-folder", machine});
        QVERIFY(sim.started());
        const QString link = machine + "/ports/COM3";
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device());
        QVERIFY(WaitFor([&] { return sim.process().canReadLine(); }));
        QCOMPARE(sim.process().readLine().trimmed(), ("link " + link).toLocal8Bit());

        sim.Stop();  // SIGTERM
        QCOMPARE(sim.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(sim.process().exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
        QVERIFY(!QFileInfo::exists(link));
    }

    void aStaleLinkIsReplacedAndAFileIsNot() {
        const QString machine = folder_.filePath("stale");
        QVERIFY(QDir().mkpath(machine + "/ports"));
        const QString com4 = machine + "/ports/COM4";
        QVERIFY(QFile::link("/dev/pts/nonexistent", com4));  // left by a simulator killed
        {
            SimulatorProcess sim({"--link", "COM4", "--machine-folder", machine});
            QVERIFY(sim.started());
            QCOMPARE(QFileInfo(com4).symLinkTarget(), sim.device());
        }
        QVERIFY(!QFileInfo(com4).isSymLink());

        const QString com5 = machine + "/ports/COM5";
        QFile file(com5);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QProcess refused;
        refused.start(qEnvironmentVariable("VQ880_SIM"),
                      {"--link", "COM5", "--machine-folder", machine});
        QVERIFY(refused.waitForFinished(5000));
        QCOMPARE(refused.exitCode(), 1);
        QVERIFY(refused.readAllStandardOutput().isEmpty());
        QVERIFY(QFileInfo(com5).isFile());  // left as it was
    }

    // Each is refused before any device is made, with exit code 2 and a message naming the
    // problem.
    void aMistakenOptionIsRefused_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("problem");  // in the message
        const QString absent = folder_.filePath("absent/machine");
        const QString plainFile = folder_.filePath("plain-file");
        QFile file(plainFile);
        QVERIFY(file.open(QIODevice::WriteOnly));

        QTest::newRow("unknown fault") << QStringList{"--fault", "sparks"} << "Unknown fault";
        QTest::newRow("serial of 7 characters")
            << QStringList{"--serial", "1234567"} << "serial number";
        QTest::newRow("reader number 100") << QStringList{"--reader-number", "100"} << "1 to 99";
        QTest::newRow("batches of 1001 ms") << QStringList{"--batch-ms", "1001"} << "0 to 1000 ms";
        QTest::newRow("line setting not in the list")
            << QStringList{"--line", "1200,n,8,1"} << "line setting";
        QTest::newRow("tag of 9 digits") << QStringList{"--tags", "123456789"} << "\"123456789\"";
        QTest::newRow("tag of 7 digits") << QStringList{"--tags", "1234567"} << "\"1234567\"";
        QTest::newRow("tag of 1 digit") << QStringList{"--tags", "0000BC61,1"} << "\"1\"";
        QTest::newRow("tag with a 0x prefix")
            << QStringList{"--tags", "0x00BC61"} << "\"0x00BC61\"";
        QTest::newRow("tag with a sign") << QStringList{"--tags", "+000BC61"} << "\"+000BC61\"";
        QTest::newRow("tag list with an empty item")
            << QStringList{"--tags", "0000BC61,,00A1B2C3"} << "\"\"";
        QTest::newRow("empty tag list") << QStringList{"--tags", ""} << "empty";
        QTest::newRow("tag list of commas only") << QStringList{"--tags", ","} << "8 hexadecimal";
        QTest::newRow("--tags with --no-tags")
            << QStringList{"--tags", "0000BC61", "--no-tags"} << "--no-tags";
        QTest::newRow("link not a COM name") << QStringList{"--link", "ttyS0"} << "COM1 to COM16";
        QTest::newRow("link COM0") << QStringList{"--link", "COM0"} << "COM1 to COM16";
        QTest::newRow("link COM17") << QStringList{"--link", "COM17"} << "COM1 to COM16";
        QTest::newRow("link COM+3") << QStringList{"--link", "COM+3"} << "COM1 to COM16";
        QTest::newRow("site reader with a serial of 7 characters")
            << QStringList{"--site", "AAAA0001,AAAA002"} << "\"AAAA002\"";
        QTest::newRow("site reader number 100")
            << QStringList{"--site", "AAAA0001:100"} << "\"AAAA0001:100\"";
        QTest::newRow("site reader again with another number")
            << QStringList{"--site", "AAAA0001:3,AAAA0001:4"} << "another number";
        QTest::newRow("--site with --serial")
            << QStringList{"--site", "AAAA0001", "--serial", "AAAA0002"} << "--serial";
        QTest::newRow("--unplug-ms without a schedule")
            << QStringList{"--unplug-ms", "100"} << "--plug-ms";
        QTest::newRow("--plug-ms 0") << QStringList{"--plug-ms", "0"} << "--plug-ms takes";
        QTest::newRow("--adapter-per-reader on a serial device")
            << QStringList{"--device", "/dev/null", "--adapter-per-reader"} << "pseudo-terminal";
        QTest::newRow("machine folder that does not exist")
            << QStringList{"--link", "COM3", "--machine-folder", absent} << "does not exist";
        QTest::newRow("machine folder that does not exist, without a link")
            << QStringList{"--machine-folder", absent} << "does not exist";
        QTest::newRow("machine folder that is a file")
            << QStringList{"--link", "COM3", "--machine-folder", plainFile} << "not a folder";
        QTest::newRow("unknown option") << QStringList{"--colour"} << "colour";
    }
    void aMistakenOptionIsRefused() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, problem);
        QProcess process;
        process.start(qEnvironmentVariable("VQ880_SIM"), arguments);
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(process.readAllStandardOutput().isEmpty());  // no device line
        const QString message = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(message.contains(problem), qPrintable(message));
        QVERIFY(!QFileInfo::exists(folder_.filePath("absent")));  // no folder made
    }

    // Of a run that is no frame the log shows the first 64 bytes and counts the rest; the
    // frame after it is logged whole.
    void theLogShowsOnlyTheStartOfJunk() {
        const QString log = folder_.filePath("junk.log");
        SimulatorProcess sim({"--log", log});
        QVERIFY(sim.started());
        ToolSide tool(sim.device(), B19200);
        const QByteArray shown(64, 'J');
        const QByteArray longRun = shown + QByteArray(1936, 'K') + '\r';  // past any frame
        const QByteArray shortRun = shown + QByteArray(36, 'K') + '\r';   // within one
        for (const QByteArray& junk : {longRun, shortRun})
            QCOMPARE(::write(tool.fd(), junk.constData(), junk.size()), ssize_t(junk.size()));
        tool.Send("A00B");
        QCOMPARE(tool.Receive().size(), 16);

        QVERIFY(WaitFor([&] {
            QFile file(log);
            return file.open(QIODevice::ReadOnly) && file.readAll().contains("-> <LF>B01S");
        }));
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QCOMPARE(text.count("<- " + shown + "   "), 2);
        QVERIFY(!text.contains('K'));
        QVERIFY(text.contains("junk: 1937 more bytes up to its CR"));
        QVERIFY(text.contains("; 37 more bytes not shown"));
        QVERIFY(text.contains("<- <TAB>A00B0A<CR>"));
    }

    void theDisconnectFaultClosesTheLineAndEnds() {
        SimulatorProcess sim({"--fault", "disconnect", "--fault-after", "1"});
        QVERIFY(sim.started());
        ToolSide tool(sim.device(), B19200);
        tool.Send("A00B");
        QCOMPARE(tool.Receive().size(), 16);
        tool.Send("A00B");
        QVERIFY(sim.process().waitForFinished(5000));
        QCOMPARE(sim.process().exitCode(), 0);
        QVERIFY(!ValidReply(tool.Receive(100)));
    }

    void servesAGivenDeviceAndGivesItsSettingsBack() {
        // A terminal pair of the test's own stands in for a null-modem cable: the simulator
        // serves the slave as it would a real device, the test talks on the master.
        const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
        const QString slave = QString::fromLocal8Bit(ptsname(master));
        const int holder = ::open(ptsname(master), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios before{};
        QVERIFY(tcgetattr(holder, &before) == 0);
        {
            SimulatorProcess sim({"--device", slave, "--line", "9600,n,8,1"});
            QVERIFY(sim.started());
            QCOMPARE(sim.device(), slave);
            QVERIFY(WaitFor([&] {
                termios now{};
                return tcgetattr(holder, &now) == 0 && !(now.c_lflag & ICANON);
            }));  // the reader's end is raw
            const QByteArray frame = CommandFrame("A00B");
            QCOMPARE(::write(master, frame.constData(), frame.size()), ssize_t(frame.size()));
            QByteArray reply;
            pollfd p{master, POLLIN, 0};
            while (!reply.endsWith('\r') && ::poll(&p, 1, 2000) > 0) {
                char buffer[64];
                const ssize_t n = ::read(master, buffer, sizeof buffer);
                if (n <= 0) break;
                reply.append(buffer, int(n));
            }
            QCOMPARE(reply.size(), 16);
            QVERIFY(ValidReply(reply));
        }
        termios after{};
        QVERIFY(tcgetattr(holder, &after) == 0);
        QCOMPARE(after.c_lflag, before.c_lflag);
        QCOMPARE(after.c_iflag, before.c_iflag);
        ::close(holder);
        ::close(master);
    }

    void theFloodFaultSendsMoreThanABuffer() {
        SimulatorProcess sim({"--fault", "flood", "--line", "115200,n,8,1"});
        QVERIFY(sim.started());
        ToolSide tool(sim.device(), B115200);
        tool.Send("A00B");
        const QByteArray bytes = tool.Receive(500);
        QCOMPARE(bytes.size(), 2000);
        QVERIFY(!bytes.contains('\r'));
    }
};

QTEST_GUILESS_MAIN(SimProgramTest)
#include "tst_sim_program.moc"
