// vq880 scan: where the reader is and what it told of itself.
#include "Commands.h"
#include "ConsoleContext.h"

int RunScan(CommandRun& run) {
    ConsoleContext& console = *run.console;
    run.out.Lines(console.ReaderLines());
    QJsonObject object = console.ReaderObject();
    object.insert("command", "scan");
    object.insert("result", ResultName(Outcome::Success));
    object.insert("message", console.Text(console.lastScan().message));
    run.out.Object(object);
    return ExitSuccess;
}
