#pragma once

#include <QString>

#include "LineSetting.h"
#include "ReaderProtocol.h"
#include "TextTable.h"

// The four values kept between runs, with their defaults: the only place they are written.
struct KeptSettings {
    int ScanCommNo = 0;
    QString ScanBaudRate = QString::fromLatin1(LineSettingTable[FactoryLineIndex]);
    int ScanBaudRateNo = FactoryLineIndex;
    QString LanguageFlag = QString::fromLatin1(LanguageFlags[0]);
};

// Where the kept settings live: one place for the whole machine. Every failure is silent.
class KeptSettingsStore {
  public:
    virtual ~KeptSettingsStore() = default;
    // Replaces the values that are stored, as ApplyKeptValues does.
    virtual void Load(KeptSettings& settings) const = 0;
    // Each write replaces single values, leaving the others as stored.
    virtual void SaveScan(int scanCommNo, int scanBaudRateNo, const QString& scanBaudRate) = 0;
    virtual void SaveLanguage(const QString& languageFlag) = 0;
};
