// The three languages of the window: the captions each button writes, the panels it resets,
// the flag it keeps, and the texts that stay the same.
#include <QTest>

#include "FormHarness.h"
#ifndef _WIN32
#include <sys/stat.h>

#include "FifoRelease.h"
#endif

namespace {
QString Row(int row, int column) {
    return QString::fromUtf8(TextTable[row][column]);
}
}  // namespace

class LanguagesTest : public QObject {
    Q_OBJECT

  private slots:
    void switchWritesCaptionsAndKeepsFlag_data();
    void switchWritesCaptionsAndKeepsFlag();
    void switchResetsPanelsButNotTheReaderNumber();
    void buttonOfLanguageInUseSavesAgain();
    void storedFlag_data();
    void storedFlag();
    void textsOutsideTheTableStayEnglish();
    void rssiTextsNameTheOperation();
    void aFifoInPlaceOfTheSettings_data();
    void aFifoInPlaceOfTheSettings();
};

void LanguagesTest::switchWritesCaptionsAndKeepsFlag_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("idLabel");
    QTest::addColumn<QString>("scanCaption");
    QTest::newRow("English from Simplified Chinese") << "ChineseGB"
                                                     << "btnEng" << 0 << "English"
                                                     << "ID:"
                                                     << "Scan Reader";
    QTest::newRow("Simplified Chinese from English") << "English"
                                                     << "btnGB" << 1 << "ChineseGB"
                                                     << "编号:"
                                                     << "扫描读卡机";
    QTest::newRow("Traditional Chinese from English") << "English"
                                                      << "btnBIG5" << 2 << "ChineseBIG5"
                                                      << "編號:"
                                                      << "掃描讀卡機";
}

void LanguagesTest::switchWritesCaptionsAndKeepsFlag() {
    QFETCH(QString, start);
    QFETCH(QString, button);
    QFETCH(int, index);
    QFETCH(QString, flag);
    QFETCH(QString, idLabel);
    QFETCH(QString, scanCaption);
    FormHarness h;
    h.StoreSettings({0, "19200,e,8,1", 5, start});
    TfrmModule& f = h.form();
    QCOMPARE(f.context().LanguageFlag, start);

    f.findChild<QPushButton*>(button)->click();
    QCOMPARE(f.context().LanguageIndex, index);
    QCOMPARE(f.context().LanguageFlag, flag);
    QCOMPARE(h.StoredSettings().LanguageFlag, flag);
    QCOMPARE(Ui(f).lblID->text(), idLabel);
    QCOMPARE(Ui(f).btnScan->text(), scanCaption);

    const std::pair<QString, QString> captions[] = {
        {f.windowTitle(), Row(RowWindowCaption, index)},
        {Ui(f).pnTAVIN->caption(), Row(RowCompanyLine, index)},
        {Ui(f).pnMsg->caption(), Row(RowStartScanReader, index)},
        {Ui(f).pnSerial->caption(), Row(RowSerial, index) + " : ________"},
        {Ui(f).pnVersion->caption(), Row(RowVersion, index) + " : __.__-__"},
        {Ui(f).lblID->text(), Row(RowId, index) + ":"},
        {Ui(f).lblBaudRate->text(), Row(RowBaudRate, index) + ":"},
        {Ui(f).pnCardID->caption(), Row(RowTagId, index)},
        {Ui(f).btnScan->text(), Row(RowScanReader, index)},
        {Ui(f).btnID->text(), Row(RowSetReaderId, index)},
        {Ui(f).btnBaudRate->text(), Row(RowSetReaderBaudRateButton, index)},
        {Ui(f).btnReadCard->text(), Row(RowReadTag, index)},
        {Ui(f).gbDefault->title(), Row(RowFactorySetting, index)},
        {Ui(f).btnFactory->text(), Row(RowFactoryDefault, index)},
        {Ui(f).btnExit->text(), Row(RowExit, index)},
        {Ui(f).btnReset->text(), Row(RowReaderReset, index)},
        {Ui(f).btnNoNc->text(), Row(RowSetDiNoNc, index)},
        {Ui(f).btnSameCard->text(), Row(RowSetSameCard, index)},
        {Ui(f).btnMode->text(), Row(RowSetReaderMode, index)},
        {Ui(f).btnAddr->text(), Row(RowSetAddress, index)},
        {Ui(f).btnFreq->text(), Row(RowSetFreq, index)},
        {Ui(f).btnChannel->text(), Row(RowSetChannel, index)},
    };
    for (const auto& [shown, expected] : captions) QCOMPARE(shown, expected);
    for (const auto& [shown, expected] : captions) QVERIFY(!shown.contains('&'));
    QCOMPARE(f.Text(RowReaderNotFind), Row(RowReaderNotFind, index));
}

