// The text table itself and the mapping from the kept language name to its column.
#include <QTest>

#include "TextTable.h"

class TextTableTest : public QObject {
    Q_OBJECT

  private slots:
    void languageIndexFromFlag_data();
    void languageIndexFromFlag();
    void everyCellIsValidText();
    void companyLineEndsWithTheWebAddress();
    void rowsKeepTheirPlaces_data();
    void rowsKeepTheirPlaces();
};

void TextTableTest::languageIndexFromFlag_data() {
    QTest::addColumn<QString>("flag");
    QTest::addColumn<int>("index");
    QTest::newRow("English") << "English" << 0;
    QTest::newRow("ChineseGB") << "ChineseGB" << 1;
    QTest::newRow("ChineseBIG5") << "ChineseBIG5" << 2;
    QTest::newRow("case matters: chinesegb") << "chinesegb" << 0;
    QTest::newRow("case matters: CHINESEGB") << "CHINESEGB" << 0;
    QTest::newRow("case matters: ChineseBig5") << "ChineseBig5" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("trailing space") << "ChineseGB " << 0;
    QTest::newRow("leading space") << " ChineseBIG5" << 0;
    QTest::newRow("a prefix") << "Chinese" << 0;
    QTest::newRow("the column number") << "1" << 0;
}

void TextTableTest::languageIndexFromFlag() {
    QFETCH(QString, flag);
    QFETCH(int, index);
    QCOMPARE(LanguageIndexFromFlag(flag), index);
}

void TextTableTest::everyCellIsValidText() {
    for (int row = 0; row < TextRowCount; ++row) {
        QVERIFY2(QByteArray(TextTable[row][0]).size() > 0, qPrintable(QString::number(row)));
        for (char c : QByteArray(TextTable[row][0])) QVERIFY(c > 0x1f && c < 0x7f);
        for (int column = 1; column < LanguageCount; ++column) {
            const QByteArray bytes(TextTable[row][column]);
            QVERIFY(!bytes.isEmpty());
            QCOMPARE(QString::fromUtf8(bytes).toUtf8(), bytes);  // well-formed UTF-8
            QVERIFY(!QString::fromUtf8(bytes).contains(QChar::ReplacementCharacter));
        }
        // Only "TAG ID" is the same in every language.
        if (row != RowTagId && row != RowCompanyLine) {
            QVERIFY2(QByteArray(TextTable[row][0]) != TextTable[row][1], TextTable[row][0]);
            QVERIFY2(QByteArray(TextTable[row][0]) != TextTable[row][2], TextTable[row][0]);
        }
    }
}

void TextTableTest::companyLineEndsWithTheWebAddress() {
    const char* const names[] = {"TAVIN Technology Corp.", "TAVIN股份有限公司",
                                 "TAVIN股份有限公司"};
    for (int column = 0; column < LanguageCount; ++column)
        QCOMPARE(QString::fromUtf8(TextTable[RowCompanyLine][column]),
                 QString::fromUtf8(names[column]) + "   www.example.com");
}

void TextTableTest::rowsKeepTheirPlaces_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("simplified");
    QTest::addColumn<QString>("traditional");
    QTest::newRow("1 window caption") << 1 << "TAVIN VQ880-1W Reader Config V1.70-01"
                                      << "TAVIN VQ880-1W 读卡机工具程式 V1.70-01"
                                      << "TAVIN VQ880-1W 讀卡機工具程式 V1.70-01";
    QTest::newRow("2 start scan") << 2 << "Start Scan Reader!"
                                  << "请先扫描读卡机!"
                                  << "請先掃描讀卡機!";
    QTest::newRow("15 tag id is the same") << 15 << "TAG ID"
                                           << "TAG ID"
                                           << "TAG ID";
    QTest::newRow("21 version") << 21 << "VER"
                                << "版本"
                                << "版本";
    QTest::newRow("23 info ok keeps its ASCII parts") << 23 << "Get Reader Info Ok. (COM"
                                                      << "读取读卡机资讯完成. (串口"
                                                      << "讀取讀卡機資訊完成. (串口";
    QTest::newRow("43 reset error as written") << 43 << "TReader Reset Error"
                                               << "读卡机重开错误"
                                               << "讀卡機重開錯誤";
    QTest::newRow("51 DI NO/NC ok") << 51 << "Set DI NO/NC Ok"
                                    << "设定 DI NO/NC 完成"
                                    << "設定 DI NO/NC 完成";
    QTest::newRow("61 the last row") << 61 << "Set Channel Error"
                                     << "设定通道错误"
                                     << "設定通道錯誤";
}

void TextTableTest::rowsKeepTheirPlaces() {
    QFETCH(int, row);
    QFETCH(QString, english);
    QFETCH(QString, simplified);
    QFETCH(QString, traditional);
    QCOMPARE(QString::fromUtf8(TextTable[row][0]), english);
    QCOMPARE(QString::fromUtf8(TextTable[row][1]), simplified);
    QCOMPARE(QString::fromUtf8(TextTable[row][2]), traditional);
}

QTEST_APPLESS_MAIN(TextTableTest)
#include "tst_text_table.moc"
