#include "ScanDiagnosis.h"

#include <algorithm>

namespace {

PortState StateOf(const OpenResult& open, const ReplyCounts& replies) {
    if (!open.opened()) return open.state;
    if (replies.answered() > 0) return PortState::Answered;
    return replies.gone > 0 ? PortState::Gone : PortState::Silent;
}

void Merge(PortSummary& summary, const PortTry& port) {
    summary.open = port.open;
    for (const LineSettingTry& line : port.lines) {
        auto same = std::find_if(
            summary.lines.begin(), summary.lines.end(),
            [&](const LineSettingTry& l) { return l.lineSetting == line.lineSetting; });
        if (same == summary.lines.end())
            same =
                summary.lines.insert(summary.lines.end(), {line.lineIndex, line.lineSetting, {}});
        same->replies += line.replies;
        summary.replies += line.replies;
    }
}

Cause HolderCause(const OpenResult& open) {
    if (open.holderName == QLatin1String("brltty")) return Cause::BrailleService;
    if (open.holderName.compare(QLatin1String("ModemManager"), Qt::CaseInsensitive) == 0)
        return Cause::ModemManager;
    return Cause::HeldByProgram;
}

}  // namespace

Diagnosis Diagnose(const ScanResult& result) {
    Diagnosis diagnosis;
    for (const PortTry& port : result.ports) {
        auto summary =
            std::find_if(diagnosis.ports.begin(), diagnosis.ports.end(),
                         [&](const PortSummary& s) { return s.comNumber == port.comNumber; });
        if (summary == diagnosis.ports.end())
            summary = diagnosis.ports.insert(diagnosis.ports.end(),
                                             PortSummary{port.comNumber, {}, {}, {}, {}});
        Merge(*summary, port);
    }
    bool anyOpened = false;
    diagnosis.oneLineSetting = true;
    for (PortSummary& port : diagnosis.ports) {
        port.state = StateOf(port.open, port.replies);
        if (!port.open.opened()) continue;
        anyOpened = true;
        if (port.lines.size() > 1) diagnosis.oneLineSetting = false;
    }
    diagnosis.oneLineSetting = anyOpened && diagnosis.oneLineSetting;

    // The first port with the most of one kind of evidence, strongest kind first.
    const auto most = [&](auto count) {
        int best = -1, bestCount = 0;
        for (int i = 0; i < int(diagnosis.ports.size()); ++i)
            if (const int n = count(diagnosis.ports[i]); n > bestCount) best = i, bestCount = n;
        return best;
    };
    const auto withState = [&](PortState state) {
        return most([state](const PortSummary& p) { return p.state == state ? 1 : 0; });
    };
    const std::pair<Cause, int ReplyCounts::*> replies[] = {
        {Cause::WrongCheck, &ReplyCounts::wrongCheck},
        {Cause::WrongLength, &ReplyCounts::wrongLength},
        {Cause::Noise, &ReplyCounts::noise},
    };
    for (const auto& [cause, counter] : replies)
        if (const int port = most([c = counter](const PortSummary& p) { return p.replies.*c; });
            port >= 0) {
            diagnosis.cause = cause;
            diagnosis.causePort = port;
            return diagnosis;
        }
    if (const int port = withState(PortState::InUse); port >= 0) {
        diagnosis.cause = HolderCause(diagnosis.ports[port].open);
        diagnosis.causePort = port;
        return diagnosis;
    }
    const std::pair<PortState, Cause> refusals[] = {
        {PortState::NoPermission, Cause::NoPermission},
        {PortState::MissingTarget, Cause::MissingTarget},
        {PortState::Gone, Cause::Gone},
        {PortState::NotSerialDevice, Cause::NotSerialDevice},
        {PortState::OpenError, Cause::OpenError},
    };
    for (const auto& [state, cause] : refusals)
        if (const int port = withState(state); port >= 0) {
            diagnosis.cause = cause;
            diagnosis.causePort = port;
            return diagnosis;
        }
    // The tool copes with an echo: it only tells that the adapter works and no reader answered.
    if (const int port = most([](const PortSummary& p) { return p.replies.echo; }); port >= 0) {
        diagnosis.cause = Cause::Echo;
        diagnosis.causePort = port;
        return diagnosis;
    }
    diagnosis.cause = anyOpened ? Cause::Silent : Cause::NoDevice;
    return diagnosis;
}

QString CauseName(Cause cause) {
    switch (cause) {
        case Cause::NoDevice:
            return QStringLiteral("no-device");
        case Cause::MissingTarget:
            return QStringLiteral("missing-link-target");
        case Cause::NoPermission:
            return QStringLiteral("no-permission");
        case Cause::BrailleService:
            return QStringLiteral("braille-service");
        case Cause::ModemManager:
            return QStringLiteral("modem-manager");
        case Cause::HeldByProgram:
            return QStringLiteral("in-use");
        case Cause::NotSerialDevice:
            return QStringLiteral("not-serial-device");
        case Cause::OpenError:
            return QStringLiteral("open-error");
        case Cause::Gone:
            return QStringLiteral("gone");
        case Cause::WrongCheck:
            return QStringLiteral("wrong-check");
        case Cause::Echo:
            return QStringLiteral("echo");
        case Cause::WrongLength:
            return QStringLiteral("wrong-length");
        case Cause::Noise:
            return QStringLiteral("noise");
        case Cause::Silent:
            break;
    }
    return QStringLiteral("silent");
}
