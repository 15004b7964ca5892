#include "ReaderContext.h"

#include "Message.h"
#include "TextTable.h"

ReaderContext::ReaderContext(ReaderView& view, const ContextServices& services)
    : view_(view),
      clock_(*services.clock),
      store_(*services.store),
      tone_(*services.tone),
      portNames_(services.machineFolder, services.runOnlyDevice),
      link_(*services.line, *services.clock, portNames_, [this] { view_.ProcessMessages(); }) {}

void ReaderContext::LoadSettings() {
    KeptSettings settings;
    store_.Load(settings);
    ScanCommNo = settings.ScanCommNo;
    ScanBaudRate = settings.ScanBaudRate;
    ScanBaudRateNo = settings.ScanBaudRateNo;
    LanguageFlag = settings.LanguageFlag;
    LanguageIndex = LanguageIndexFromFlag(LanguageFlag);
}

ReaderPlace ReaderContext::Place() const {
    ReaderPlace place;
    place.comNumber = ScanCommNo;
    place.lineIndex = ScanBaudRateNo;
    place.lineSetting = ScanBaudRate;
    return place;
}

void ReaderContext::KeepPlace(const ReaderPlace& place) {
    ScanCommNo = place.comNumber;
    ScanBaudRateNo = place.lineIndex;
    ScanBaudRate = place.lineSetting;
}

void ReaderContext::SaveScanSettings() {
    if (!PortNames::WindowReaches(ScanCommNo)) return;
    store_.SaveScan(ScanCommNo, ScanBaudRateNo, ScanBaudRate);
}

void ReaderContext::SetLanguage(const QString& flag) {
    LanguageFlag = flag;
    LanguageIndex = LanguageIndexFromFlag(flag);
    SaveLanguageFlag();
}

void ReaderContext::SaveLanguageFlag() {
    store_.SaveLanguage(LanguageFlag);
}

QString ReaderContext::Text(int row) const {
    return Message::Row(row).Text(LanguageIndex);
}

void ReaderContext::Beep(Tone tone) {
    tone_.Beep(tone.frequencyHz, tone.durationMs);
}

void ReaderContext::EndInterruptedOperation() {
    if (link_.IsOpen()) link_.ClosePort();
    TagReading = false;
    ReadingRunActive = false;
}
