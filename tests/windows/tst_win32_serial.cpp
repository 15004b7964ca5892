// The reader link through Win32SerialLine on a real COM port. The port numbers come from the
// environment: VQ880_READER_COM has a reader at "19200,e,8,1" on it, VQ880_SILENT_COM one that
// never answers (scripts/test-windows.sh puts the simulator behind both).
#include <windows.h>

#include <QtTest>

#include "Clock.h"
#include "LineSetting.h"
#include "PortNames.h"
#include "ReaderLink.h"
#include "SerialLineWin32.h"

namespace {

int ComFromEnvironment(const char* name) {
    bool ok = false;
    const int com = qEnvironmentVariableIntValue(name, &ok);
    return ok ? com : 0;
}

bool UnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// One link as the tool makes it: the system's serial line, the real clock, no window.
struct Rig {
    Win32SerialLine line;
    SteadyClock clock;
    PortNames names{QString()};
    ReaderLink link{line, clock, names, {}};
};

}  // namespace

class Win32SerialTest : public QObject {
    Q_OBJECT

  private slots:
    void modeStringSetsTheLineWithoutFlowControl_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("baudRate");
        QTest::addColumn<int>("parity");
        for (const char* text : LineSettingTable) {
            const std::optional<LineParameters> line = ParseLineSetting(text);
            QVERIFY(line);
            QTest::newRow(text) << QString(text) << int(line->baudRate)
                                << int(line->parity == Parity::Even ? EVENPARITY : NOPARITY);
        }
    }
    void modeStringSetsTheLineWithoutFlowControl() {
        QFETCH(QString, setting);
        QFETCH(int, baudRate);
        QFETCH(int, parity);
        // A state with every kind of flow control switched on, as a port may have been left.
        DCB dcb{};
        dcb.DCBlength = sizeof(dcb);
        dcb.fOutX = dcb.fInX = TRUE;
        dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = TRUE;
        const QByteArray mode = Win32SerialLine::ModeString(*ParseLineSetting(setting));
        QVERIFY2(BuildCommDCBA(mode.constData(), &dcb), mode.constData());
        QCOMPARE(int(dcb.BaudRate), baudRate);
        QCOMPARE(int(dcb.Parity), parity);
        QCOMPARE(int(dcb.ByteSize), 8);
        QCOMPARE(int(dcb.StopBits), ONESTOPBIT);
        QVERIFY(!dcb.fOutX && !dcb.fInX && !dcb.fOutxCtsFlow && !dcb.fOutxDsrFlow);
    }

    void missingPortIsRefused() {
        Rig rig;
        // COM16 is never given a device here.
        QVERIFY(!rig.link.OpenPort(16, "19200,e,8,1"));
        QVERIFY(!rig.link.IsOpen());
    }

    void readerAnswersThePresenceCheck() {
        const int com = ComFromEnvironment("VQ880_READER_COM");
        if (!com) QSKIP("VQ880_READER_COM names no port with a reader on it");
        Rig rig;
        QVERIFY(rig.link.OpenPort(com, "19200,e,8,1"));
        QVERIFY(rig.link.IsOpen());
        // While open the port runs on the link's own timeouts.
        CommTimeouts onPort;
        QVERIFY(rig.line.GetTimeouts(onPort));
        QVERIFY(onPort == ReaderLink::LinkTimeouts);
        QVERIFY(rig.link.SendCommand("A00B"));
        QCOMPARE(rig.link.LastReply().ReplyLength, 16);
        QVERIFY(rig.link.LastReply().ReplyText.startsWith("\nB"));
        // A second exchange on the same open port: the reply of the first was taken whole.
        QVERIFY(rig.link.SendCommand("A00V"));
        QVERIFY(rig.link.LastReply().ReplyText.contains("01.70-01"));
        rig.link.ClosePort();
        // Closed means released: the port opens again at once.
        QVERIFY(rig.link.OpenPort(com, "19200,e,8,1"));
        QVERIFY(rig.link.SendCommand("A00B"));
        rig.link.ClosePort();
    }

    void otherLineSpeedIsNotHeard() {
        const int com = ComFromEnvironment("VQ880_READER_COM");
        if (!com) QSKIP("VQ880_READER_COM names no port with a reader on it");
        Rig rig;
        // The line speed really reaches the port: the reader listens at 19200 only.
        QVERIFY(rig.link.OpenPort(com, "9600,e,8,1"));
        QVERIFY(!rig.link.SendCommand("A00B"));
        rig.link.ClosePort();
    }

    void silentReaderEndsTheExchange() {
        const int com = ComFromEnvironment("VQ880_SILENT_COM");
        if (!com) QSKIP("VQ880_SILENT_COM names no port with a silent reader on it");
        Rig rig;
        QVERIFY(rig.link.OpenPort(com, "19200,e,8,1"));
        const QByteArray before = rig.link.LastReply().ReplyText;
        // The one-byte reads give up after their 1 ms, so the reply window comes to its end.
        QVERIFY(!rig.link.SendCommand("A00B"));
        QCOMPARE(rig.link.LastReply().ReplyText, before);
        rig.link.ClosePort();
    }

    void portHeldByAnotherIsRefused() {
        const int com = ComFromEnvironment("VQ880_READER_COM");
        if (!com) QSKIP("VQ880_READER_COM names no port with a reader on it");
        Win32SerialLine holder;
        QVERIFY(holder.Open(PortNames::DefaultDevice(com)).opened());
        Rig rig;
        const bool opened = rig.link.OpenPort(com, "19200,e,8,1").opened();
        if (opened) rig.link.ClosePort();
        if (opened && UnderWine()) QSKIP("Wine does not hold serial ports exclusively");
        QVERIFY(!opened);
        QVERIFY(!rig.link.IsOpen());
    }
};

QTEST_GUILESS_MAIN(Win32SerialTest)
#include "tst_win32_serial.moc"
