#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <csignal>

#include "PortNames.h"

// The simulator program on a pseudo-terminal, started for one test or benchmark and ended with
// it. The program is $VQ880_SIM, or the build's own where the build names it.
class SimulatorProcess {
  public:
    explicit SimulatorProcess(const QStringList& arguments) {
        QString program = qEnvironmentVariable("VQ880_SIM");
#ifdef VQ880_SIM_PATH
        if (program.isEmpty()) program = QStringLiteral(VQ880_SIM_PATH);
#endif
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(program, arguments);
        if (!process_.waitForStarted(5000)) return;
        // The first line names the pseudo-terminal: "device /dev/pts/N".
        QDeadlineTimer deadline(5000);
        while (!process_.canReadLine() && !deadline.hasExpired())
            process_.waitForReadyRead(int(deadline.remainingTime()));
        const QByteArray line = process_.readLine().trimmed();
        if (line.startsWith("device ")) device_ = QString::fromLocal8Bit(line.mid(7));
    }
    // Linked as COMn in the given machine folder.
    SimulatorProcess(const QString& machineFolder, int comNumber, const QStringList& arguments)
        : SimulatorProcess(QStringList{"--link", PortNames::PortName(comNumber), "--machine-folder",
                                       machineFolder} +
                           arguments) {}
    ~SimulatorProcess() {
        Stop();
    }
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    bool started() const {
        return !device_.isEmpty();
    }
    QString device() const {
        return device_;
    }
    QProcess& process() {
        return process_;
    }

    // Ends it as an operator would, with SIGTERM.
    void Stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
    // The reader's cable is taken off the line: it answers nothing more, the device stays.
    void UnplugReader() {
        Signal(SIGUSR1);
    }
    // The next reader of its site is plugged in.
    void PlugNextReader() {
        Signal(SIGUSR2);
    }
    // A line on its standard input, for a simulator that reads commands (--commands).
    void Command(const QByteArray& command) {
        process_.write(command + '\n');
        process_.waitForBytesWritten(3000);
    }
    // The device of the next "device PATH" line, printed when the adapter comes back; empty
    // when none comes in time.
    QString NextDevice(int timeoutMs = 5000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            if (!process_.canReadLine() &&
                !process_.waitForReadyRead(int(deadline.remainingTime())))
                continue;
            while (process_.canReadLine()) {
                const QByteArray line = process_.readLine().trimmed();
                if (line.startsWith("device "))
                    return device_ = QString::fromLocal8Bit(line.mid(7));
            }
        }
        return {};
    }
    // The reader vanishes at once, as when its adapter is pulled out.
    void Kill() {
        process_.kill();
        process_.waitForFinished(3000);
    }

  private:
    // Only while it runs, and never a process group.
    void Signal(int signal) {
        if (process_.state() == QProcess::Running && process_.processId() > 0)
            ::kill(pid_t(process_.processId()), signal);
    }

    QProcess process_;
    QString device_;
};
