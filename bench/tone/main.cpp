// Prints how long each tone blocks the calling thread, against the duration it was asked for.
// The tone must never take more than its duration plus a few milliseconds.

#include <alsa/asoundlib.h>

#include <QElapsedTimer>
#include <QTextStream>
#include <QVector>
#include <algorithm>

#include "TonePlayerLinux.h"

int main() {
    constexpr int kRepeats = 5;
    const struct {
        int frequencyHz;
        int durationMs;
    } tones[] = {{1000, 30}, {300, 300}, {1000, 300}, {1000, 1000}};

    QTextStream out(stdout);
    AlsaTonePlayer player;  // first: it silences ALSA's messages
    snd_pcm_t* pcm = nullptr;
    const bool device =
        snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) == 0;
    if (device) snd_pcm_close(pcm);
    out << (device ? "output: ALSA \"default\" device\n"
                   : "output: none, the tone waits silently\n");
    out << "tone                minimum ms  median ms  maximum ms  worst/asked\n";
    for (const auto& tone : tones) {
        QVector<double> taken;
        for (int i = 0; i < kRepeats; ++i) {
            QElapsedTimer timer;
            timer.start();
            player.Beep(tone.frequencyHz, tone.durationMs);
            taken.append(double(timer.nsecsElapsed()) / 1e6);
        }
        std::sort(taken.begin(), taken.end());
        out << QString("%1 Hz %2 ms")
                   .arg(tone.frequencyHz, 4)
                   .arg(tone.durationMs, 5)
                   .leftJustified(20)
            << QString::number(taken.first(), 'f', 2).rightJustified(10)
            << QString::number(taken[kRepeats / 2], 'f', 2).rightJustified(11)
            << QString::number(taken.last(), 'f', 2).rightJustified(12)
            << QString::number(taken.last() / tone.durationMs, 'f', 4).rightJustified(13) << '\n';
    }
    return 0;
}
