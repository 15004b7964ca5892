#pragma once

#include "ToneSink.h"

// The tone through the system's own Beep. Beep blocks for the tone's length; where it cannot
// sound (no speaker or sound device) it returns early, and the rest of the time is waited out
// silently, so a tone always takes its full duration, as the operations expect.
class BeepTonePlayer : public ToneSink {
  public:
    void Beep(int frequencyHz, int durationMs) override;
};
