#include "StopSignals.h"

#ifdef _WIN32

#include <windows.h>

#include <atomic>

namespace {
std::atomic<bool> consoleBreak{false};

BOOL WINAPI OnConsoleControl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
    consoleBreak = true;
    return TRUE;
}
}  // namespace

// Windows has no signals to wake an event loop with: the console's control handler runs on a
// thread of its own and only sets a flag, which requested() reads.
StopSignals::StopSignals() {
    consoleBreak = false;
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

StopSignals::~StopSignals() {
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

bool StopSignals::requested() const {
    if (consoleBreak && !requested_) const_cast<StopSignals*>(this)->Notice();
    return requested_;
}

#else

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

namespace {
// The write end of the self-pipe; the handler does nothing but write one byte to it.
int pipeWriteEnd = -1;
int pipeReadEnd = -1;

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(pipeWriteEnd, &byte, 1);
}

void SetAction(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed terminal or SSH connection: the run ends as on Ctrl+C, with its summary and
    // the port closed, not killed in the middle.
    sigaction(SIGHUP, &action, nullptr);
}
}  // namespace

StopSignals::StopSignals() {
    if (pipeReadEnd < 0) {
        int ends[2];
        if (::pipe(ends) != 0) return;
        for (int end : ends) {
            ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
            ::fcntl(end, F_SETFD, FD_CLOEXEC);
        }
        pipeReadEnd = ends[0];
        pipeWriteEnd = ends[1];
    }
    notifier_ = new QSocketNotifier(pipeReadEnd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(pipeReadEnd, bytes, sizeof bytes) > 0) {
        }
        Notice();
    });
    SetAction(OnSignal);
}

StopSignals::~StopSignals() {
    SetAction(SIG_DFL);
}

bool StopSignals::requested() const {
    return requested_;
}

#endif

void StopSignals::Notice() {
    if (requested_) return;
    requested_ = true;
    if (onStop) onStop();
}
