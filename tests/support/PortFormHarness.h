#pragma once

// The tool's window on Qt's offscreen platform with the program's own serial line, steady clock
// and message processing: for end-to-end tests against the simulator program on a
// pseudo-terminal (SimulatorProcess.h). Only the speaker is replaced, by a recorder that waits
// out each tone as the real one does (or, where a test asks, lets no time pass at all). The
// line is watched on its way through (ObservedLine), so a test can act on each command sent.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "Clock.h"
#include "FormHarness.h"
#include "PortLinks.h"
#include "PortNames.h"
#include "SerialLineLinux.h"
#include "TfrmModule.h"
#include "WindowControls.h"
#include "WindowServices.h"

class PortFormHarness {
  public:
    enum class ToneTime { Waited, NotWaited };

    explicit PortFormHarness(ToneTime toneTime = ToneTime::Waited)
        : tones(toneTime == ToneTime::Waited ? static_cast<Clock&>(clock) : toneClock) {}

    // A COM number that stands for nothing: opening it fails at once, whatever the machine has.
    void LinkMissingPort(int comNumber) { ::LinkMissingPort(machineFolder.path(), comNumber); }
    void LinkPort(int comNumber, const QString& devicePath) {
        ::LinkPort(machineFolder.path(), comNumber, devicePath);
    }
    // The arguments that make the simulator appear at COMn of this machine folder.
    QStringList SimulatorLink(int comNumber) const {
        return {"--link", PortNames::PortName(comNumber), "--machine-folder", machineFolder.path()};
    }

    TfrmModule& form() {
        if (!form_) {
            form_ = std::make_unique<TfrmModule>(
                WindowServices(observed, clock, tones, store, machineFolder.path()));
            form_->show();
            QCoreApplication::processEvents();
        }
        return *form_;
    }

    QTemporaryDir machineFolder;
    SettingsStore store{machineFolder.path()};
    LinuxSerialLine line;
    ObservedLine observed{line};
    SteadyClock clock;
    VirtualClock toneClock;  // the tones' own time when they are not waited out
    ToneRecorder tones;

  private:
    std::unique_ptr<TfrmModule> form_;
};
