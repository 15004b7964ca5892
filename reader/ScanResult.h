#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "Message.h"
#include "ReaderLink.h"
#include "ReaderPlace.h"
#include "SerialLine.h"

// How the scan is to search.
struct ScanOptions {
    // chkLock: each port at the kept line setting only, not at all twelve.
    bool locked = true;
    // 0 searches COM1 to COM16; a COM number searches that port alone, first at the kept line
    // setting, as the kept port would be.
    int onlyPort = 0;
    // false leaves out the try at the kept port and goes straight to the port scan.
    bool tryKeptPlace = true;
};

// How often each kind of answer came back to the presence checks at one line setting.
struct ReplyCounts {
    int accepted = 0;
    int wrongLength = 0;
    int wrongCheck = 0;
    int noise = 0;
    int nothing = 0;
    int gone = 0;  // the device went away
    // Beside the verdicts: presence checks whose frame the adapter echoed, the echo set aside.
    int echo = 0;

    void Count(ReplyVerdict verdict, bool echoSetAside = false);
    ReplyCounts& operator+=(const ReplyCounts& other);
    int Of(ReplyVerdict verdict) const;
    // Presence checks that got any byte back behind a set-aside echo.
    int answered() const { return accepted + wrongLength + wrongCheck + noise; }
};

// One line setting tried on an open port.
struct LineSettingTry {
    int lineIndex = -1;  // in LineSettingTable; -1 for a kept text outside it
    QString lineSetting;
    ReplyCounts replies;
};

// What happened at one port: why it did not open, or the line settings tried on it in order.
struct PortTry {
    int comNumber = 0;
    bool keptPlace = false;  // the first try, at the kept port and line setting
    OpenResult open;         // the handle is stale once the port is closed again
    std::vector<LineSettingTry> lines;
};

// The reader that answered, as it told of itself, and where.
struct ReaderIdentity {
    ReaderPlace place;  // the line index is -1 for a kept line text outside the table
    QString device;
    QByteArray serialNumber;  // as the presence reply carries it, normally 8 characters
    QByteArray readerNumber;  // the two characters of the presence reply, normally digits
    QByteArray version;       // empty when the reader did not tell it

    // The reader number's value when both characters are decimal digits.
    std::optional<int> number() const;
};

// What a scan found, and what happened at every port on the way.
struct ScanResult {
    bool answered = false;     // a reader answered a presence check
    bool versionRead = false;  // it told its version too: the reader is found
    ReaderIdentity reader;     // when answered
    Message message;           // how the scan ended: "Get Reader Info Ok. (COM : #3)", ...
    std::vector<PortTry> ports;
    // A port whose device went away during the scan: it hung up during a presence check, or
    // the reader that answered there was no longer there for its version. 0 for none.
    int goneComNumber = 0;

    bool found() const { return versionRead; }
};
