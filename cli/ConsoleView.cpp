#include "ConsoleView.h"

#include <QCoreApplication>
#include <cstdio>

#include "ConsoleTexts.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

ConsoleView::ConsoleView() : stderrIsTerminal_(isatty(2) != 0) {}

void ConsoleView::Report(const OperationStep& step) {
    const bool message =
        step.kind == OperationStep::Kind::Message || step.kind == OperationStep::Kind::ScanStarted;
    if (!message || !stderrIsTerminal_) return;
    if (step.message.StartsWithRow(RowScanCom) && progressShown_) {
        // One line that each port overwrites, cleared again when the scan is over.
        std::fprintf(stderr, "\r%s\033[K",
                     step.message.Text(ConsoleLanguage()).toUtf8().constData());
        progressOnLine_ = true;
    } else if (progressOnLine_) {
        std::fputs("\r\033[K", stderr);
        progressOnLine_ = false;
    }
    std::fflush(stderr);
}

void ConsoleView::ProcessMessages() {
    QCoreApplication::processEvents();
    if (afterMessages) afterMessages();
}
