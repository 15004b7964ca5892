#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include "PortChanges.h"
#include "PortInventory.h"

// A port as `ports` lists it, for people: its COM number, the device and where its link leads,
// its state and the adapter behind it.
QString PortEntryLine(const PortEntry& entry);
// A device that no COM number reaches: its line, indented, and when a COM number is free for it
// (comNumber above 0) the command that assigns it there, on a line of its own.
QStringList UnreachedEntryLines(const PortEntry& entry, int comNumber, const QString& assign);
// The same for scripts: "command" "ports", the device, its state, holder and identity.
QJsonObject PortEntryObject(const PortEntry& entry);

// A port that appeared or went, as `ports --watch` reports it: the time, the event and the
// port's line.
QString PortChangeLine(const PortChange& change, const QDateTime& time);
// The port's object with "event" ("appeared", "gone") and "time".
QJsonObject PortChangeObject(const PortChange& change, const QDateTime& time);
