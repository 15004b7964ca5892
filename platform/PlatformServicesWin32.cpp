#include "PlatformServices.h"
#include "SerialLineWin32.h"
#include "TonePlayerWin32.h"

std::unique_ptr<SerialLine> MakeSerialLine() {
    return std::make_unique<Win32SerialLine>();
}

std::unique_ptr<ToneSink> MakeTonePlayer() {
    return std::make_unique<BeepTonePlayer>();
}
