#include "PlatformServices.h"
#include "SerialLineLinux.h"
#include "TonePlayerLinux.h"

std::unique_ptr<SerialLine> MakeSerialLine() {
    return std::make_unique<LinuxSerialLine>();
}

std::unique_ptr<ToneSink> MakeTonePlayer() {
    return std::make_unique<AlsaTonePlayer>();
}
