#pragma once

#include "ReaderLink.h"
#include "ScanResult.h"

// Up to `tries` presence checks on the open port, each after the pause before a command; true
// at the first valid answer of the reader information's length. Counts what came back.
bool AskPresence(ReaderLink& link, int tries, ReplyCounts* replies = nullptr);
