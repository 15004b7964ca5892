#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

#include "SitePlan.h"

// The simulator's options for a site: the readers that come and go, their schedule, the
// adapter's coming and going and its links.
struct SiteOptions {
    SiteOptions();
    QList<QCommandLineOption> all() const;

    QCommandLineOption site, plugMs, unplugMs, rounds, adapterPerReader, commands, linkPath;
};

// Reads them into the plan; the first mistake as a message, or empty. defaultReaderNumber is
// the number of a reader given without one; realDevice tells that a serial device is served
// rather than a pseudo-terminal.
QString ReadSiteOptions(const QCommandLineParser& parser, const SiteOptions& options,
                        int defaultReaderNumber, bool realDevice, SitePlan& plan);
