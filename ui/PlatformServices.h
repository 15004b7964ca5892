#pragma once

#include <QString>
#include <memory>

#include "Clock.h"
#include "SerialLine.h"
#include "TfrmModule.h"
#include "ToneSink.h"

// The serial line and the speaker of the platform the program is built for.
std::unique_ptr<SerialLine> MakeSerialLine();
std::unique_ptr<ToneSink> MakeTonePlayer();

// What the program's window runs on: the platform's line, clock and speaker and the settings
// kept in the given machine folder. Lives as long as the window.
class ProgramServices {
  public:
    explicit ProgramServices(const QString& machineFolder)
        : line_(MakeSerialLine()), tone_(MakeTonePlayer()) {
        services_.line = line_.get();
        services_.clock = &clock_;
        services_.tone = tone_.get();
        services_.machineFolder = machineFolder;
    }
    ProgramServices(const ProgramServices&) = delete;
    ProgramServices& operator=(const ProgramServices&) = delete;

    const ModuleServices& services() const { return services_; }

  private:
    std::unique_ptr<SerialLine> line_;
    SteadyClock clock_;
    std::unique_ptr<ToneSink> tone_;
    ModuleServices services_;
};