void LanguagesTest::switchResetsPanelsButNotTheReaderNumber() {
    FormHarness h;
    TfrmModule& f = h.form();
    // As a successful discovery leaves the window.
    f.context().ReaderFound = true;
    Ui(f).sbID->setValue(12);
    Ui(f).pnMsg->setCaption("Get Reader Info Ok. (COM3)");
    Ui(f).pnSerial->setCaption("S/N : 00001234");
    Ui(f).pnVersion->setCaption("VER : 01.70-01");
    Ui(f).pnCardID->setCaption("0000000042 / 0000002A");
    Ui(f).shComm->setBrushColor(ColorYellow);

    Ui(f).btnBIG5->click();
    QCOMPARE(Ui(f).pnMsg->caption(), QString("請先掃描讀卡機!"));
    QCOMPARE(Ui(f).pnSerial->caption(), QString("序號 : ________"));
    QCOMPARE(Ui(f).pnVersion->caption(), QString("版本 : __.__-__"));
    QCOMPARE(Ui(f).pnCardID->caption(), QString("TAG ID"));
    QCOMPARE(Ui(f).pnID->caption(), QString("12"));
    QCOMPARE(Ui(f).sbID->value(), 12);
    QVERIFY(f.context().ReaderFound);
    QVERIFY(!f.context().TagReading);
    QCOMPARE(Ui(f).shComm->brushColor(), ColorYellow);
    QVERIFY(h.observed.uses.isEmpty());  // nothing is sent
}

void LanguagesTest::buttonOfLanguageInUseSavesAgain() {
    FormHarness h;
    TfrmModule& f = h.form();
    QVERIFY(!h.SettingsFileExists());
    Ui(f).pnMsg->setCaption("Set Same Card Ok");
    Ui(f).pnSerial->setCaption("S/N : 00001234");
    Ui(f).btnEng->click();
    QVERIFY(h.SettingsFileExists());
    QCOMPARE(h.StoredSettings().LanguageFlag, QString("English"));
    QCOMPARE(Ui(f).pnMsg->caption(), QString("Start Scan Reader!"));
    QCOMPARE(Ui(f).pnSerial->caption(), QString("S/N : ________"));
    // Only the flag is written; the scan values keep their defaults.
    const KeptSettings stored = h.StoredSettings();
    QCOMPARE(stored.ScanCommNo, 0);
    QCOMPARE(stored.ScanBaudRateNo, 5);
}

void LanguagesTest::storedFlag_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::newRow("English") << "English" << 0 << "Exit";
    QTest::newRow("ChineseGB") << "ChineseGB" << 1 << "结束";
    QTest::newRow("ChineseBIG5") << "ChineseBIG5" << 2 << "結束";
    QTest::newRow("small letters start in English") << "chinesegb" << 0 << "Exit";
    QTest::newRow("a different case of BIG5 starts in English") << "ChineseBig5" << 0 << "Exit";
    QTest::newRow("an empty flag starts in English") << "" << 0 << "Exit";
    QTest::newRow("an unknown language starts in English") << "Klingon" << 0 << "Exit";
}

void LanguagesTest::storedFlag() {
    QFETCH(QString, stored);
    QFETCH(int, index);
    QFETCH(QString, caption);
    FormHarness h;
    h.StoreSettings({0, "19200,e,8,1", 5, stored});
    TfrmModule& f = h.form();
    QCOMPARE(f.context().LanguageIndex, index);
    QCOMPARE(f.context().LanguageFlag, stored);  // kept as read until a language button replaces it
    QCOMPARE(Ui(f).btnExit->text(), caption);
    QCOMPARE(h.StoredSettings().LanguageFlag, stored);
}

