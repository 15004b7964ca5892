#pragma once

#include <QString>

#include "ReaderProtocol.h"

// The four values kept between runs, with their defaults.
struct KeptSettings {
    int ScanCommNo = 0;
    QString ScanBaudRate = "19200,e,8,1";
    int ScanBaudRateNo = FactoryLineIndex;
    QString LanguageFlag = "English";
};

// Where the kept settings live: one place for the whole machine. Every failure is silent.
class KeptSettingsStore {
  public:
    virtual ~KeptSettingsStore() = default;
    // Replaces the values that are stored, in the order ScanCommNo, ScanBaudRate,
    // ScanBaudRateNo, LanguageFlag, and stops at the first value of the wrong type.
    virtual void Load(KeptSettings& settings) const = 0;
    // Each write replaces single values, leaving the others as stored.
    virtual void SaveScan(int scanCommNo, int scanBaudRateNo, const QString& scanBaudRate) = 0;
    virtual void SaveLanguage(const QString& languageFlag) = 0;
};
