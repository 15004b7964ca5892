#include "TonePlayerWin32.h"

#include <windows.h>

#include <QElapsedTimer>

void BeepTonePlayer::Beep(int frequencyHz, int durationMs) {
    if (durationMs <= 0) return;
    QElapsedTimer elapsed;
    elapsed.start();
    // Beep takes frequencies from 37 to 32767 Hz.
    if (frequencyHz >= 37 && frequencyHz <= 32767) ::Beep(DWORD(frequencyHz), DWORD(durationMs));
    const qint64 rest = durationMs - elapsed.elapsed();
    if (rest > 0) ::Sleep(DWORD(rest));
}
