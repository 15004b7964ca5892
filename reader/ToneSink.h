#pragma once

// A short tone, blocking for its duration without dispatching window events, like a speaker
// beep: no click may be served in the middle of a tone.
class ToneSink {
  public:
    virtual ~ToneSink() = default;
    virtual void Beep(int frequencyHz, int durationMs) = 0;
};

// A speaker that stays silent and lets no time pass: for front ends that were asked for quiet.
class SilentTone final : public ToneSink {
  public:
    void Beep(int, int) override {}
};
