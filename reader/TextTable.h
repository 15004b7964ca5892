#pragma once

#include <QString>

// Every caption and message that follows the language: one row per text, one column per
// language (English, Simplified Chinese, Traditional Chinese), held in UTF-8.
constexpr int TextRowCount = 62;
constexpr int LanguageCount = 3;
extern const char* const TextTable[TextRowCount][LanguageCount];

enum TextRow {
    RowCompanyLine = 0,
    RowWindowCaption = 1,
    RowStartScanReader = 2,
    RowCancelReadTag = 3,
    RowId = 4,
    RowBaudRate = 5,
    RowSetReaderBaudRateButton = 6,
    RowReadTag = 7,
    RowFactoryDefault = 8,
    RowFactoryTest = 9,
    RowFactorySetting = 10,
    RowAccessPin = 11,
    RowDefault = 12,
    RowSerialSet = 13,
    RowExit = 14,
    RowTagId = 15,
    RowOpenCom = 16,
    RowError = 17,
    RowScanReader = 18,
    RowSerial = 19,
    RowNo = 20,
    RowVersion = 21,
    RowScanCom = 22,
    RowGetReaderInfoOk = 23,
    RowGetReaderInfoError = 24,
    RowReaderNotFind = 25,
    RowSetReaderId = 26,
    RowSetReaderIdOk = 27,
    RowSetReaderIdError = 28,
    RowSetReaderNo = 29,
    RowSetReaderNoOk = 30,
    RowSetReaderNoError = 31,
    RowSetReaderBaudRate = 32,
    RowSetReaderBaudRateOk = 33,
    RowSetReaderBaudRateError = 34,
    RowSetDefault = 35,
    RowSetDefaultOk = 36,
    RowSetDefaultError = 37,
    RowSetFactoryTest = 38,
    RowSetFactoryTestOk = 39,
    RowSetFactoryTestError = 40,
    RowReaderReset = 41,
    RowReaderResetOk = 42,
    RowReaderResetError = 43,
    RowSetReaderMode = 44,
    RowSetReaderModeOk = 45,
    RowSetReaderModeError = 46,
    RowSetSameCard = 47,
    RowSetSameCardOk = 48,
    RowSetSameCardError = 49,
    RowSetDiNoNc = 50,
    RowSetDiNoNcOk = 51,
    RowSetDiNoNcError = 52,
    RowSetAddress = 53,
    RowSetAddressOk = 54,
    RowSetAddressError = 55,
    RowSetFreq = 56,
    RowSetFreqOk = 57,
    RowSetFreqError = 58,
    RowSetChannel = 59,
    RowSetChannelOk = 60,
    RowSetChannelError = 61,
};

// The RSSI level operation has no rows in the table; its start, success and failure texts in
// the three languages stand here beside it.
enum RssiText { RssiStart = 0, RssiOk = 1, RssiError = 2 };
extern const char* const RssiTexts[3][LanguageCount];

// The languages' flags as they are kept, by their column: "English", "ChineseGB",
// "ChineseBIG5".
extern const char* const LanguageFlags[LanguageCount];
// "ChineseGB" gives 1, "ChineseBIG5" gives 2, compared exactly; anything else 0 (English).
int LanguageIndexFromFlag(const QString& flag);
// The column of a flag given in any case ("english", "ChineseGB"); -1 for none.
int LanguageIndexFromName(const QString& name);
