#pragma once

#include <QString>

// The panels an operation writes its texts into.
enum class Panel {
    Msg,      // pnMsg: the outcome and progress of every operation
    Serial,   // pnSerial
    Version,  // pnVersion
    Id,       // pnID: the reader number as the reader or the operator gave it
    CardId,   // pnCardID: the last tag read
};

// The two indicators and their colours: yellow RGB(255,255,0), red RGB(255,0,0), white
// RGB(255,255,255).
enum class Indicator { Comm, Card };
enum class Colour { Red, Yellow, White };

// The value controls whose positions the scan and the factory default move. A control's
// change handler runs only when its position really changes.
enum class ValueControl { ReaderNumber, SameCard, RadioAddress, RadioFrequency, RadioChannel };

// What an operation shows and asks while it runs. The window implements it with its controls;
// the command line writes what it shows; tests record it.
class ReaderView {
  public:
    virtual ~ReaderView() = default;

    virtual void ShowText(Panel panel, const QString& text) = 0;
    virtual void ShowColour(Indicator indicator, Colour colour) = 0;

    // Busy mode: the link indicator blinks and the window takes no input.
    virtual void SetBusy(bool busy) = 0;
    // Wait mode: the hourglass, and the window takes no input.
    virtual void SetWaitMode(bool waiting) = 0;
    // The hourglass alone, around a scan.
    virtual void SetHourglass(bool shown) = 0;
    // Input back while busy mode goes on: the read button of a reading run is its cancel button.
    virtual void EnableInput() = 0;

    // The selected item of the line-setting list.
    virtual void SelectLineSetting(int index) = 0;
    virtual void MoveTo(ValueControl control, int position) = 0;

    // A reading run holds the port: every control that would start another exchange, leave
    // the program or change the language is locked, in this order: btnExit, btnScan,
    // btnFactory, btnID, btnBaudRate, gbDefault, btnEng, btnGB, btnBIG5, btnNoNc,
    // btnSameCard, btnMode; the read button carries the cancel caption. Unlocking frees them
    // in the same order and gives the read button its caption back.
    virtual void LockForReading(const QString& cancelCaption) = 0;
    virtual void UnlockAfterReading() = 0;

    // tmrCard, which turns the tag indicator white again 1000 ms after it was started.
    virtual bool CardTimerRunning() const = 0;
    virtual void StartCardTimer() = 0;

    // Dispatches pending messages: painting, timers and the operator's clicks.
    virtual void ProcessMessages() = 0;
};
