// vq880-sim: a simulated VQ880 reader on a pseudo-terminal or a serial device.
#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <memory>

#include "FrameLog.h"
#include "PortLink.h"
#include "PortNames.h"
#include "ReaderModel.h"
#include "ReaderPort.h"
#include "SimOptions.h"
#include "SimServer.h"

namespace {

int Fail(const QString& text) {
    std::fprintf(stderr, "vq880-sim: %s\n", text.toLocal8Bit().constData());
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Before anything else, so the end signals are only ever taken by the loop's signalfd.
    SimServer::BlockEndSignals();
    std::signal(SIGPIPE, SIG_IGN);  // a log reader that went away must not end the reader
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("vq880-sim");

    const SimCommandLine command =
        ParseSimCommandLine(QCoreApplication::arguments(), QStringLiteral(VQ880_MACHINE_FOLDER));
    if (!command.options) {
        std::fprintf(command.exitCode == 0 ? stdout : stderr, "%s\n",
                     command.message.toLocal8Bit().constData());
        return command.exitCode;
    }
    const SimOptions& options = *command.options;

    FrameLog log;
    QString error;
    if (!options.logPath.isEmpty() && !log.Open(options.logPath, &error)) return Fail(error);

    std::unique_ptr<ReaderPort> port = options.devicePath.isEmpty()
                                           ? ReaderPort::OpenPty(&error)
                                           : ReaderPort::OpenDevice(options.devicePath, &error);
    if (!port) return Fail(error);

    PortLink link;
    if (options.linkComNumber > 0) {
        const QString linkPath = PortNames(options.machineFolder).LinkPath(options.linkComNumber);
        if (!link.Create(linkPath, port->devicePath(), &error)) return Fail(error);
    }

    // The first line tells a test or a person what to open; the link exists by then.
    std::printf("device %s\n", port->devicePath().toLocal8Bit().constData());
    if (!link.path().isEmpty()) std::printf("link %s\n", link.path().toLocal8Bit().constData());
    std::fflush(stdout);

    ReaderModel reader(options.reader);
    SimServer server(reader, *port, log, options.batchMs);
    return server.Run();
}
