#include "SiteOptions.h"

#include <QHash>

namespace {

constexpr qint64 DayMs = 86400000;

std::optional<qint64> Number(const QString& text, qint64 low, qint64 high) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok || value < low || value > high) return std::nullopt;
    return value;
}

// "SERIAL" or "SERIAL:NUMBER": eight printable characters, and a number 1 to 99.
std::optional<SiteReader> ParseReader(const QString& item, int defaultNumber) {
    const int colon = item.indexOf(':');
    const QString serial = colon < 0 ? item : item.left(colon);
    if (serial.size() != 8) return std::nullopt;
    for (QChar c : serial)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) return std::nullopt;
    SiteReader reader{serial.toLatin1(), defaultNumber};
    if (colon >= 0) {
        const auto number = Number(item.mid(colon + 1), 1, 99);
        if (!number) return std::nullopt;
        reader.readerNumber = int(*number);
    }
    return reader;
}

}  // namespace

SiteOptions::SiteOptions()
    : site("site",
           "Readers plugged in on the port in turn, each SERIAL or SERIAL:NUMBER, separated by "
           "commas; a serial number met again is the same reader.",
           "list"),
      plugMs("plug-ms",
             "Plays the site on a schedule: each reader stays plugged in this long (without it, "
             "SIGUSR1 unplugs the reader and SIGUSR2 plugs in the next).",
             "ms"),
      unplugMs("unplug-ms", "On the schedule, the time between two readers.", "ms", "500"),
      rounds("rounds", "How often the schedule plays the site; 0 for no end.", "n", "1"),
      adapterPerReader("adapter-per-reader",
                       "Each reader comes with its own adapter: the device goes when the reader "
                       "is unplugged and comes back, at the same links, with the next."),
      commands("commands",
               "Reads commands from standard input, one a line: unplug, plug, adapter-out, "
               "adapter-in."),
      linkPath("link-path", "Makes a link to the device at the path; removed at the end.", "path") {
}

QList<QCommandLineOption> SiteOptions::all() const {
    return {site, plugMs, unplugMs, rounds, adapterPerReader, commands, linkPath};
}

QString ReadSiteOptions(const QCommandLineParser& parser, const SiteOptions& options,
                        int defaultReaderNumber, bool realDevice, SitePlan& plan) {
    if (parser.isSet(options.site)) {
        if (parser.isSet("serial"))
            return "--site gives the serial numbers; not together with --serial.";
        QHash<QByteArray, int> numbers;
        for (const QString& part : parser.value(options.site).split(',')) {
            const QString item = part.trimmed();
            const auto reader = ParseReader(item, defaultReaderNumber);
            if (!reader)
                return "Not a reader of the site: \"" + item +
                       "\"; each is SERIAL or SERIAL:NUMBER, a serial number of 8 printable "
                       "characters and a number 1 to 99.";
            // The same reader again keeps its number; it cannot bring another.
            const auto known = numbers.constFind(reader->serialNumber);
            if (known != numbers.constEnd() && item.contains(':') && *known != reader->readerNumber)
                return "The reader " + item.left(8) +
                       " comes again with another number; it keeps the one it was given first.";
            if (known == numbers.constEnd())
                numbers.insert(reader->serialNumber, reader->readerNumber);
            plan.readers << SiteReader{reader->serialNumber, numbers.value(reader->serialNumber)};
        }
    }

    if (parser.isSet(options.plugMs)) {
        const auto plug = Number(parser.value(options.plugMs), 1, DayMs);
        if (!plug) return "--plug-ms takes 1 to 86400000 ms.";
        plan.plugMs = *plug;
    } else if (parser.isSet(options.unplugMs) || parser.isSet(options.rounds)) {
        return "--unplug-ms and --rounds belong to a schedule: give --plug-ms.";
    }
    const auto unplug = Number(parser.value(options.unplugMs), 0, DayMs);
    if (!unplug) return "--unplug-ms takes 0 to 86400000 ms.";
    plan.unplugMs = *unplug;
    const auto rounds = Number(parser.value(options.rounds), 0, 1000000);
    if (!rounds) return "--rounds takes 0 (no end) to 1000000.";
    plan.rounds = int(*rounds);

    plan.adapterPerReader = parser.isSet(options.adapterPerReader);
    if (plan.adapterPerReader && realDevice)
        return "--adapter-per-reader is for a pseudo-terminal: a real adapter is pulled by hand.";
    plan.commands = parser.isSet(options.commands);
    for (const QString& path : parser.values(options.linkPath)) {
        if (path.trimmed().isEmpty()) return "--link-path takes the path of the link to make.";
        plan.linkPaths << path;
    }
    return {};
}
