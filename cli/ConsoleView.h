#pragma once

#include <QString>
#include <array>
#include <functional>

#include "ReaderView.h"

// The reader view of the command line: it keeps the last text of each panel for the command to
// print when the operation is over, shows the progress of a scan ("Scan COM : #n") on standard
// error when that is a terminal, and dispatches pending events between the passes of a run.
class ConsoleView final : public ReaderView {
  public:
    ConsoleView();

    // The progress of a scan goes to standard error only while this is on and it is a
    // terminal.
    void SetProgressShown(bool shown) { progressShown_ = shown; }
    // The beginning of the scan's progress texts in the context's language.
    void SetProgressPrefix(const QString& prefix) { progressPrefix_ = prefix; }

    // Called after the pending events of each ProcessMessages were dispatched.
    std::function<void()> afterMessages;

    QString Text(Panel panel) const { return texts_[int(panel)]; }
    // Forgets the texts of the last operation.
    void Clear();

    void ShowText(Panel panel, const QString& text) override;
    void ShowColour(Indicator, Colour) override {}
    void SetBusy(bool) override {}
    void SetWaitMode(bool) override {}
    void SetHourglass(bool) override {}
    void EnableInput() override {}
    void SelectLineSetting(int) override {}
    void MoveTo(ValueControl, int) override {}
    void LockForReading(const QString&) override {}
    void UnlockAfterReading() override {}
    bool CardTimerRunning() const override { return false; }
    void StartCardTimer() override {}
    void ProcessMessages() override;

  private:
    std::array<QString, 5> texts_;
    bool progressShown_ = true;
    bool stderrIsTerminal_ = false;
    bool progressOnLine_ = false;
    QString progressPrefix_;
};
