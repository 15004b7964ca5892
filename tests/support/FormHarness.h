#pragma once

// The tool's window on Qt's offscreen platform with an in-memory reader on a virtual clock:
// a whole scan or reading run costs no real time. Header-only, for every window test.
//
//   FormHarness h;                       // reader on COM3 (/dev/ttyS2) at "19200,e,8,1"
//   h.FindReader();                      // a scan, as a click on btnScan
//   h.clock.AfterMs(500, [&] { Ui(h.form()).btnReadCard->click(); });
//   Ui(h.form()).btnReadCard->click();       // returns when the run has ended

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>

#include "Clock.h"
#include "CommandFrames.h"
#include "LineSetting.h"
#include "ObservedLine.h"
#include "PortLinks.h"
#include "ReaderModel.h"
#include "SerialLine.h"
#include "SettingsStore.h"
#include "SimulatedLine.h"
#include "TextTable.h"
#include "TfrmModule.h"
#include "ToneRecorder.h"
#include "ToneSink.h"
#include "VirtualClock.h"
#include "WindowControls.h"
#include "WindowServices.h"
#ifdef _WIN32
#include "PrivateRegistry.h"
#endif

// The window with an in-memory reader behind a simulated line, a recording speaker and a
// machine folder of its own. The window is made on first use of form(), so that kept settings
// and port links can be put in place first.
class FormHarness {
  public:
    explicit FormHarness(ReaderOptions options = {},
                         QString readerDevice = PortNames::DefaultDevice(3))
        : reader(std::move(options)),
          line(reader, clock, std::move(readerDevice)),
          observed(line),
          tones(clock) {}

    // The kept settings as the window will find them when it is made.
    void StoreSettings(const KeptSettings& settings) {
        SettingsStore store(machineFolder.path());
        store.SaveScan(settings.ScanCommNo, settings.ScanBaudRateNo, settings.ScanBaudRate);
        store.SaveLanguage(settings.LanguageFlag);
    }
    KeptSettings StoredSettings() const {
        KeptSettings settings;
        SettingsStore(machineFolder.path()).Load(settings);
        return settings;
    }
    bool SettingsFileExists() const {
#ifdef _WIN32
        return PrivateRegistry::SettingsKeyExists();
#else
        return QFile::exists(SettingsStore(machineFolder.path()).filePath());
#endif
    }
    // Assigns a COM number to a device, as ports/COMn in the machine folder.
    void LinkPort(int comNumber, const QString& devicePath) {
        ::LinkPort(machineFolder.path(), comNumber, devicePath);
    }

    ModuleServices services() {
        return WindowServices(observed, clock, tones, store, machineFolder.path());
    }

    // The window, made and shown on first use.
    TfrmModule& form() {
        if (!form_) {
            form_ = std::make_unique<TfrmModule>(services());
            form_->show();
            QCoreApplication::processEvents();
        }
        return *form_;
    }

    // A scan as a click on btnScan would run it; true when the reader was found.
    bool FindReader() {
        form().btnScanClick();
        return form_->context().ReaderFound;
    }

    // Starts a reading run, cancels it after `ms` of virtual time, returns once it has ended.
    void ReadTagsFor(quint64 ms) {
        clock.AfterMs(ms, [this] { Ui(*form_).btnReadCard->click(); });
        Ui(form()).btnReadCard->click();
    }

    // Every command text the tool wrote, decoded from the line.
    QList<QByteArray> CommandsSent() const {
        return CommandTexts(line.written());
    }

    VirtualClock clock;
    ReaderModel reader;
    SimulatedLine line;
    ObservedLine observed;
    ToneRecorder tones;
    QTemporaryDir machineFolder;
#ifdef _WIN32
    // The kept settings of this harness alone, as its machine folder holds them on Linux.
    PrivateRegistry registry;
#endif
    SettingsStore store{machineFolder.path()};

  private:
    std::unique_ptr<TfrmModule> form_;
};
