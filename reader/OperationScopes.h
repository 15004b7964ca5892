#pragma once

#include <QString>

#include "ReaderOperations.h"

// Wait mode for the whole of a setting operation: hourglass and disabled window from the
// constructor, window and cursor back on every way out.
class WaitModeScope {
  public:
    explicit WaitModeScope(ReaderView& view) : view_(view) { view_.SetWaitMode(true); }
    ~WaitModeScope() { view_.SetWaitMode(false); }
    WaitModeScope(const WaitModeScope&) = delete;
    WaitModeScope& operator=(const WaitModeScope&) = delete;

  private:
    ReaderView& view_;
};

// The port of one operation: opened with the found reader's port and line setting, closed
// when the scope ends if the open succeeded.
class PortScope {
  public:
    explicit PortScope(ReaderContext& context)
        : link_(context.link()), open_(link_.OpenPort(context.ScanCommNo, context.ScanBaudRate)) {}
    ~PortScope() {
        if (open_) link_.ClosePort();
    }
    PortScope(const PortScope&) = delete;
    PortScope& operator=(const PortScope&) = delete;
    bool isOpen() const { return open_; }

  private:
    ReaderLink& link_;
    bool open_;
};

// The three ways an operation ends, each shown by pnMsg, shComm and a tone.
void ShowSuccess(ReaderContext& context, const QString& text);
void ShowFailure(ReaderContext& context, const QString& text);
// No scan has found a reader yet: "Start Scan Reader!", and nothing is sent.
void RefuseWithoutReader(ReaderContext& context);

// A setting operation whose three texts are rows of the text table, with three tries and
// neither preparation nor success action.
ReaderSetting TableRowSetting(ReaderContext& context, int startRow, int successRow, int failureRow,
                              std::function<QByteArray()> commandRule);
