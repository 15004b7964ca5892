#include <unistd.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "TonePlayerLinux.h"
#include "ToneSamples.h"

namespace {

int ZeroCrossings(const QVector<qint16>& samples) {
    int crossings = 0;
    int lastSign = 0;
    for (const qint16 sample : samples) {
        const int sign = sample > 0 ? 1 : sample < 0 ? -1 : 0;
        if (sign != 0 && lastSign != 0 && sign != lastSign) ++crossings;
        if (sign != 0) lastSign = sign;
    }
    return crossings;
}

// The strength of one frequency in the samples (a single bin of a Fourier transform).
double Strength(const QVector<qint16>& samples, double frequencyHz, int sampleRate) {
    double re = 0, im = 0;
    for (qsizetype i = 0; i < samples.size(); ++i) {
        const double phase = 2.0 * M_PI * frequencyHz * double(i) / sampleRate;
        re += samples[i] * std::cos(phase);
        im += samples[i] * std::sin(phase);
    }
    return std::hypot(re, im) / double(samples.size());
}

// Everything written on standard error while it lives, ALSA's own messages included.
class StderrCapture {
  public:
    StderrCapture() {
        std::fflush(stderr);
        if (file_.open()) {
            saved_ = ::dup(STDERR_FILENO);
            ::dup2(file_.handle(), STDERR_FILENO);
        }
    }
    ~StderrCapture() { Restore(); }
    QByteArray Text() {
        Restore();
        file_.seek(0);
        return file_.readAll();
    }

  private:
    void Restore() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
        saved_ = -1;
    }

    QTemporaryFile file_;
    int saved_ = -1;
};

}  // namespace

class ToneTest : public QObject {
    Q_OBJECT
  private slots:
    void samplesHaveFrequencyAndLength_data();
    void samplesHaveFrequencyAndLength();
    void unplayableFrequencyGivesSilenceOfSameLength_data();
    void unplayableFrequencyGivesSilenceOfSameLength();
    void beepTakesAtLeastItsDurationAndPrintsNothing();
    void beepWritesTheWholeToneToTheDevice();
};

void ToneTest::samplesHaveFrequencyAndLength_data() {
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("durationMs");
    QTest::addColumn<int>("rate");
    QTest::newRow("success tone: 1000 Hz for 300 ms") << 1000 << 300 << 48000;
    QTest::newRow("failure tone: 300 Hz for 300 ms") << 300 << 300 << 48000;
    QTest::newRow("tag tone: 1000 Hz for 30 ms") << 1000 << 30 << 48000;
    QTest::newRow("another rate: 440 Hz for 1000 ms at 44.1 kHz") << 440 << 1000 << 44100;
    QTest::newRow("a length that does not divide: 300 Hz for 7 ms at 44.1 kHz")
        << 300 << 7 << 44100;
}

void ToneTest::samplesHaveFrequencyAndLength() {
    QFETCH(int, frequency);
    QFETCH(int, durationMs);
    QFETCH(int, rate);
    const QVector<qint16> samples = SineSamples(frequency, durationMs, rate);

    QCOMPARE(samples.size(), qsizetype(qint64(rate) * durationMs / 1000));
    const double expectedCrossings = 2.0 * frequency * durationMs / 1000.0;
    QVERIFY2(std::abs(ZeroCrossings(samples) - expectedCrossings) <= 2.0,
             qPrintable(QString::number(ZeroCrossings(samples))));

    const double strength = Strength(samples, frequency, rate);
    QVERIFY(strength > 1000.0);
    if (durationMs >= 30) {
        QVERIFY(strength > 10 * Strength(samples, frequency * 0.8, rate));
        QVERIFY(strength > 10 * Strength(samples, frequency * 1.25, rate));
    }

    // Loud but never clipped, and starting from silence so that it does not click.
    const auto [low, high] = std::minmax_element(samples.cbegin(), samples.cend());
    QVERIFY(*high > 5000 && *high < 32767);
    QVERIFY(*low < -5000 && *low > -32768);
    QCOMPARE(samples.first(), qint16(0));
    QVERIFY(std::abs(samples.last()) < 1000);
}

void ToneTest::unplayableFrequencyGivesSilenceOfSameLength_data() {
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("durationMs");
    QTest::addColumn<int>("count");
    QTest::newRow("zero frequency") << 0 << 300 << 14400;
    QTest::newRow("negative frequency") << -300 << 30 << 1440;
    QTest::newRow("half the sample rate") << 24000 << 30 << 1440;
    QTest::newRow("above half the sample rate") << 32767 << 30 << 1440;
    QTest::newRow("zero duration") << 1000 << 0 << 0;
    QTest::newRow("negative duration") << 1000 << -5 << 0;
}

void ToneTest::unplayableFrequencyGivesSilenceOfSameLength() {
    QFETCH(int, frequency);
    QFETCH(int, durationMs);
    QFETCH(int, count);
    const QVector<qint16> samples = SineSamples(frequency, durationMs, 48000);
    QCOMPARE(samples.size(), qsizetype(count));
    QVERIFY(std::all_of(samples.cbegin(), samples.cend(), [](qint16 s) { return s == 0; }));
}

// Only a lower bound, which the steady clock guarantees: the tone must not return early, for
// instance when no audio device answers. How close it comes is measured in bench/tone.
void ToneTest::beepTakesAtLeastItsDurationAndPrintsNothing() {
    AlsaTonePlayer player;
    StderrCapture capture;
    QElapsedTimer timer;
    timer.start();
    player.Beep(1000, 30);
    const qint64 first = timer.nsecsElapsed();
    player.Beep(300, 50);
    const qint64 both = timer.nsecsElapsed();
    player.Beep(1000, 0);
    const QByteArray printed = capture.Text();

    QVERIFY2(first >= 30'000'000, qPrintable(QString::number(first)));
    QVERIFY2(both - first >= 50'000'000, qPrintable(QString::number(both - first)));
    QCOMPARE(printed, QByteArray());
}

// ALSA's own null device behind its file plugin stands in for a sound card: it takes samples at
// once and the file receives every sample the player wrote, in the format it set.
void ToneTest::beepWritesTheWholeToneToTheDevice() {
    QTemporaryDir folder;
    const QString raw = folder.filePath("tone.raw");
    const QString config = folder.filePath("asound.conf");
    QFile configFile(config);
    QVERIFY(configFile.open(QIODevice::WriteOnly));
    configFile.write(QStringLiteral("pcm.!default { type file slave.pcm { type null } "
                                    "file \"%1\" format raw }\n")
                         .arg(raw)
                         .toUtf8());
    configFile.close();

    qputenv("ALSA_CONFIG_PATH", QFile::encodeName(config));
    AlsaTonePlayer().Beep(1000, 30);
    qunsetenv("ALSA_CONFIG_PATH");

    QFile played(raw);
    QVERIFY(played.open(QIODevice::ReadOnly));
    const QVector<qint16> samples = SineSamples(1000, 30, 48000);
    const QByteArray expected(reinterpret_cast<const char*>(samples.constData()),
                              samples.size() * qsizetype(sizeof(qint16)));
    QCOMPARE(played.readAll(), expected);
}

QTEST_GUILESS_MAIN(ToneTest)
#include "tst_tone.moc"
