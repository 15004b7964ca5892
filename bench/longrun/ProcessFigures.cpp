#include "ProcessFigures.h"

#include <unistd.h>

#include <QDir>
#include <QFile>

ProcessFigures ReadProcessFigures(qint64 pid) {
    const QString root = pid ? QStringLiteral("/proc/%1").arg(pid) : QStringLiteral("/proc/self");
    ProcessFigures figures;
    QFile status(root + "/status");
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                figures.residentKiB = line.mid(6).trimmed().split(' ').value(0).toLongLong();
    // "." and ".." are not listed; the listing's own descriptor of this process is.
    figures.openFiles = int(QDir(root + "/fd")
                                .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                                .size()) -
                        (pid ? 0 : 1);
    QFile stat(root + "/stat");
    if (stat.open(QIODevice::ReadOnly)) {
        // The fields after the command's closing parenthesis; utime and stime are the 12th and
        // 13th of them.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        const double ticks = double(sysconf(_SC_CLK_TCK));
        figures.cpuSeconds = (fields.value(11).toDouble() + fields.value(12).toDouble()) / ticks;
    }
    return figures;
}
