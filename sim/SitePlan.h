#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QtGlobal>

// A reader of the site: its serial number and the reader number it has when it first comes.
struct SiteReader {
    QByteArray serialNumber;
    int readerNumber = 1;
};

// What happens on the simulator's port: which readers are plugged in and out, on what schedule,
// and where the adapter is linked. Without readers of its own the site is the one reader of
// the reader options.
struct SitePlan {
    // In the order they are plugged in; a serial number met again is the same reader, which
    // keeps what it was told.
    QList<SiteReader> readers;
    qint64 plugMs = 0;      // each reader stays plugged in this long; 0: until told
    qint64 unplugMs = 500;  // the line stays empty this long between two readers
    int rounds = 1;         // the schedule plays the site this often; 0: without end
    // Each reader comes with its own adapter: the device goes with the reader and comes back,
    // at the same links, with the next.
    bool adapterPerReader = false;
    bool commands = false;  // reads commands from standard input
    QStringList linkPaths;  // links to the device, made again whenever the adapter comes back
};
