#pragma once

#include <memory>

#include "SerialLine.h"
#include "ToneSink.h"

// The serial line and the speaker of the platform the program is built for.
std::unique_ptr<SerialLine> MakeSerialLine();
std::unique_ptr<ToneSink> MakeTonePlayer();
