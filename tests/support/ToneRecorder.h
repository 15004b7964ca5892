#pragma once

#include <QList>
#include <functional>

#include "Clock.h"
#include "ToneSink.h"

// A speaker that records each tone and lets its duration pass on the given clock, as a real
// tone blocks for it.
class ToneRecorder final : public ToneSink {
  public:
    struct Tone {
        int frequencyHz = 0;
        int durationMs = 0;
        bool operator==(const Tone& o) const {
            return frequencyHz == o.frequencyHz && durationMs == o.durationMs;
        }
    };

    explicit ToneRecorder(Clock& clock) : clock_(clock) {}

    void Beep(int frequencyHz, int durationMs) override {
        tones.append({frequencyHz, durationMs});
        if (onBeep) onBeep(frequencyHz, durationMs);
        clock_.SleepMs(quint32(durationMs));
    }
    int Count(int frequencyHz, int durationMs) const {
        return int(tones.count(Tone{frequencyHz, durationMs}));
    }
    bool Last(int frequencyHz, int durationMs) const {
        return !tones.isEmpty() && tones.last() == Tone{frequencyHz, durationMs};
    }

    QList<Tone> tones;
    // Called as a tone starts, before its time passes: what the window shows while it sounds.
    std::function<void(int, int)> onBeep;

  private:
    Clock& clock_;
};
