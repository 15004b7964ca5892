#include "ToneSamples.h"

#include <algorithm>
#include <cmath>

namespace {
// About a third of full scale: clearly audible, never clipped.
constexpr double kAmplitude = 10000.0;
constexpr int kRampMs = 2;
}  // namespace

QVector<qint16> SineSamples(int frequencyHz, int durationMs, int sampleRate) {
    if (durationMs <= 0 || sampleRate <= 0) return {};
    const qsizetype count = qsizetype(qint64(sampleRate) * durationMs / 1000);
    QVector<qint16> samples(count, 0);
    if (frequencyHz <= 0 || 2 * qint64(frequencyHz) >= sampleRate) return samples;

    const qsizetype ramp = std::min<qsizetype>(qsizetype(sampleRate) * kRampMs / 1000, count / 2);
    const double step = 2.0 * M_PI * frequencyHz / sampleRate;
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype fromEdge = std::min(i, count - 1 - i);
        const double gain = fromEdge < ramp ? double(fromEdge) / ramp : 1.0;
        samples[i] = qint16(std::lround(kAmplitude * gain * std::sin(step * double(i))));
    }
    return samples;
}
