// What the window makes of the operations: what each button hands its operation, and how each
// step an operation reports shows in the controls (the reader's panels in the window's
// language, the line list, the factory values, the locking of a reading run); the failed
// scan's tooltip, and the safety net around a reading run.
#include <QMessageBox>
#include <QtTest>
#include <stdexcept>

#include "FormHarness.h"

namespace {

void Report(TfrmModule& form, OperationStep::Kind kind, bool on = false) {
    OperationStep step;
    step.kind = kind;
    step.on = on;
    form.Report(step);
}

void ReportMessage(TfrmModule& form, OperationStep::Kind kind, const Message& message) {
    OperationStep step;
    step.kind = kind;
    step.message = message;
    form.Report(step);
}

void ReportReader(TfrmModule& form, OperationStep::Kind kind, const ReaderIdentity& reader) {
    OperationStep step;
    step.kind = kind;
    step.reader = reader;
    form.Report(step);
}

ReaderIdentity Reader(const QByteArray& serial, const QByteArray& number,
                      const QByteArray& version = {}) {
    ReaderIdentity reader;
    reader.serialNumber = serial;
    reader.readerNumber = number;
    reader.version = version;
    return reader;
}

// The controls a reading run locks, in the order it locks them.
QList<QWidget*> LockedControls(TfrmModule& f) {
    return {Ui(f).btnExit,     Ui(f).btnScan,   Ui(f).btnFactory,  Ui(f).btnID,
            Ui(f).btnBaudRate, Ui(f).gbDefault, Ui(f).btnEng,      Ui(f).btnGB,
            Ui(f).btnBIG5,     Ui(f).btnNoNc,   Ui(f).btnSameCard, Ui(f).btnMode};
}

// Notes the order in which watched widgets change between enabled and disabled.
class EnabledChanges : public QObject {
  public:
    explicit EnabledChanges(const QList<QWidget*>& widgets) {
        for (QWidget* w : widgets) w->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange) {
            auto* w = static_cast<QWidget*>(watched);
            (w->isEnabled() ? enabled : disabled) << w->objectName();
        }
        return false;
    }
    QStringList disabled, enabled;
};

// Each button with the controls it reads, as the operator left them.
struct Binding {
    const char* name;
    std::function<void(TfrmModule&)> arrange;
    void (*click)(TfrmModule&);
    const char* command;
};
const Binding Bindings[] = {
    {"btnID sends pnID after the serial number", [](TfrmModule& f) { Ui(f).sbID->setValue(7); },
     ClickID, "A00C0000123407"},
    {"btnBaudRate sends the selected line setting",
     [](TfrmModule& f) { Ui(f).cmbBaudRate->setCurrentIndex(7); }, ClickBaudRate, "A00E7"},
    {"btnSameCard sends sbSameCard", [](TfrmModule& f) { Ui(f).sbSameCard->setValue(500); },
     ClickSameCard, "A00N0500"},
    {"btnNoNc with rbNC checked", [](TfrmModule& f) { Ui(f).rbNC->setChecked(true); }, ClickNoNc,
     "A00M0"},
    {"btnNoNc with rbNO checked", [](TfrmModule& f) { Ui(f).rbNO->setChecked(true); }, ClickNoNc,
     "A00M1"},
    {"btnMode sends cmbRS485, then cmbWiegand",
     [](TfrmModule& f) {
         Ui(f).cmbRS485->setCurrentIndex(3);
         Ui(f).cmbWiegand->setCurrentIndex(2);
     },
     ClickMode, "A00L32"},
    {"btnAddr sends sbAddr", [](TfrmModule& f) { Ui(f).sbAddr->setValue(200); }, ClickAddr,
     "A00W0601C8"},
    {"btnFreq sends sbFreq", [](TfrmModule& f) { Ui(f).sbFreq->setValue(10); }, ClickFreq,
     "A00W0F010A"},
    {"btnChannel sends sbChannel", [](TfrmModule& f) { Ui(f).sbChannel->setValue(171); },
     ClickChannel, "A00W0B01AB"},
    {"btnRSSI sends sbRSSI", [](TfrmModule& f) { Ui(f).sbRSSI->setValue(15); }, ClickRSSI,
     "A00O0F"},
    {"btnFactory", [](TfrmModule&) {}, ClickFactory, "A00X5A"},
    {"btnReset", [](TfrmModule&) {}, ClickReset, "A00HR"},
};

}  // namespace

class WindowStepsTest : public QObject {
    Q_OBJECT

