// The line-speed change that the tool follows, the factory default with its control values,
// and the restart of the reader.
#include <QtTest>

#include "SettingsFixture.h"

namespace {

const std::optional<QByteArray> Silence = QByteArray();

// Every value control away from the factory value, and the untouched ones away from their
// start values.
void MoveAllControls(TfrmModule& form) {
    Ui(form).sbAddr->setValue(200);
    Ui(form).sbFreq->setValue(1);
    Ui(form).sbChannel->setValue(7);
    Ui(form).sbSameCard->setValue(500);
    Ui(form).sbID->setValue(42);
    Ui(form).cmbBaudRate->setCurrentIndex(2);
    Ui(form).sbRSSI->setValue(30);
    Ui(form).rbNC->setChecked(true);
    Ui(form).cmbWiegand->setCurrentIndex(2);
    Ui(form).cmbRS485->setCurrentIndex(3);
}

void VerifyUntouchedControls(const TfrmModule& form) {
    QCOMPARE(Ui(form).sbRSSI->value(), 30);
    QVERIFY(Ui(form).rbNC->isChecked());
    QCOMPARE(Ui(form).cmbWiegand->currentIndex(), 2);
    QCOMPARE(Ui(form).cmbRS485->currentIndex(), 3);
}

}  // namespace

class LineAndFactoryTest : public QObject {
    Q_OBJECT
  private slots:
    void lineSpeedChangeIsFollowed();
    void failedLineSpeedChangeKeepsLine();
    void lineSpeedWithoutSelection();
    void factoryDefaultSetsControls_data();
    void factoryDefaultSetsControls();
    void factoryDefaultWithoutReader();
    void factoryDefaultKeepsLineSetting();
    void resetSendsOneFrame();
    void resetWithoutAnswer();
};

void LineAndFactoryTest::lineSpeedChangeIsFollowed() {
    FormHarness h;
    TfrmModule& form = ReaderAsFound(h);
    Ui(form).cmbBaudRate->setCurrentIndex(7);

    form.btnBaudRateClick();

    VerifySuccess(h, "Set Reader BaudRate Ok");
    QCOMPARE(form.context().ScanBaudRateNo, 7);
    QCOMPARE(form.context().ScanBaudRate, QString("38400,e,8,1"));
    QCOMPARE(form.context().ScanCommNo, ReaderCom);
    // The change itself went out at the old line setting.
    QCOMPARE(h.observed.uses.last().line, ParseLineSetting("19200,e,8,1"));

    // The next operation reaches the reader at its new line setting.
    form.btnSameCardClick();
    VerifySuccess(h, "Set Same Card Ok");
    QCOMPARE(h.observed.uses.size(), 2);
    QCOMPARE(h.observed.uses.last().line, ParseLineSetting("38400,e,8,1"));
    QCOMPARE(h.reader.commandsReceived().last(), QByteArray("A00N0010"));

    // Not kept: a restart before the next scan uses the line setting that scan stored.
    const KeptSettings stored = h.StoredSettings();
    QCOMPARE(stored.ScanBaudRateNo, 5);
    QCOMPARE(stored.ScanBaudRate, QString("19200,e,8,1"));
    TfrmModule restarted(h.services());
    QCOMPARE(restarted.context().ScanBaudRateNo, 5);
    QCOMPARE(restarted.context().ScanBaudRate, QString("19200,e,8,1"));
    QCOMPARE(Ui(restarted).cmbBaudRate->currentIndex(), 5);
}

