#pragma once

// What a port claim needs of the system: the keys a device path is claimed by, and one lock
// for each key that no other process can take while it is held, and that goes with the
// process however it ends.

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace claim_locks {

using Handle = qintptr;

struct Taken {
    bool held = false;
    bool available = true;  // false: no lock can be kept here at all
    Handle handle = -1;     // held: what keeps the lock
    qint64 holderPid = 0;   // refused: the process that holds it, where it tells
};

// The keys of a device path, in the order they are taken.
QStringList Keys(const QString& devicePath);
// The keys of a port's own name: the path and every link on the way, but not the device they
// lead to, whose name the system hands to another device once this one is gone; in the order
// they are taken.
QStringList NameKeys(const QString& portPath);
Taken Lock(const QString& key);
void Unlock(const QString& key, Handle handle);
// The process that holds the key's lock, 0 when none (or none that tells); never this one.
qint64 Holder(const QString& key);

}  // namespace claim_locks
