#pragma once

#include <QVector>
#include <QtGlobal>

// One mono tone as signed 16-bit samples: a sine of the given frequency, as many samples as the
// duration holds at the sample rate. Short ramps at both ends keep the loudspeaker from
// clicking. A frequency that the rate cannot carry (zero, negative, or from half the rate up)
// gives silence of the same length.
QVector<qint16> SineSamples(int frequencyHz, int durationMs, int sampleRate);
