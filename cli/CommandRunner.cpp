#include "CommandRunner.h"

#include <memory>

#include "CommandTable.h"
#include "ConsoleContext.h"
#include "ConsoleTexts.h"
#include "Output.h"
#include "PortNames.h"
#include "StopSignals.h"

int RunCommand(const Request& request) {
    const CommandRow& command = *request.command;
    const Output out(request.json);
    // Installed before the search, so that a stop signal during it ends the run after it.
    std::unique_ptr<StopSignals> stop;
    if (command.stoppable) stop = std::make_unique<StopSignals>();
    if (command.needs == Needs::Nothing) {
        CommandRun run{request, out, nullptr, stop.get()};
        return command.handler(run);
    }

    if (request.port != 0 && !PortNames::WindowReaches(request.port))
        Output::Note(Tr(Texts::RunOnlyPort)
                         .arg(request.runOnlyDevice.isEmpty() ? PortNames::PortName(request.port)
                                                              : request.runOnlyDevice));
    ConsoleContext console(request);
    if (QString problem = console.OpenTrace();
        !problem.isEmpty() || !(problem = console.OpenRecord()).isEmpty()) {
        Output::Note(problem);
        return ExitUsage;
    }
    int status = ExitSuccess;
    if (command.needs == Needs::Reader || command.needs == Needs::Writing)
        status = console.FindReader(command.needs == Needs::Writing);
    if (status == ExitSuccess) {
        CommandRun run{request, console.out(), &console, stop.get()};
        status = command.handler(run);
    }
    // A trace or record that did not take what the run wrote is said by the exit status, above
    // the reader's outcome, which the lines printed tell.
    return console.CloseFiles() ? status : ExitCannotWrite;
}
