// vq880 scan: where the reader is and what it told of itself.
#include "Commands.h"
#include "ConsoleContext.h"

int RunScan(ConsoleContext& console) {
    const int status = console.FindReader();
    if (status != ExitSuccess) return status;
    console.out().Lines(console.ReaderLines());
    QJsonObject object = console.ReaderObject();
    object.insert("command", "scan");
    object.insert("result", "ok");
    object.insert("message", console.view().Text(Panel::Msg));
    console.out().Object(object);
    return ExitSuccess;
}
