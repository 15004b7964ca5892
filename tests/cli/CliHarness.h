#pragma once

// The vq880 program run against the simulator program on a pseudo-terminal, in a private
// machine folder: every COM number leads nowhere but the one the simulator is linked as, so a
// search is quick and meets nothing else on the machine.

#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "PortNames.h"
#include "SimulatorProcess.h"

struct CliResult {
    int exitCode = -1;
    QStringList out;  // standard output, a line each
    QStringList err;
};

class CliHarness {
  public:
    // Where the simulator is linked; an uncommon number, so that nothing else running on the
    // machine holds the port's lock.
    static constexpr int SimPort = 14;

    CliHarness() {
        QDir(folder.path()).mkpath("ports");
        for (int com = 1; com <= 16; ++com)
            if (com != SimPort) LinkMissing(com);
    }

    void LinkMissing(int com) {
        const QString link = PortNames(folder.path()).LinkPath(com);
        QFile::remove(link);
        QFile::link(QDir(folder.path()).filePath("no-such-device"), link);
    }
    QString LogPath(int n = 0) const {
        return QDir(folder.path()).filePath(QStringLiteral("frames-%1.log").arg(n));
    }
    // The simulator's arguments that link it as COM14 and log its frames to LogPath(n).
    QStringList SimArguments(const QStringList& more = {}, int n = 0) const {
        return QStringList{"--link",
                           PortNames::PortName(SimPort),
                           "--machine-folder",
                           folder.path(),
                           "--log",
                           LogPath(n)} +
               more;
    }

    // vq880, or another program that runs it (given in the arguments).
    QProcess* Start(const QStringList& arguments,
                    const QString& program = QStringLiteral(VQ880_CLI_PATH)) {
        auto* process = new QProcess;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VQ880_MACHINE_FOLDER", folder.path());
        process->setProcessEnvironment(environment);
        if (fileSizeLimit > 0) {
            const rlim_t limit = rlim_t(fileSizeLimit);
            process->setChildProcessModifier([limit] {
                const rlimit bytes{limit, limit};
                ::setrlimit(RLIMIT_FSIZE, &bytes);
            });
        }
        process->start(program, arguments);
        return process;
    }
    static CliResult Finish(QProcess* process, int timeoutMs = 30000) {
        CliResult result;
        if (!process->waitForFinished(timeoutMs)) process->kill();
        process->waitForFinished(3000);
        result.exitCode = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
        result.out = Lines(process->readAllStandardOutput());
        result.err = Lines(process->readAllStandardError());
        delete process;
        return result;
    }
    CliResult Run(const QStringList& arguments) { return Finish(Start(arguments)); }
    // Signals a child that still runs. A child that ended early has no process id (0), and a
    // signal to 0 would reach the whole process group: the test runner and what started it.
    static bool Signal(QProcess* process, int signal) {
        if (process->state() != QProcess::Running || process->processId() <= 0) return false;
        return ::kill(pid_t(process->processId()), signal) == 0;
    }

    QByteArray Log(int n = 0) const {
        QFile log(LogPath(n));
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }
    // The command texts the simulator received, check characters left out, in order.
    QStringList Frames(int n = 0) const {
        static const QRegularExpression received(QStringLiteral("<- <TAB>([^<]*)..<CR>"));
        QStringList frames;
        for (const QByteArray& line : Log(n).split('\n')) {
            const auto match = received.match(QString::fromLatin1(line));
            if (match.hasMatch()) frames << match.captured(1);
        }
        return frames;
    }
    // Kept settings as a copy of the tool left them, such as "\"ScanBaudRate\"=\"57600,n,8,1\"\n".
    void Keep(const QByteArray& values) {
        QFile file(QDir(folder.path()).filePath("settings.reg"));
        if (file.open(QIODevice::WriteOnly)) file.write(values);
    }
    QByteArray KeptSettings() const {
        QFile file(QDir(folder.path()).filePath("settings.reg"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;
    // The largest file the program may write, in bytes, as `ulimit -f` sets it; 0 for no limit.
    // A write past it fails as on a full disk.
    qint64 fileSizeLimit = 0;

    // A file of the given text that lasts as long as the test program, named after `name`
    // ("plan.csv" gives "plan3.csv"): rows of a data table refer to it.
    static QString LastingFile(const QString& name, const QByteArray& text) {
        static QTemporaryDir lasting;
        static int made = 0;
        const QFileInfo given(name);
        const QString path = lasting.filePath(QStringLiteral("%1%2.%3")
                                                  .arg(given.completeBaseName())
                                                  .arg(++made)
                                                  .arg(given.suffix()));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) return {};
        return path;
    }

  private:
    static QStringList Lines(const QByteArray& bytes) {
        QStringList lines = QString::fromUtf8(bytes).split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        return lines;
    }
};
