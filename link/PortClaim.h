#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "SerialLine.h"

// A process's claim on a serial device: while it lasts, every other process is refused the
// device as in use, with this one named as its holder, as an open port is refused; the holding
// process itself opens it freely. A run takes one for its whole length, so that nobody comes
// between its operations while the port is closed, or while its device is away and back.
//
// The serial line takes a claim for each open as well, so that no opening process slips in
// between another's check and its open. Claims are keyed on where the path given leads (on
// Linux every link on the way and the device, so that any path to the device is refused, also
// while the device is absent; on Windows the COM name), and held by a lock that goes with the
// process however it ends: a claim is never left behind.
class PortClaim {
  public:
    enum class Status {
        None,         // nothing was claimed
        Held,         // this process holds the device
        InUse,        // another process holds it
        Unavailable,  // the system keeps no claims here (no folder for them): nothing is held
    };

    PortClaim() = default;
    // Claims the device for this process; a second claim of the same process shares the first.
    static PortClaim Take(const QString& devicePath);
    // Claims a port by its own name for a run that outlives the device behind it: the path and
    // every link on the way, not the device they lead to. Once that device is gone the system
    // may give its name to another device, which is no business of the run; while the run has
    // the port open, the serial line's own claim holds the device as well.
    static PortClaim TakeName(const QString& portPath);
    ~PortClaim() { Release(); }
    PortClaim(PortClaim&& other) noexcept;
    PortClaim& operator=(PortClaim&& other) noexcept;
    PortClaim(const PortClaim&) = delete;
    PortClaim& operator=(const PortClaim&) = delete;

    Status status() const { return status_; }
    bool held() const { return status_ == Status::Held; }
    // In use: the process that holds the device, where its claim tells; 0 otherwise.
    qint64 holderPid() const { return holderPid_; }
    // Gives the claim up; the device is free once no claim of this process holds it.
    void Release();

  private:
    static PortClaim TakeKeys(const QStringList& keys);

    Status status_ = Status::None;
    qint64 holderPid_ = 0;
    QStringList keys_;
};

// The process, other than this one, whose claim holds the device; 0 when none does.
qint64 ClaimHolderPid(const QString& devicePath);
// An open refused by another process's claim: in use, with the holder named.
OpenResult RefusedByClaim(const PortClaim& claim, int systemError);
