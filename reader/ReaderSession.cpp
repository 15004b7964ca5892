#include "ReaderSession.h"

#include "TextTable.h"

ReaderSession::ReaderSession(ReaderView& view, const SessionServices& services)
    : view_(view),
      clock_(*services.clock),
      store_(*services.store),
      tone_(*services.tone),
      portNames_(services.machineFolder),
      link_(*services.line, *services.clock, portNames_, [this] { view_.ProcessMessages(); }) {}

void ReaderSession::LoadSettings() {
    KeptSettings settings;
    store_.Load(settings);
    ScanCommNo = settings.ScanCommNo;
    ScanBaudRate = settings.ScanBaudRate;
    ScanBaudRateNo = settings.ScanBaudRateNo;
    LanguageFlag = settings.LanguageFlag;
    LanguageIndex = LanguageIndexFromFlag(LanguageFlag);
}

void ReaderSession::SaveScanSettings() {
    store_.SaveScan(ScanCommNo, ScanBaudRateNo, ScanBaudRate);
}

void ReaderSession::SetLanguage(const QString& flag) {
    LanguageFlag = flag;
    LanguageIndex = LanguageIndexFromFlag(flag);
    SaveLanguageFlag();
}

void ReaderSession::SaveLanguageFlag() {
    store_.SaveLanguage(LanguageFlag);
}

QString ReaderSession::Text(int row) const {
    if (row < 0 || row >= TextRowCount || LanguageIndex < 0 || LanguageIndex >= LanguageCount)
        return QString();
    return QString::fromUtf8(TextTable[row][LanguageIndex]);
}

void ReaderSession::Beep(Tone tone) {
    tone_.Beep(tone.frequencyHz, tone.durationMs);
}

void ReaderSession::EndInterruptedOperation() {
    if (link_.IsOpen()) link_.ClosePort();
    TagReading = false;
    ReadingRunActive = false;
}
