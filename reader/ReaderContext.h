#pragma once

#include <QString>

#include "Clock.h"
#include "KeptSettings.h"
#include "PortNames.h"
#include "ReaderLink.h"
#include "ReaderPlace.h"
#include "ReaderProtocol.h"
#include "ReaderView.h"
#include "SerialLine.h"
#include "ToneSink.h"

// What a context runs on: the serial line, the clock of the pauses and the reply window, the
// kept-settings store, the speaker, and the machine folder with the port assignments. All of
// them outlive the context.
struct ContextServices {
    SerialLine* line = nullptr;
    Clock* clock = nullptr;
    KeptSettingsStore* store = nullptr;
    ToneSink* tone = nullptr;
    QString machineFolder;
    // A device that no COM number reaches, used for this run as PortNames::RunOnlyPort.
    QString runOnlyDevice;
};

// The state that the reader operations share, one instance for the whole run of a front end:
// the link to the reader, the kept place of the last reader found, the language of the texts,
// and the two flags of the operations. The operations report through the view.
class ReaderContext {
  public:
    ReaderContext(ReaderView& view, const ContextServices& services);
    ReaderContext(const ReaderContext&) = delete;
    ReaderContext& operator=(const ReaderContext&) = delete;

    // Kept between runs (LoadSettings, SaveScanSettings, SaveLanguageFlag). The place of the
    // reader is written through KeepPlace alone, so that its three values always go together.
    int ScanCommNo = KeptSettings().ScanCommNo;
    QString ScanBaudRate = KeptSettings().ScanBaudRate;
    int ScanBaudRateNo = KeptSettings().ScanBaudRateNo;
    QString LanguageFlag = KeptSettings().LanguageFlag;
    int LanguageIndex = 0;
    // A reader answered the last scan; the other operations refuse to run without it.
    bool ReaderFound = false;
    // A reading run polls the reader while this is true; the cancel click clears it.
    bool TagReading = false;
    // A reading run is on the stack. After the cancel click it finishes its pass with the port
    // still open, and a click in that time must not start a second run on it.
    bool ReadingRunActive = false;

    // The defaults, then the values that are stored.
    void LoadSettings();
    // Where the reader is reached from now on: its COM number and line setting.
    ReaderPlace Place() const;
    void KeepPlace(const ReaderPlace& place);
    // Keeps the place of the reader, unless it is a port that the window does not reach.
    void SaveScanSettings();
    // Takes the language by its flag ("English", "ChineseGB", "ChineseBIG5") and keeps it.
    void SetLanguage(const QString& flag);
    void SaveLanguageFlag();

    // The text of a row of the text table in the current language.
    QString Text(int row) const;
    void Beep(Tone tone);

    // After an operation was cut short by an error: the port closed if it is still open, and
    // no reading run left behind.
    void EndInterruptedOperation();

    ReaderLink& link() { return link_; }
    const PortNames& portNames() const { return portNames_; }
    Clock& clock() { return clock_; }
    ReaderView& view() { return view_; }

  private:
    ReaderView& view_;
    Clock& clock_;
    KeptSettingsStore& store_;
    ToneSink& tone_;
    PortNames portNames_;
    ReaderLink link_;
};
