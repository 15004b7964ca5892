// vq880: the reader operations of the window from the command line.
#include <QCoreApplication>
#include <cstdio>
#include <exception>

#include "CommandLine.h"
#include "Commands.h"
#include "ConsoleContext.h"
#include "Output.h"
#include "PortNames.h"
#include "StopSignals.h"

namespace {

int Run(const Request& request) {
    if (request.command == Command::Ports) return RunPorts(request);
    if (request.port != 0 && !PortNames::WindowReaches(request.port))
        Output::Note(QStringLiteral("%1 is used for this run only and not kept: the window reaches "
                                    "COM1 to COM16 only.")
                         .arg(request.runOnlyDevice.isEmpty() ? PortNames::PortName(request.port)
                                                              : request.runOnlyDevice));
    ConsoleContext console(request);
    if (QString problem = console.OpenTrace();
        !problem.isEmpty() || !(problem = console.OpenRecord()).isEmpty()) {
        Output::Note(problem);
        return ExitUsage;
    }
    switch (request.command) {
        case Command::Scan:
            return RunScan(console);
        case Command::Tags: {
            StopSignals stop;
            return RunTags(console, stop);
        }
        case Command::Provision: {
            StopSignals stop;
            return RunProvision(console, stop);
        }
        default:
            return RunSetting(console);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vq880"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VQ880_VERSION));

    const ParseResult parsed = ParseCommandLine(QCoreApplication::arguments());
    switch (parsed.kind) {
        case ParseResult::Kind::Help:
        case ParseResult::Kind::Version:
            std::fputs(parsed.text.toUtf8().constData(), stdout);
            return ExitSuccess;
        case ParseResult::Kind::UsageError:
            Output::Note(parsed.text);
            std::fprintf(stderr, "%s\n", UsageLine().toUtf8().constData());
            return ExitUsage;
        case ParseResult::Kind::Run:
            break;
    }
    try {
        return Run(parsed.request);
    } catch (const std::exception& error) {
        Output::Note(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        Output::Note(QStringLiteral("Unknown error"));
    }
    return ExitNotConfirmed;
}
