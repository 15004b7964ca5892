#include "BeepTonePlayer.h"
#include "PlatformServices.h"
#include "Win32SerialLine.h"

std::unique_ptr<SerialLine> MakeSerialLine() {
    return std::make_unique<Win32SerialLine>();
}

std::unique_ptr<ToneSink> MakeTonePlayer() {
    return std::make_unique<BeepTonePlayer>();
}
