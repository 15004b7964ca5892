#include "ReaderOperations.h"
#include "TfrmModule.h"

void ReadTags(TfrmModule&) {}