  private slots:
    void buttonHandsItsControlsToItsOperation_data();
    void buttonHandsItsControlsToItsOperation();
    void readerPanelsInTheWindowsLanguage_data();
    void readerPanelsInTheWindowsLanguage();
    void readerNumberReachesPanelAndScrollBar_data();
    void readerNumberReachesPanelAndScrollBar();
    void verdictLineAndHourglass();
    void factoryValuesSetTheSixControlsInOrder();
    void readingRunLocksAndFreesTheControls();
    void failedScanExplainsItselfInTheMessagesTooltip();
    void anErrorInARunEndsItCleanly();
};

void WindowStepsTest::buttonHandsItsControlsToItsOperation_data() {
    QTest::addColumn<int>("binding");
    for (int i = 0; i < int(std::size(Bindings)); ++i) QTest::newRow(Bindings[i].name) << i;
}

void WindowStepsTest::buttonHandsItsControlsToItsOperation() {
    QFETCH(int, binding);
    FormHarness h;
    QVERIFY(h.FindReader());
    Bindings[binding].arrange(h.form());

    Bindings[binding].click(h.form());

    QCOMPARE(h.reader.commandsReceived().last(), QByteArray(Bindings[binding].command));
}

void WindowStepsTest::readerPanelsInTheWindowsLanguage_data() {
    QTest::addColumn<QString>("flag");
    QTest::addColumn<int>("language");
    QTest::newRow("English") << "English" << 0;
    QTest::newRow("Simplified Chinese") << "ChineseGB" << 1;
    QTest::newRow("Traditional Chinese") << "ChineseBIG5" << 2;
}

// A scan starts by taking away the reader shown before; then the panels fill as the reader
// answers, in the window's language.
void WindowStepsTest::readerPanelsInTheWindowsLanguage() {
    QFETCH(QString, flag);
    QFETCH(int, language);
    const auto text = [language](int row) { return QString::fromUtf8(TextTable[row][language]); };
    FormHarness h;
    h.StoreSettings({0, "19200,e,8,1", 5, flag});
    TfrmModule& f = h.form();
    using Kind = OperationStep::Kind;
    ReportReader(f, Kind::ReaderAnswered, Reader("00001234", "07"));
    ReportReader(f, Kind::VersionRead, Reader("00001234", "07", "01.70-01"));

    ReportMessage(f, Kind::ScanStarted, Message::Row(RowScanReader).Append(" ...."));
    QCOMPARE(Ui(f).pnMsg->caption(), text(RowScanReader) + " ....");
    QCOMPARE(Ui(f).pnSerial->caption(), text(RowSerial) + " : ________");
    QCOMPARE(Ui(f).pnVersion->caption(), text(RowVersion) + " : __.__-__");
    QCOMPARE(Ui(f).pnID->caption(), QString("__"));

    ReportReader(f, Kind::ReaderAnswered, Reader("A1B2C3D4", "42"));
    ReportReader(f, Kind::VersionRead, Reader("A1B2C3D4", "42", "01.70-01"));
    ReportMessage(f, Kind::Message, Message::Row(RowGetReaderInfoOk).Append(" : #3)"));
    QCOMPARE(Ui(f).pnSerial->caption(), text(RowSerial) + " : A1B2C3D4");
    QCOMPARE(Ui(f).pnID->caption(), QString("42"));
    QCOMPARE(Ui(f).sbID->value(), 42);
    QCOMPARE(Ui(f).pnVersion->caption(), text(RowVersion) + " : 01.70-01");
    QCOMPARE(Ui(f).pnMsg->caption(), text(RowGetReaderInfoOk) + " : #3)");
}

void WindowStepsTest::readerNumberReachesPanelAndScrollBar_data() {
    QTest::addColumn<QByteArray>("characters");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<int>("position");  // the scroll bar stands at 33 before

    QTest::newRow("07 gives the panel 07 and the scroll bar 7") << QByteArray("07") << "07" << 7;
    QTest::newRow("99 is the highest number") << QByteArray("99") << "99" << 99;
    QTest::newRow("01 is the lowest number") << QByteArray("01") << "01" << 1;
    QTest::newRow("letters stay in the panel, the scroll bar stays")
        << QByteArray("1A") << "1A" << 33;
    QTest::newRow("letters after a digit stay in the panel, the scroll bar stays")
        << QByteArray("7A") << "7A" << 33;
    // The scroll bar keeps its position within 1 to 99, and its change shows "01".
    QTest::newRow("00 puts the scroll bar at its lowest") << QByteArray("00") << "01" << 1;
    QTest::newRow("a blank and a digit are no number") << QByteArray(" 7") << " 7" << 33;
    QTest::newRow("a sign is no digit") << QByteArray("+7") << "+7" << 33;
}

