#pragma once

#include <QString>

class Output;
class StopSignals;

// vq880 ports --watch: one line (one object with --json) for each serial device or COM link
// that appears or goes, with the identity `ports` shows, until a stop signal. It waits on the
// system's events and uses no processor time while nothing happens. The exit status: success
// at the stop, or a failure when the system gives no events to watch at all.
int WatchPorts(const QString& machineFolder, const Output& out, StopSignals& stop);
