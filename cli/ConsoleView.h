#pragma once

#include <functional>

#include "ReaderView.h"

// The reader view of the command line: it shows the progress of a scan ("Scan COM : #n") on
// standard error when that is a terminal, and dispatches pending events (the stop signals)
// while the reader is awaited. What an operation did comes back as its result.
class ConsoleView final : public ReaderView {
  public:
    ConsoleView();

    // The progress of a scan goes to standard error only while this is on and it is a
    // terminal.
    void SetProgressShown(bool shown) { progressShown_ = shown; }

    // Called after the pending events of each ProcessMessages were dispatched.
    std::function<void()> afterMessages;

    void Report(const OperationStep& step) override;
    void ProcessMessages() override;

  private:
    bool progressShown_ = true;
    bool stderrIsTerminal_ = false;
    bool progressOnLine_ = false;
};
