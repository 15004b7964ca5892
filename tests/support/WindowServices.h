#pragma once

// The one builder of the window's services for tests and benchmarks: the pieces a test chose,
// the store of the kept settings, the machine folder, and the application's own dispatch of
// pending messages.

#include <QCoreApplication>

#include "TfrmModule.h"

inline ModuleServices WindowServices(SerialLine& line, Clock& clock, ToneSink& tone,
                                     KeptSettingsStore& store, const QString& machineFolder) {
    ModuleServices services;
    services.line = &line;
    services.clock = &clock;
    services.tone = &tone;
    services.store = &store;
    services.machineFolder = machineFolder;
    services.processMessages = [] { QCoreApplication::processEvents(); };
    return services;
}