void LineAndFactoryTest::failedLineSpeedChangeKeepsLine() {
    FormHarness h;
    TfrmModule& form = ReaderAsFound(h);
    Ui(form).cmbBaudRate->setCurrentIndex(11);
    h.observed.replyFor = [](const QByteArray& c) -> std::optional<QByteArray> {
        return c.startsWith("A00E") ? Silence : std::nullopt;
    };

    form.btnBaudRateClick();

    VerifyFailure(h, "Set Reader BaudRate Error");
    // The reader took the change but its confirmation was lost: from then on it listens at
    // the new line setting and the tries at the old one go unheard.
    QCOMPARE(h.observed.AllCommands(), QList<QByteArray>({"A00B", "A00EB", "A00B", "A00B"}));
    QCOMPARE(form.context().ScanBaudRateNo, 5);
    QCOMPARE(form.context().ScanBaudRate, QString("19200,e,8,1"));
    QCOMPARE(Ui(form).cmbBaudRate->currentIndex(), 11);
}

void LineAndFactoryTest::lineSpeedWithoutSelection() {
    // The list without a selection: there is no line setting to send, so the operation fails
    // at once without touching the port.
    FormHarness h;
    TfrmModule& form = h.form();
    Ui(form).cmbBaudRate->setCurrentIndex(-1);
    bool waitModeAtTone = false;
    h.tones.onBeep = [&](int, int) { waitModeAtTone = InWaitMode(form); };

    form.btnBaudRateClick();
    VerifyFailure(h, "Start Scan Reader!");

    ReaderAsFound(h);
    form.btnBaudRateClick();
    VerifyFailure(h, "Set Reader BaudRate Error");
    QVERIFY(waitModeAtTone);
    QCOMPARE(h.tones.tones.size(), 2);
    QVERIFY(h.observed.uses.isEmpty());
    QCOMPARE(form.context().ScanBaudRateNo, 5);
    QCOMPARE(form.context().ScanBaudRate, QString("19200,e,8,1"));

    // The other operations still work with the kept line setting.
    form.btnSameCardClick();
    VerifySuccess(h, "Set Same Card Ok");
}

void LineAndFactoryTest::factoryDefaultSetsControls_data() {
    QTest::addColumn<bool>("readerConfirms");
    QTest::newRow("reader confirms") << true;
    QTest::newRow("reader never confirms, the values stay") << false;
}

void LineAndFactoryTest::factoryDefaultSetsControls() {
    QFETCH(bool, readerConfirms);
    FormHarness h;
    TfrmModule& form = ReaderAsFound(h);
    MoveAllControls(form);
    QStringList order;
    auto record = [&order](const QString& name) { return [&order, name] { order << name; }; };
    QObject::connect(Ui(form).sbAddr, &QScrollBar::valueChanged, &form, record("sbAddr"));
    QObject::connect(Ui(form).sbFreq, &QScrollBar::valueChanged, &form, record("sbFreq"));
    QObject::connect(Ui(form).sbChannel, &QScrollBar::valueChanged, &form, record("sbChannel"));
    QObject::connect(Ui(form).sbSameCard, &QScrollBar::valueChanged, &form, record("sbSameCard"));
    QObject::connect(Ui(form).sbID, &QScrollBar::valueChanged, &form, record("sbID"));
    QObject::connect(Ui(form).cmbBaudRate, &QComboBox::currentIndexChanged, &form,
                     record("cmbBaudRate"));
    if (!readerConfirms)
        h.observed.replyFor = [](const QByteArray& c) -> std::optional<QByteArray> {
            return c == "A00X5A" ? Silence : std::nullopt;
        };
    QString shownWhilePresenceCheck;
    QString idWhilePresenceCheck;
    h.observed.onCommand = [&](const QByteArray&) {
        shownWhilePresenceCheck = Ui(form).pnMsg->caption();
        idWhilePresenceCheck = Ui(form).pnID->caption();
    };

    form.btnFactoryClick();

    QCOMPARE(order,
             QStringList({"sbAddr", "sbFreq", "sbChannel", "sbSameCard", "sbID", "cmbBaudRate"}));
    QCOMPARE(shownWhilePresenceCheck, QString("Set Default"));
    QCOMPARE(idWhilePresenceCheck, QString("01"));
    QCOMPARE(Ui(form).pnAddr->caption(), QString("049"));
    QCOMPARE(Ui(form).pnFreq->caption(), QString("059"));
    QCOMPARE(Ui(form).pnChannel->caption(), QString("000"));
    QCOMPARE(Ui(form).pnSameCard->caption(), QString("0010"));
    QCOMPARE(Ui(form).pnID->caption(), QString("01"));
    QCOMPARE(Ui(form).cmbBaudRate->currentText(), QString("19200,e,8,1"));
    VerifyUntouchedControls(form);
    if (readerConfirms)
        VerifySuccess(h, "Set Default Ok");
    else
        VerifyFailure(h, "Set Default Error");
}