void WindowStepsTest::readerNumberReachesPanelAndScrollBar() {
    QFETCH(QByteArray, characters);
    QFETCH(QString, panel);
    QFETCH(int, position);
    FormHarness h;
    TfrmModule& f = h.form();
    Ui(f).sbID->setValue(33);

    ReportReader(f, OperationStep::Kind::ReaderAnswered, Reader("00001234", characters));

    QCOMPARE(Ui(f).pnID->caption(), panel);
    QCOMPARE(Ui(f).sbID->value(), position);
    QCOMPARE(Ui(f).pnSerial->caption(), QString("S/N : 00001234"));
}

// The link indicator's colour, the line list's selection, and the hourglass alone, which
// leaves the window usable (busy mode and wait mode are the main window's own tests).
void WindowStepsTest::verdictLineAndHourglass() {
    FormHarness h;
    TfrmModule& f = h.form();
    using Kind = OperationStep::Kind;
    Report(f, Kind::Verdict, true);
    QCOMPARE(Ui(f).shComm->brushColor(), ColorYellow);
    Report(f, Kind::Verdict, false);
    QCOMPARE(Ui(f).shComm->brushColor(), ColorRed);

    OperationStep line;
    line.kind = Kind::LineSetting;
    line.lineIndex = 7;
    f.Report(line);
    QCOMPARE(Ui(f).cmbBaudRate->currentIndex(), 7);

    Report(f, Kind::Hourglass, true);
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QVERIFY(f.isEnabled());
    Report(f, Kind::Hourglass, false);
    QVERIFY(!QGuiApplication::overrideCursor());
}

// Every value control away from its factory value: the six go back in their order, each
// panel following its scroll bar; the others stay as the operator left them.
void WindowStepsTest::factoryValuesSetTheSixControlsInOrder() {
    FormHarness h;
    TfrmModule& f = h.form();
    Ui(f).sbAddr->setValue(200);
    Ui(f).sbFreq->setValue(1);
    Ui(f).sbChannel->setValue(7);
    Ui(f).sbSameCard->setValue(500);
    Ui(f).sbID->setValue(42);
    Ui(f).cmbBaudRate->setCurrentIndex(2);
    Ui(f).sbRSSI->setValue(30);
    Ui(f).rbNC->setChecked(true);
    Ui(f).cmbWiegand->setCurrentIndex(2);
    Ui(f).cmbRS485->setCurrentIndex(3);
    QStringList order;
    const auto record = [&order](const QString& name) { return [&order, name] { order << name; }; };
    for (QScrollBar* bar :
         {Ui(f).sbAddr, Ui(f).sbFreq, Ui(f).sbChannel, Ui(f).sbSameCard, Ui(f).sbID})
        QObject::connect(bar, &QScrollBar::valueChanged, &f, record(bar->objectName()));
    QObject::connect(Ui(f).cmbBaudRate, &QComboBox::currentIndexChanged, &f, record("cmbBaudRate"));

    Report(f, OperationStep::Kind::FactoryValues);

    QCOMPARE(order,
             QStringList({"sbAddr", "sbFreq", "sbChannel", "sbSameCard", "sbID", "cmbBaudRate"}));
    QCOMPARE(Ui(f).pnAddr->caption(), QString("049"));
    QCOMPARE(Ui(f).pnFreq->caption(), QString("059"));
    QCOMPARE(Ui(f).pnChannel->caption(), QString("000"));
    QCOMPARE(Ui(f).pnSameCard->caption(), QString("0010"));
    QCOMPARE(Ui(f).pnID->caption(), QString("01"));
    QCOMPARE(Ui(f).cmbBaudRate->currentText(), QString("19200,e,8,1"));
    QCOMPARE(Ui(f).sbRSSI->value(), 30);
    QVERIFY(Ui(f).rbNC->isChecked());
    QCOMPARE(Ui(f).cmbWiegand->currentIndex(), 2);
    QCOMPARE(Ui(f).cmbRS485->currentIndex(), 3);
}

