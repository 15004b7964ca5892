#include "AssignCommand.h"

#include <QDir>
#include <QFileInfo>

#include "PortNames.h"

QString ShellQuoted(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString AssignCommand(const QString& device, int comNumber, const QString& portsFolder) {
    const QString link = QDir(portsFolder).filePath(PortNames::PortName(comNumber));
    QString command = QStringLiteral("ln -sfn %1 %2").arg(ShellQuoted(device), ShellQuoted(link));
    if (!QFileInfo(portsFolder).isDir())
        command.prepend(QStringLiteral("mkdir -p %1 && ").arg(ShellQuoted(portsFolder)));
    return command;
}
