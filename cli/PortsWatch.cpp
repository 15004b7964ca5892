#include "PortsWatch.h"

#include <QDateTime>
#include <QEventLoop>
#include <QTimer>

#include "CommandLine.h"
#include "Output.h"
#include "PortEntryText.h"
#include "PortWatcher.h"
#include "StopSignals.h"

int WatchPorts(const QString& machineFolder, const Output& out, StopSignals& stop) {
    PortWatcher watcher(machineFolder, [&out](const std::vector<PortChange>& changes) {
        const QDateTime now = QDateTime::currentDateTime();
        for (const PortChange& change : changes) {
            out.Lines({PortChangeLine(change, now)});
            out.Object(PortChangeObject(change, now));
        }
    });
    const PortWatcher::Watching watching = watcher.Start();
    if (!watching.any()) {
        Output::Note(QStringLiteral("The system tells of no serial device coming or going here."));
        return ExitNotConfirmed;
    }
    if (!watching.deviceEvents)
        Output::Note(
            QStringLiteral("No device events here (udev is not running): only the links "
                           "in ports/ and the devices they lead to are watched."));
    Output::Note(QStringLiteral("Watching the serial ports; Ctrl+C ends."));
    if (stop.requested()) return ExitSuccess;

    QEventLoop loop;
    const auto before = stop.onStop;
    stop.onStop = [&loop, before] {
        if (before) before();
        loop.quit();
    };
#ifdef _WIN32
    // The console's Ctrl+C only sets a flag there, which nothing reports: it is looked at.
    QTimer flag;
    flag.callOnTimeout([&] {
        if (stop.requested()) loop.quit();
    });
    flag.start(250);
#endif
    loop.exec();
    stop.onStop = before;
    return ExitSuccess;
}
