#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "ReaderLink.h"
#include "SerialLineLinux.h"
#include "SimulatorProcess.h"

namespace {

// Counts the one-byte reads, to tell a paced wait from a busy loop.
class CountingLine final : public SerialLine {
  public:
    OpenResult Open(const QString& d) override { return inner.Open(d); }
    bool GetTimeouts(CommTimeouts& t) override { return inner.GetTimeouts(t); }
    bool SetTimeouts(const CommTimeouts& t) override { return inner.SetTimeouts(t); }
    bool SetLine(const LineParameters& l) override { return inner.SetLine(l); }
    qint64 Write(const char* d, qint64 n) override { return inner.Write(d, n); }
    int ReadByte(char* b) override {
        ++reads;
        return inner.ReadByte(b);
    }
    bool Purge() override { return inner.Purge(); }
    void Close() override { inner.Close(); }
    LinuxSerialLine inner;
    int reads = 0;
};

bool TerminalSettings(const QString& device, termios& settings) {
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    const bool ok = tcgetattr(fd, &settings) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

// The real serial stack against the simulator on a pseudo-terminal.
class SerialPtyTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    QStringList SimArguments(const QString& line) const {
        return {"--line", line, "--link", "COM3", "--machine-folder", folder_.path()};
    }

  private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("VQ880_SIM")) QSKIP("the simulator program is not known");
    }

    void exchangeAtTheReadersLineSetting() {
        SimulatorProcess sim(SimArguments("19200,e,8,1"));
        QVERIFY(sim.started());
        LinuxSerialLine line;
        SteadyClock clock;
        PortNames names(folder_.path());
        ReaderLink link(line, clock, names, [] { QCoreApplication::processEvents(); });
        QVERIFY(link.OpenPort(3, "19200,e,8,1"));
        QVERIFY(link.SendCommand("A00B"));
        QCOMPARE(link.LastReply().ReplyLength, 16);
        QCOMPARE(link.LastReply().ReplyText.mid(5, 8), QByteArray("00001234"));
        QVERIFY(link.SendCommand("A00V"));
        QCOMPARE(link.LastReply().ReplyText.mid(5, 8), QByteArray("01.70-01"));
        link.ClosePort();
    }

    void silenceAtAnotherBaudRate() {
        SimulatorProcess sim(SimArguments("19200,e,8,1"));
        QVERIFY(sim.started());
        LinuxSerialLine line;
        SteadyClock clock;
        PortNames names(folder_.path());
        ReaderLink link(line, clock, names, {});
        QVERIFY(link.OpenPort(3, "9600,e,8,1"));
        QVERIFY(!link.SendCommand("A00B"));
        QCOMPARE(link.LastReply().ReplyLength, 0);
        link.ClosePort();
    }

    void com3ResolvesThroughTheLink() {
        SimulatorProcess sim(SimArguments("19200,e,8,1"));
        QVERIFY(sim.started());
        PortNames names(folder_.path());
        const QFileInfo link(names.DevicePath(3));
        QVERIFY(link.isSymLink());
        QCOMPARE(link.symLinkTarget(), sim.device());
        QCOMPARE(names.DevicePath(4), QString("/dev/ttyS3"));
    }

    void portHeldByAnotherOpenIsRefused() {
        SimulatorProcess sim(SimArguments("19200,e,8,1"));
        QVERIFY(sim.started());
        SteadyClock clock;
        PortNames names(folder_.path());
        LinuxSerialLine first, second;
        ReaderLink holder(first, clock, names, {});
        ReaderLink other(second, clock, names, {});
        QVERIFY(holder.OpenPort(3, "19200,e,8,1"));
        QVERIFY(!other.OpenPort(3, "19200,e,8,1"));
        QVERIFY(!other.IsOpen());
        holder.ClosePort();
        QVERIFY(other.OpenPort(3, "19200,e,8,1"));
        QVERIFY(other.SendCommand("A00B"));
        other.ClosePort();
    }

    void terminalSettingsComeBackAtClose() {
        SimulatorProcess sim(SimArguments("19200,e,8,1"));
        QVERIFY(sim.started());
        termios before{}, after{};
        QVERIFY(TerminalSettings(sim.device(), before));
        LinuxSerialLine line;
        SteadyClock clock;
        PortNames names(folder_.path());
        ReaderLink link(line, clock, names, {});
        QVERIFY(link.OpenPort(3, "115200,n,8,1"));
        termios during{};
        QVERIFY(TerminalSettings(sim.device(), during));
        QCOMPARE(cfgetospeed(&during), speed_t(B115200));
        link.ClosePort();
        QVERIFY(TerminalSettings(sim.device(), after));
        QCOMPARE(after.c_iflag, before.c_iflag);
        QCOMPARE(after.c_oflag, before.c_oflag);
        QCOMPARE(after.c_cflag, before.c_cflag);
        QCOMPARE(after.c_lflag, before.c_lflag);
        QCOMPARE(cfgetospeed(&after), cfgetospeed(&before));
    }

    void readerVanishingMidExchange() {
        SimulatorProcess sim({"--line", "19200,e,8,1", "--reply-delay", "5000", "--link", "COM3",
                              "--machine-folder", folder_.path()});
        QVERIFY(sim.started());
        CountingLine line;
        SteadyClock clock;
        PortNames names(folder_.path());
        QElapsedTimer sinceSend;
        bool killed = false;
        ReaderLink link(line, clock, names, [&] {
            if (!killed && sinceSend.isValid() && sinceSend.elapsed() > 20) {
                sim.Kill();
                killed = true;
            }
        });
        QVERIFY(link.OpenPort(3, "19200,e,8,1"));
        sinceSend.start();
        QVERIFY(!link.SendCommand("A00B"));
        QVERIFY(killed);
        // One read a millisecond, about 120 in the window; a busy loop would make thousands.
        QVERIFY2(line.reads < 400, qPrintable(QString::number(line.reads)));
        QVERIFY(!link.SendCommand("A00B"));  // and the next one ends as well
        link.ClosePort();
    }
};

QTEST_GUILESS_MAIN(SerialPtyTest)
#include "tst_serial_pty.moc"
