#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "ReaderOperations.h"

class ReaderLink;
class TfrmModule;

// Wait mode for the whole of a setting operation: hourglass and disabled window from the
// constructor, window and cursor back on every way out.
class WaitModeScope {
  public:
    explicit WaitModeScope(TfrmModule& form);
    ~WaitModeScope();
    WaitModeScope(const WaitModeScope&) = delete;
    WaitModeScope& operator=(const WaitModeScope&) = delete;

  private:
    TfrmModule& form_;
};

// The port of one operation: opened with the found reader's port and line setting, closed
// when the scope ends if the open succeeded.
class PortScope {
  public:
    PortScope(ReaderLink& link, int comNumber, const QString& lineSetting);
    ~PortScope();
    PortScope(const PortScope&) = delete;
    PortScope& operator=(const PortScope&) = delete;
    bool isOpen() const { return open_; }

  private:
    ReaderLink& link_;
    bool open_;
};

// The three ways an operation ends, each shown by pnMsg, shComm and a tone.
void ShowSuccess(TfrmModule& form, const QString& text);
void ShowFailure(TfrmModule& form, const QString& text);
// No scan has found a reader yet: "Start Scan Reader!", and nothing is sent.
void RefuseWithoutReader(TfrmModule& form);

// A setting operation whose three texts are rows of the text table, with three tries and
// neither preparation nor success action.
ReaderSetting TableRowSetting(TfrmModule& form, int startRow, int successRow, int failureRow,
                              std::function<QByteArray()> commandRule);

// The pauses of a setting operation, in milliseconds.
constexpr unsigned PauseBeforeCommandMs = 100;
constexpr unsigned PauseBeforeResetMs = 50;
constexpr int ToneSuccessHz = 1000;
constexpr int ToneFailureHz = 300;
constexpr int ToneMs = 300;
