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
    explicit PortScope(ReaderSession& session)
        : link_(session.link()), open_(link_.OpenPort(session.ScanCommNo, session.ScanBaudRate)) {}
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
void ShowSuccess(ReaderSession& session, const QString& text);
void ShowFailure(ReaderSession& session, const QString& text);
// No scan has found a reader yet: "Start Scan Reader!", and nothing is sent.
void RefuseWithoutReader(ReaderSession& session);

// A setting operation whose three texts are rows of the text table, with three tries and
// neither preparation nor success action.
ReaderSetting TableRowSetting(ReaderSession& session, int startRow, int successRow, int failureRow,
                              std::function<QByteArray()> commandRule);
