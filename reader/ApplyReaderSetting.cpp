#include "ReaderOperations.h"
#include "TfrmModule.h"

void ApplyReaderSetting(TfrmModule&, const ReaderSetting&) {}