void LanguagesTest::textsOutsideTheTableStayEnglish() {
    FormHarness h;
    TfrmModule& f = h.form();
    Ui(f).sbRSSI->setValue(7);
    for (QPushButton* language : {Ui(f).btnGB, Ui(f).btnBIG5}) {
        language->click();
        QCOMPARE(Ui(f).btnRSSI->text(), QString("Set RSSI Level"));
        QCOMPARE(Ui(f).lblSameCard->text(), QString("Sec"));
        QCOMPARE(Ui(f).rbNO->text(), QString("NO"));
        QCOMPARE(Ui(f).rbNC->text(), QString("NC"));
        QCOMPARE(Ui(f).btnEng->text(), QString("English"));
        QVERIFY(Ui(f).btnGB->text().isEmpty());
        QVERIFY(Ui(f).btnBIG5->text().isEmpty());
        QCOMPARE(Ui(f).cmbBaudRate->itemText(5), QString("19200,e,8,1"));
        QCOMPARE(Ui(f).cmbWiegand->itemText(1), QString("Wiegand 34 bits"));
        QCOMPARE(Ui(f).cmbRS485->itemText(3), QString("RS485 64 bits"));
        QCOMPARE(Ui(f).pnSameCard->caption(), QString("0010"));
        QCOMPARE(Ui(f).pnRSSI->caption(), QString("007"));
        QCOMPARE(Ui(f).pnAddr->caption(), QString("049"));
        QCOMPARE(Ui(f).GroupBox1->title(), QString("GroupBox1"));
    }
}

void LanguagesTest::rssiTextsNameTheOperation() {
    QCOMPARE(QString::fromUtf8(RssiTexts[RssiStart][0]), QString("Set RSSI Level"));
    QCOMPARE(QString::fromUtf8(RssiTexts[RssiOk][0]), QString("Set RSSI Level Ok"));
    QCOMPARE(QString::fromUtf8(RssiTexts[RssiError][0]), QString("Set RSSI Level Error"));
    // In the Chinese columns, like the other operations' rows: start text, then the words for
    // done and error.
    for (int column : {1, 2}) {
        const QString start = QString::fromUtf8(RssiTexts[RssiStart][column]);
        QVERIFY(start.contains("RSSI"));
        QVERIFY(start.startsWith(Row(RowSetChannel, column).left(2)));
        QCOMPARE(QString::fromUtf8(RssiTexts[RssiOk][column]),
                 start + Row(RowSetChannelOk, column).mid(Row(RowSetChannel, column).size()));
        QCOMPARE(QString::fromUtf8(RssiTexts[RssiError][column]),
                 start + Row(RowSetChannelError, column).mid(Row(RowSetChannel, column).size()));
    }
}

// A FIFO where the settings file belongs is never waited on: the window opens on the defaults,
// and a language button replaces the FIFO with the settings file.
void LanguagesTest::aFifoInPlaceOfTheSettings_data() {
    QTest::addColumn<bool>("beforeTheWindow");
    QTest::newRow("planted before the window opens") << true;
    QTest::newRow("planted while it runs") << false;
}

void LanguagesTest::aFifoInPlaceOfTheSettings() {
#ifdef _WIN32
    QSKIP("the kept settings are in the registry");
#else
    QFETCH(bool, beforeTheWindow);
    FormHarness h;
    const QString folder = h.machineFolder.path();
    const QString file = SettingsStore(folder).filePath();
    const auto plant = [&] { return ::mkfifo(QFile::encodeName(file).constData(), 0666) == 0; };
    if (beforeTheWindow) QVERIFY(plant());

    TfrmModule* f = nullptr;
    QVERIFY(ReturnsPromptly(folder, [&] { f = &h.form(); }));
    QCOMPARE(f->context().LanguageFlag, QString("English"));
    QCOMPARE(f->context().ScanCommNo, 0);
    QCOMPARE(Ui(*f).cmbBaudRate->currentIndex(), 5);
    if (!beforeTheWindow) QVERIFY(plant());

    QVERIFY(ReturnsPromptly(folder, [&] { Ui(*f).btnBIG5->click(); }));
    QCOMPARE(f->context().LanguageIndex, 2);
    QVERIFY(QFileInfo(file).isFile());
    QCOMPARE(h.StoredSettings().LanguageFlag, QString("ChineseBIG5"));
    QVERIFY(!QFileInfo::exists(file + ".lock"));
#endif
}

QTEST_MAIN(LanguagesTest)
#include "tst_languages.moc"
