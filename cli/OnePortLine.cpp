#include "OnePortLine.h"

#include <QFileInfo>

OnePortLine::OnePortLine(SerialLine& line, const QString& machineFolder)
    : line_(line), names_(machineFolder) {}

PortHandleType OnePortLine::Open(const QString& devicePath) {
    // The device is looked up at each open: a link in ports/ may be made anew in between, as
    // when a simulator or an adapter comes back.
    if (heldTo_ != 0 && devicePath != names_.DevicePath(heldTo_)) return InvalidPortHandle;
    const PortHandleType handle = line_.Open(devicePath);
    if (handle == InvalidPortHandle && QFileInfo::exists(devicePath)) refused_.insert(devicePath);
    return handle;
}
