#include "ReaderOperations.h"
#include "TfrmModule.h"

void SetReaderId(TfrmModule&) {}
void SetLineSpeed(TfrmModule&) {}
void SetSameCard(TfrmModule&) {}
void SetInputNoNc(TfrmModule&) {}
void SetReaderMode(TfrmModule&) {}
void SetRadioAddress(TfrmModule&) {}
void SetRadioFrequency(TfrmModule&) {}
void SetRadioChannel(TfrmModule&) {}
void SetRssiLevel(TfrmModule&) {}
void SetFactoryDefault(TfrmModule&) {}
void ResetReader(TfrmModule&) {}
