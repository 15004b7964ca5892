#include "ConsoleView.h"

#include <QCoreApplication>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

ConsoleView::ConsoleView() : stderrIsTerminal_(isatty(2) != 0) {}

void ConsoleView::Clear() {
    for (QString& text : texts_) text.clear();
}

void ConsoleView::ShowText(Panel panel, const QString& text) {
    texts_[int(panel)] = text;
    if (panel == Panel::Msg && stderrIsTerminal_) {
        const bool progress = !progressPrefix_.isEmpty() && text.startsWith(progressPrefix_);
        if (progress && progressShown_) {
            // One line that each port overwrites, cleared again when the scan is over.
            std::fprintf(stderr, "\r%s\033[K", text.toUtf8().constData());
            progressOnLine_ = true;
        } else if (progressOnLine_) {
            std::fputs("\r\033[K", stderr);
            progressOnLine_ = false;
        }
        std::fflush(stderr);
    }
}

void ConsoleView::ProcessMessages() {
    QCoreApplication::processEvents();
    if (afterMessages) afterMessages();
}
