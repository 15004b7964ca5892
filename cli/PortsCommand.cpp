// vq880 ports: which COM number is which device and adapter, and whether it can be opened.
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <vector>

#include "AssignCommand.h"
#include "Commands.h"
#include "ConsoleTexts.h"
#include "DiagnosisTexts.h"
#include "Output.h"
#include "PortEntryText.h"
#include "PortInventory.h"
#include "PortNames.h"
#include "PortsWatch.h"

namespace {

// The COM numbers a device may be given: those with nothing at them, then those whose link
// leads nowhere. Each is offered once, so that two devices do not take it from each other.
std::vector<int> FreeComNumbers(const PortInventory& inventory) {
    std::vector<int> free;
    for (PortState wanted : {PortState::NoDevice, PortState::MissingTarget})
        for (const PortEntry& entry : inventory.comPorts)
            if (entry.state == wanted) free.push_back(entry.comNumber);
    return free;
}

}  // namespace

int RunPorts(CommandRun& run) {
    if (run.request.watch) return WatchPorts(run.request.machineFolder, run.out, *run.stop);
    const Output& out = run.out;
    const PortInventory inventory = TakePortInventory(run.request.machineFolder);
    for (const PortEntry& entry : inventory.comPorts) {
        out.Lines({PortEntryLine(entry)});
        out.Object(PortEntryObject(entry));
    }
    if (!inventory.unreached.empty()) out.Lines({Tr(Texts::UnreachedDevices)});
    const std::vector<int> free = FreeComNumbers(inventory);
    for (size_t i = 0; i < inventory.unreached.size(); ++i) {
        const PortEntry& entry = inventory.unreached[i];
        QJsonObject object = PortEntryObject(entry);
        int comNumber = 0;
        QString assign;
        if (i < free.size()) {
            comNumber = free[i];
            // By its stable name where it has one.
            const QString device =
                entry.identity.byId.isEmpty() ? entry.device : entry.identity.byId;
            assign = AssignCommand(device, comNumber, inventory.portsFolder);
            object.insert("assign", assign);
        }
        out.Lines(UnreachedEntryLines(entry, comNumber, assign));
        out.Object(object);
    }
    return ExitSuccess;
}