// The steps of a reading run in the order the run reports them: the twelve controls locked
// and freed in their order, the read button as the cancel button until the run has ended.
void WindowStepsTest::readingRunLocksAndFreesTheControls() {
    FormHarness h;
    TfrmModule& f = h.form();
    // btnFactory sits inside gbDefault: its own change shows only while the group is enabled,
    // so the order is watched on the other eleven.
    QList<QWidget*> watched = LockedControls(f);
    watched.removeOne(Ui(f).btnFactory);
    QStringList names;
    for (QWidget* control : watched) names << control->objectName();
    EnabledChanges changes(watched);
    using Kind = OperationStep::Kind;

    f.context().TagReading = true;  // as the run sets it before its first step
    Report(f, Kind::ReadingStarted);
    Report(f, Kind::Busy, true);
    Report(f, Kind::ReadingListening);
    QCOMPARE(Ui(f).btnReadCard->text(), QString("Cancel Read TAG"));
    for (QWidget* w : LockedControls(f)) QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    QVERIFY(f.isEnabled());
    QVERIFY(Ui(f).tmrBusy->isActive());
    const QList<QWidget*> usable = {Ui(f).btnReadCard, Ui(f).sbID, Ui(f).cmbBaudRate, Ui(f).chkLock,
                                    Ui(f).sbSameCard,  Ui(f).rbNC, Ui(f).cmbWiegand};
    for (QWidget* w : usable) QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    QVERIFY(!Ui(f).sbRSSI->isEnabled());  // inside gbDefault
    Ui(f).btnGB->click();                 // refused: the language stays
    QCOMPARE(f.Text(RowReadTag), QString("Read TAG"));
    // The cancel click ends the run after its pass; the button stays the cancel button.
    Ui(f).btnReadCard->click();
    QVERIFY(!f.context().TagReading);
    QCOMPARE(Ui(f).btnReadCard->text(), QString("Cancel Read TAG"));

    OperationStep tag;
    tag.kind = Kind::TagRead;
    tag.tag = {"0000BC61", 0xBC61};
    f.Report(tag);
    Report(f, Kind::Busy, false);
    Report(f, Kind::ReadingStopped);
    QCOMPARE(Ui(f).shCard->brushColor(), ColorWhite);
    QCOMPARE(Ui(f).btnReadCard->text(), QString("Cancel Read TAG"));

    Report(f, Kind::ReadingEnded);
    QCOMPARE(Ui(f).btnReadCard->text(), QString("Read TAG"));
    QCOMPARE(Ui(f).pnCardID->caption(), QString("TAG ID"));
    QCOMPARE(changes.disabled, names);
    QCOMPARE(changes.enabled, names);
    for (QWidget* w : LockedControls(f)) QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    QVERIFY(Ui(f).btnReset->isEnabled());
    QVERIFY(!Ui(f).tmrBusy->isActive());
}

// Each port's line and the hint, in the window's language, as the message's tooltip; the
// message itself is the same, and the next message takes the tooltip away.
void WindowStepsTest::failedScanExplainsItselfInTheMessagesTooltip() {
    FormHarness h({}, "/dev/no-reader");
    for (int com = 1; com <= 16; ++com) h.line.AddSilentDevice(PortNames::DefaultDevice(com));
    h.line.SetBusyDevice(PortNames::DefaultDevice(5));
    Ui(h.form()).btnGB->click();

    QVERIFY(!h.FindReader());

    TPanel* message = Ui(h.form()).pnMsg;
    QCOMPARE(message->caption(), h.form().context().Text(RowReaderNotFind));
    const QStringList tip = message->toolTip().split('\n');
    QCOMPARE(tip.size(), 18);  // sixteen ports, a blank line, the hint
    const QString com1 = PortNames::DefaultDevice(1), com5 = PortNames::DefaultDevice(5);
    QCOMPARE(tip[0], "COM1 (" + com1 + "): 在 19200,e,8,1 下无应答");
    QCOMPARE(tip[4], "COM5 (" + com5 + "): 被其他程序占用");
    QVERIFY2(tip[17].startsWith("其他程序占用了 COM5（" + com5 + "）"), qPrintable(tip[17]));

    Ui(h.form()).btnID->click();
    QVERIFY(message->toolTip().isEmpty());
}

// The handler's safety net: an error in the middle of a run shows its box and leaves no run
// behind, so the next click starts a new one.
void WindowStepsTest::anErrorInARunEndsItCleanly() {
    FormHarness h({.tags = {0x0000BC61}});
    QVERIFY(h.FindReader());
    TfrmModule& f = h.form();
    h.tones.onBeep = [](int hz, int ms) {
        if (hz == 1000 && ms == 30) throw std::runtime_error("the speaker failed");
    };
    QString shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&shown] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    closer.start(10);

    Ui(f).btnReadCard->click();

    QCOMPARE(shown, QString("the speaker failed"));
    QVERIFY(!f.context().TagReading);
    QVERIFY(!f.context().ReadingRunActive);
    QVERIFY(!h.line.isOpen());
    QCOMPARE(Ui(f).btnReadCard->text(), QString("Read TAG"));
    QCOMPARE(Ui(f).pnCardID->caption(), QString("TAG ID"));
    for (QWidget* control : LockedControls(f))
        QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    QVERIFY(f.isEnabled());
    QVERIFY(!Ui(f).tmrBusy->isActive());

    h.tones.onBeep = nullptr;
    h.tones.tones.clear();
    h.ReadTagsFor(300);
    QVERIFY(h.tones.Count(1000, 30) >= 1);
}

QTEST_MAIN(WindowStepsTest)
#include "tst_window_steps.moc"
