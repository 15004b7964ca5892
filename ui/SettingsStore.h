#pragma once

#include <QString>

// The four values kept between runs, with their defaults.
struct KeptSettings {
    int ScanCommNo = 0;
    QString ScanBaudRate = "19200,e,8,1";
    int ScanBaudRateNo = 5;
    QString LanguageFlag = "English";
};

// The settings file in the machine folder. It keeps each value with its type (a 32-bit integer
// or a text), so a value of the wrong type is told apart. Every failure is silent.
class SettingsStore {
public:
    explicit SettingsStore(QString machineFolder);

    // Replaces the values that are stored, in the order ScanCommNo, ScanBaudRate,
    // ScanBaudRateNo, LanguageFlag, and stops at the first value of the wrong type.
    void Load(KeptSettings& settings) const;
    // Each write replaces single values atomically, leaving the others as stored.
    void SaveScan(int scanCommNo, int scanBaudRateNo, const QString& scanBaudRate);
    void SaveLanguage(const QString& languageFlag);

    QString filePath() const;

private:
    QString folder_;
};
