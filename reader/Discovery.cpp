#include "ReaderOperations.h"
#include "TfrmModule.h"

void ScanReader(TfrmModule&) {}
