#pragma once

#include <QString>
#include <memory>

#include "Clock.h"
#include "ReaderContext.h"
#include "SerialLine.h"
#include "SettingsStore.h"
#include "ToneSink.h"

// The serial line and the speaker of the platform the program is built for.
std::unique_ptr<SerialLine> MakeSerialLine();
std::unique_ptr<ToneSink> MakeTonePlayer();

// What a front end's context runs on: the platform's line, clock and speaker (or none) and the
// settings kept in the given machine folder. Lives as long as the context.
class ProgramServices {
  public:
    enum class Sound { Speaker, Silent };

    // runOnlyDevice: a device that no COM number reaches, for this run alone.
    explicit ProgramServices(const QString& machineFolder, Sound sound = Sound::Speaker,
                             const QString& runOnlyDevice = {})
        : line_(MakeSerialLine()),
          tone_(sound == Sound::Speaker ? MakeTonePlayer() : std::make_unique<SilentTone>()),
          store_(machineFolder) {
        services_.line = line_.get();
        services_.clock = &clock_;
        services_.tone = tone_.get();
        services_.store = &store_;
        services_.machineFolder = machineFolder;
        services_.runOnlyDevice = runOnlyDevice;
    }
    ProgramServices(const ProgramServices&) = delete;
    ProgramServices& operator=(const ProgramServices&) = delete;

    const ContextServices& services() const { return services_; }

  private:
    std::unique_ptr<SerialLine> line_;
    SteadyClock clock_;
    std::unique_ptr<ToneSink> tone_;
    SettingsStore store_;
    ContextServices services_;
};
