#pragma once

#include <QString>

// What a screen reader says of the controls that have no caption of their own, in the window's
// three languages (English, Simplified Chinese, Traditional Chinese).
enum class AccessibleText {
    ReaderNumber,     // sbID
    SameCardSeconds,  // sbSameCard
    RssiLevel,        // sbRSSI
    LockLineSetting,  // chkLock
    WiegandFormat,    // cmbWiegand
    Rs485Format,      // cmbRS485
    InputNoNc,        // gbNoNc, the group of rbNO and rbNC
    SimplifiedChinese,
    TraditionalChinese,
    ReaderStatus,  // shComm
    TagStatus,     // shCard
    ReaderFound,
    ReaderNotFound,
    Busy,
    TagRead,
    NoTag,
};

QString AccessibleName(AccessibleText text, int languageIndex);
