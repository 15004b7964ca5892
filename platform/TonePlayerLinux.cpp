#include "TonePlayerLinux.h"

#include <alsa/asoundlib.h>

#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "ToneSamples.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kSampleRate = 48000;
// A small device buffer: the tone starts soon and what is cut off at the end is short.
constexpr unsigned kLatencyUs = 20000;
// How long to wait for room in the device buffer before writing again.
constexpr std::chrono::milliseconds kRetryPause{2};

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Without a device ALSA would print several lines on standard error for every tone.
void SilenceAlsaOnce() {
    static const bool silenced = [] {
        snd_lib_error_set_handler(&IgnoreAlsaError);
        return true;
    }();
    (void)silenced;
}

// Writes without blocking until every sample is out or the deadline comes. Draining is never
// awaited: through a sound server it takes far longer than the tone.
void WriteUntil(snd_pcm_t* pcm, const QVector<qint16>& samples, Clock::time_point deadline) {
    const auto total = snd_pcm_uframes_t(samples.size());
    snd_pcm_uframes_t written = 0;
    while (written < total && Clock::now() < deadline) {
        const snd_pcm_sframes_t result =
            snd_pcm_writei(pcm, samples.constData() + written, total - written);
        if (result > 0) {
            written += snd_pcm_uframes_t(result);
        } else if (result == 0 || result == -EAGAIN) {
            std::this_thread::sleep_for(
                std::min<Clock::duration>(kRetryPause, deadline - Clock::now()));
        } else if (snd_pcm_recover(pcm, int(result), 1) < 0) {
            return;
        }
    }
}

void PlayUntil(const QVector<qint16>& samples, Clock::time_point deadline) {
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return;
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1,
                           kSampleRate, 1, kLatencyUs) == 0)
        WriteUntil(pcm, samples, deadline);
    // What the device still holds plays on until the deadline, and not a moment longer.
    std::this_thread::sleep_until(deadline);
    snd_pcm_drop(pcm);
    snd_pcm_close(pcm);
}

}  // namespace

AlsaTonePlayer::AlsaTonePlayer() {
    SilenceAlsaOnce();
}

void AlsaTonePlayer::Beep(int frequencyHz, int durationMs) {
    if (durationMs <= 0) return;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(durationMs);
    QVector<qint16> samples = SineSamples(frequencyHz, durationMs, int(kSampleRate));
    qToLittleEndian<qint16>(samples.constData(), samples.size(), samples.data());
    PlayUntil(samples, deadline);
    // Also the whole wait when there is no audio device.
    std::this_thread::sleep_until(deadline);
}
