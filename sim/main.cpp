// vq880-sim: a simulated VQ880 reader on a pseudo-terminal or a serial device.
#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <memory>

#include "FrameLog.h"
#include "PortNames.h"
#include "ReaderModel.h"
#include "ReaderPort.h"
#include "SimOptions.h"
#include "SimServer.h"
#include "SitePlayer.h"

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

    SitePlan plan = options.site;
    if (options.linkComNumber > 0)
        plan.linkPaths.prepend(PortNames(options.machineFolder).LinkPath(options.linkComNumber));
    ReaderModel reader(options.reader);  // the reader on the line
    SitePlayer site(reader, *port, log, options.reader, plan);
    if (!site.Start(&error)) return Fail(error);

    SimServer server(reader, *port, log, site, options.batchMs);
    return server.Run();
}