void LineAndFactoryTest::factoryDefaultWithoutReader() {
    FormHarness h;
    TfrmModule& form = h.form();
    MoveAllControls(form);

    form.btnFactoryClick();

    VerifyFailure(h, "Start Scan Reader!");
    QVERIFY(h.observed.uses.isEmpty());
    QCOMPARE(Ui(form).sbAddr->value(), 200);
    QCOMPARE(Ui(form).sbFreq->value(), 1);
    QCOMPARE(Ui(form).sbChannel->value(), 7);
    QCOMPARE(Ui(form).sbSameCard->value(), 500);
    QCOMPARE(Ui(form).pnSameCard->caption(), QString("0500"));
    QCOMPARE(Ui(form).sbID->value(), 42);
    QCOMPARE(Ui(form).cmbBaudRate->currentIndex(), 2);
    VerifyUntouchedControls(form);
}

void LineAndFactoryTest::factoryDefaultKeepsLineSetting() {
    ReaderOptions options;
    options.lineIndex = 2;  // "9600,n,8,1"
    FormHarness h(options);
    TfrmModule& form = ReaderAsFound(h, 2);

    form.btnFactoryClick();
    VerifySuccess(h, "Set Default Ok");
    QCOMPARE(Ui(form).cmbBaudRate->currentIndex(), 5);
    QCOMPARE(form.context().ScanBaudRate, QString("9600,n,8,1"));
    QCOMPARE(form.context().ScanBaudRateNo, 2);

    form.btnRSSIClick();
    QCOMPARE(h.observed.uses.size(), 2);
    QCOMPARE(h.observed.uses.last().line, ParseLineSetting("9600,n,8,1"));
}

void LineAndFactoryTest::resetSendsOneFrame() {
    FormHarness h;
    TfrmModule& form = ReaderAsFound(h);
    quint64 sentAtUs = 0;
    QString shownWhileSent;
    h.observed.onCommand = [&](const QByteArray&) {
        sentAtUs = h.clock.NowUs();
        shownWhileSent = Ui(form).pnMsg->caption();
    };
    const quint64 startUs = h.clock.NowUs();

    form.btnResetClick();

    QCOMPARE(h.line.written(), QByteArray("\tA00HR52\r"));
    QCOMPARE(h.observed.uses.size(), 1);
    QCOMPARE(h.reader.commandsReceived(), QList<QByteArray>({"A00HR"}));
    QCOMPARE(shownWhileSent, QString("Reader Reset"));
    // The 50 ms pause and the frame's own write pauses come before the CR.
    QVERIFY(sentAtUs - startUs >= 50'000);
    QVERIFY(sentAtUs - startUs < 100'000);
    VerifySuccess(h, "Reader Reset Ok");
    QVERIFY(form.context().ReaderFound);
}

void LineAndFactoryTest::resetWithoutAnswer() {
    FormHarness h;
    TfrmModule& form = ReaderAsFound(h);
    h.observed.replyFor = [](const QByteArray&) { return Silence; };

    form.btnResetClick();

    QCOMPARE(h.observed.AllCommands(), QList<QByteArray>({"A00HR"}));
    QVERIFY(!h.line.isOpen());
    VerifyFailure(h, "TReader Reset Error");
}

QTEST_MAIN(LineAndFactoryTest)
#include "tst_line_and_factory.moc"
