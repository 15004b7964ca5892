#pragma once

#include <QString>

#include "KeptSettings.h"

// The settings file in the machine folder. It keeps each value with its type (a 32-bit integer
// or a text), so a value of the wrong type is told apart. Every failure is silent.
class SettingsStore final : public KeptSettingsStore {
  public:
    explicit SettingsStore(QString machineFolder);

    // Replaces the values that are stored, in the order ScanCommNo, ScanBaudRate,
    // ScanBaudRateNo, LanguageFlag, and stops at the first value of the wrong type.
    void Load(KeptSettings& settings) const override;
    // Each write replaces single values atomically, leaving the others as stored.
    void SaveScan(int scanCommNo, int scanBaudRateNo, const QString& scanBaudRate) override;
    void SaveLanguage(const QString& languageFlag) override;

    QString filePath() const;

  private:
    QString folder_;
};
