#pragma once

#include "ToneSink.h"

// The tone on ALSA's "default" output (which also reaches PulseAudio and PipeWire). Each tone
// blocks the calling thread for exactly its duration, without an event loop; without an audio
// device it waits silently for the same time. ALSA's own error messages are silenced.
class AlsaTonePlayer : public ToneSink {
  public:
    AlsaTonePlayer();
    void Beep(int frequencyHz, int durationMs) override;
};
