#pragma once

// A short tone, blocking for its duration without dispatching window events, like a speaker
// beep: no click may be served in the middle of a tone.
class ToneSink {
public:
    virtual ~ToneSink() = default;
    virtual void Beep(int frequencyHz, int durationMs) = 0;
};
