#include "NoReaderReport.h"

#include <QJsonArray>

#include "ConsoleTexts.h"
#include "DiagnosisTexts.h"

namespace {

QJsonObject LineObject(const LineSettingTry& line) {
    const ReplyCounts& r = line.replies;
    return {
        {"line", line.lineSetting},      {"accepted", r.accepted}, {"wrong-check", r.wrongCheck},
        {"wrong-length", r.wrongLength}, {"echo", r.echo},         {"noise", r.noise},
        {"nothing", r.nothing}};
}

QJsonObject PortObject(const PortSummary& port, const PortNames& names, int language) {
    QJsonObject object{{"port", names.Label(port.comNumber)},
                       {"device", port.open.device},
                       {"state", PortStateName(port.state)},
                       {"text", PortLine(port, names, language)}};
    if (port.state == PortState::InUse && port.open.holderPid > 0)
        object.insert("holder",
                      QJsonObject{{"pid", port.open.holderPid}, {"name", port.open.holderName}});
    if (port.state == PortState::NoPermission && !port.open.group.isEmpty())
        object.insert("group", port.open.group);
    if (port.state == PortState::OpenError) object.insert("error", port.open.systemError);
    QJsonArray lines;
    for (const LineSettingTry& line : port.lines) lines.append(LineObject(line));
    if (!port.lines.empty()) object.insert("lines", lines);
    return object;
}

}  // namespace

QStringList NoReaderLines(const Diagnosis& diagnosis, const PortNames& names, int language) {
    QStringList lines;
    for (const QString& line : PortLines(diagnosis, names, language)) lines << "  " + line;
    lines << Tr(Texts::Hint) + HintText(diagnosis, names, language);
    return lines;
}

QString PortNote(const PortTry& port, const PortNames& names, int language) {
    PortSummary summary;
    summary.comNumber = port.comNumber;
    summary.open = port.open;
    summary.state = port.open.opened() ? PortState::Silent : port.open.state;
    return PortLine(summary, names, language);
}

void AddNoReaderFields(QJsonObject& object, const Diagnosis& diagnosis, const PortNames& names,
                       int language) {
    QJsonArray ports;
    for (const PortSummary& port : diagnosis.ports) ports.append(PortObject(port, names, language));
    object.insert("ports", ports);
    QJsonObject hint{{"cause", CauseName(diagnosis.cause)},
                     {"text", HintText(diagnosis, names, language)}};
    if (diagnosis.causePort >= 0)
        hint.insert("port", names.Label(diagnosis.ports[size_t(diagnosis.causePort)].comNumber));
    object.insert("hint", hint);
}
