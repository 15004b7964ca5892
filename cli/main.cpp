// vq880: the reader operations of the window from the command line.
#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <exception>

#include "CommandLine.h"
#include "CommandRunner.h"
#include "ConsoleTexts.h"
#include "Output.h"

int main(int argc, char* argv[]) {
#ifdef SIGXFSZ
    // A file grown to the size limit is a write that fails (EFBIG), which the run reports, not
    // the end of the program in the middle of an exchange.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
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
        return RunCommand(parsed.request);
    } catch (const std::exception& error) {
        Output::Note(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        Output::Note(Tr(Texts::UnknownError));
    }
    return ExitNotConfirmed;
}
