#pragma once

// The tool's window on Qt's offscreen platform with the program's own serial line, steady clock
// and message processing: for end-to-end tests against the simulator program on a
// pseudo-terminal (SimulatorProcess.h). Only the speaker is replaced, by a recorder that waits
// out each tone as the real one does.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "Clock.h"
#include "FormHarness.h"
#include "PortNames.h"
#include "QtSerialLine.h"
#include "TfrmModule.h"

class PortFormHarness {
  public:
    PortFormHarness() : tones(clock) {}

    // A COM number that stands for nothing: opening it fails at once, whatever the machine has.
    void LinkMissingPort(int comNumber) {
        LinkPort(comNumber, QDir(machineFolder.path()).filePath("no-such-device"));
    }
    void LinkPort(int comNumber, const QString& devicePath) {
        QDir(machineFolder.path()).mkpath("ports");
        QFile::link(devicePath, PortNames(machineFolder.path()).LinkPath(comNumber));
    }
    // The arguments that make the simulator appear at COMn of this machine folder.
    QStringList SimulatorLink(int comNumber) const {
        return {"--link", PortNames::PortName(comNumber), "--machine-folder", machineFolder.path()};
    }

    TfrmModule& form() {
        if (!form_) {
            ModuleServices s;
            s.line = &line;
            s.clock = &clock;
            s.tone = &tones;
            s.machineFolder = machineFolder.path();
            s.processMessages = [] { QCoreApplication::processEvents(); };
            form_ = std::make_unique<TfrmModule>(s);
            form_->show();
            QCoreApplication::processEvents();
        }
        return *form_;
    }

    QTemporaryDir machineFolder;
    QtSerialLine line;
    SteadyClock clock;
    ToneRecorder tones;

  private:
    std::unique_ptr<TfrmModule> form_;
};
