// Every setting command as it reaches the reader, formed from what the controls hold, with
// the start and success texts the window shows around it.
#include <QtTest>

#include "FrameCodec.h"
#include "SettingsFixture.h"

namespace {

struct CommandCase {
    QByteArray name;
    std::function<void(TfrmModule&)> arrange;  // the controls as the operator left them
    Operation run;
    QByteArray command;  // as the reader receives it
    QByteArray check;    // check characters on the line, where worth pinning
    QString startText;   // pnMsg while the command goes out
    QString successText;
    ReaderOptions reader;  // the reader's own number and serial number
};

void Nothing(TfrmModule&) {}

ReaderOptions ReaderWith(const QByteArray& serial, int number) {
    ReaderOptions options;
    options.serialNumber = serial;
    options.readerNumber = number;
    return options;
}

QList<CommandCase> Cases() {
    QList<CommandCase> cases;
    const char* rs485[] = {"24", "32", "40", "64"};
    const char* wiegand[] = {"26", "34", "42"};
    for (int r = 0; r < 4; ++r)
        for (int w = 0; w < 3; ++w)
            cases.append({QString("reader mode RS485 %1 bits, Wiegand %2 bits")
                              .arg(rs485[r], wiegand[w])
                              .toLatin1(),
                          [r, w](TfrmModule& f) {
                              Ui(f).cmbRS485->setCurrentIndex(r);
                              Ui(f).cmbWiegand->setCurrentIndex(w);
                          },
                          ClickMode,
                          "A00L" + QByteArray::number(r) + QByteArray::number(w),
                          {},
                          "Set Reader Mode",
                          "Set Reader Mode Ok",
                          {}});
    cases.append({"reader mode at start is RS485 32, Wiegand 26",
                  Nothing,
                  ClickMode,
                  "A00L10",
                  {},
                  "Set Reader Mode",
                  "Set Reader Mode Ok",
                  {}});

    cases.append({"same-card time 0 s",
                  [](TfrmModule& f) { Ui(f).sbSameCard->setValue(0); },
                  ClickSameCard,
                  "A00N0000",
                  {},
                  "Set Same Card",
                  "Set Same Card Ok",
                  {}});
    cases.append({"same-card time 9999 s",
                  [](TfrmModule& f) { Ui(f).sbSameCard->setValue(9999); },
                  ClickSameCard,
                  "A00N9999",
                  {},
                  "Set Same Card",
                  "Set Same Card Ok",
                  {}});
    cases.append({"same-card time untouched is 10 s",
                  Nothing,
                  ClickSameCard,
                  "A00N0010",
                  "07",
                  "Set Same Card",
                  "Set Same Card Ok",
                  {}});

    cases.append({"input normally closed",
                  [](TfrmModule& f) { Ui(f).rbNC->setChecked(true); },
                  ClickNoNc,
                  "A00M0",
                  "35",
                  "Set DI NO/NC",
                  "Set DI NO/NC Ok",
                  {}});
    cases.append({"input normally open",
                  [](TfrmModule& f) { Ui(f).rbNO->setChecked(true); },
                  ClickNoNc,
                  "A00M1",
                  "34",
                  "Set DI NO/NC",
                  "Set DI NO/NC Ok",
                  {}});

    cases.append({"reader number 07 with the serial number just reported",
                  [](TfrmModule& f) { Ui(f).sbID->setValue(7); },
                  ClickID,
                  "A00C0000123407",
                  "08",
                  "Set Reader ID = 07",
                  "Set Reader ID Ok",
                  {}});
    cases.append({"reader number 99 of another reader",
                  [](TfrmModule& f) { Ui(f).sbID->setValue(99); },
                  ClickID,
                  "A00CABCD567899",
                  {},
                  "Set Reader ID = 99",
                  "Set Reader ID Ok",
                  ReaderWith("ABCD5678", 12)});
    cases.append({"reader number is the panel's caption as it stands",
                  [](TfrmModule& f) { Ui(f).pnID->setCaption("5"); },
                  ClickID,
                  "A00C000012345",
                  {},
                  "Set Reader ID = 5",
                  "Set Reader ID Ok",
                  {}});

    for (int i = 0; i < 12; ++i)
        cases.append({QByteArray("line setting ") + LineSettingTable[i],
                      [i](TfrmModule& f) { Ui(f).cmbBaudRate->setCurrentIndex(i); },
                      ClickBaudRate,
                      "A00E" + QByteArray::number(i, 16).toUpper(),
                      i == 11  ? "4F"
                      : i == 0 ? "3D"
                               : "",
                      QString("Set Reader BaudRate = ") + LineSettingTable[i],
                      "Set Reader BaudRate Ok",
                      {}});

    cases.append({"radio address 255",
                  [](TfrmModule& f) { Ui(f).sbAddr->setValue(255); },
                  ClickAddr,
                  "A00W0601FF",
                  {},
                  "Set Address",
                  "Set Address Ok",
                  {}});
    cases.append({"radio address 0",
                  [](TfrmModule& f) { Ui(f).sbAddr->setValue(0); },
                  ClickAddr,
                  "A00W060100",
                  {},
                  "Set Address",
                  "Set Address Ok",
                  {}});
    cases.append({"radio address at start is 49",
                  Nothing,
                  ClickAddr,
                  "A00W060131",
                  "1A",
                  "Set Address",
                  "Set Address Ok",
                  {}});
    cases.append({"radio frequency at start is 59",
                  Nothing,
                  ClickFreq,
                  "A00W0F013B",
                  {},
                  "Set Freq",
                  "Set Freq Ok",
                  {}});
    cases.append({"radio frequency 10 has a leading zero",
                  [](TfrmModule& f) { Ui(f).sbFreq->setValue(10); },
                  ClickFreq,
                  "A00W0F010A",
                  {},
                  "Set Freq",
                  "Set Freq Ok",
                  {}});
    cases.append({"radio channel at start is 0",
                  Nothing,
                  ClickChannel,
                  "A00W0B0100",
                  {},
                  "Set Channel",
                  "Set Channel Ok",
                  {}});
    cases.append({"radio channel 171",
                  [](TfrmModule& f) { Ui(f).sbChannel->setValue(171); },
                  ClickChannel,
                  "A00W0B01AB",
                  {},
                  "Set Channel",
                  "Set Channel Ok",
                  {}});

    cases.append({"RSSI level 250",
                  [](TfrmModule& f) { Ui(f).sbRSSI->setValue(250); },
                  ClickRSSI,
                  "A00OFA",
                  "00",
                  "Set RSSI Level",
                  "Set RSSI Level Ok",
                  {}});
    cases.append({"RSSI level 15",
                  [](TfrmModule& f) { Ui(f).sbRSSI->setValue(15); },
                  ClickRSSI,
                  "A00O0F",
                  {},
                  "Set RSSI Level",
                  "Set RSSI Level Ok",
                  {}});
    cases.append({"RSSI level at start is 0",
                  Nothing,
                  ClickRSSI,
                  "A00O00",
                  {},
                  "Set RSSI Level",
                  "Set RSSI Level Ok",
                  {}});

    cases.append({"factory default",
                  Nothing,
                  ClickFactory,
                  "A00X5A",
                  "64",
                  "Set Default",
                  "Set Default Ok",
                  {}});
    cases.append({"reader reset",
                  Nothing,
                  ClickReset,
                  "A00HR",
                  "52",
                  "Reader Reset",
                  "Reader Reset Ok",
                  {}});
    return cases;
}

}  // namespace

class SettingCommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void commandReachesTheReader_data();
    void commandReachesTheReader();
};

void SettingCommandsTest::commandReachesTheReader_data() {
    QTest::addColumn<int>("index");
    const QList<CommandCase> cases = Cases();
    for (int i = 0; i < cases.size(); ++i) QTest::newRow(cases[i].name.constData()) << i;
}

void SettingCommandsTest::commandReachesTheReader() {
    QFETCH(int, index);
    const CommandCase c = Cases()[index];
    FormHarness h(c.reader);
    TfrmModule& form = ReaderAsFound(h);
    c.arrange(form);

    // What the window shows while each command goes out.
    QStringList shownWhileSent;
    bool waitModeThroughout = true;
    h.observed.onCommand = [&](const QByteArray&) {
        shownWhileSent << Ui(form).pnMsg->caption();
        waitModeThroughout = waitModeThroughout && InWaitMode(form);
    };

    c.run(form);

    // The presence check goes first, except before the restart.
    const QList<QByteArray> expected =
        c.run == ClickReset ? QList<QByteArray>{c.command} : QList<QByteArray>{"A00B", c.command};
    QCOMPARE(h.reader.commandsReceived(), expected);
    if (!c.check.isEmpty()) QVERIFY(h.line.written().endsWith("\t" + c.command + c.check + "\r"));
    QCOMPARE(h.observed.uses.size(), 1);
    QVERIFY(!h.line.isOpen());
    QCOMPARE(shownWhileSent.value(0), c.startText);
    QVERIFY(waitModeThroughout);
    VerifySuccess(h, c.successText);
    QCOMPARE(h.tones.tones.size(), 1);
}

QTEST_MAIN(SettingCommandsTest)
#include "tst_setting_commands.moc"
