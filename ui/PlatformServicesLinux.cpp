#include "AlsaTonePlayer.h"
#include "PlatformServices.h"
#include "QtSerialLine.h"

std::unique_ptr<SerialLine> MakeSerialLine() {
    return std::make_unique<QtSerialLine>();
}

std::unique_ptr<ToneSink> MakeTonePlayer() {
    return std::make_unique<AlsaTonePlayer>();
}
