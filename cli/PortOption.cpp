#include "PortOption.h"

#include <QFileInfo>
#include <QRegularExpression>

#include "ConsoleTexts.h"
#include "DiagnosisTexts.h"
#include "PortNames.h"
#include "PortPath.h"
#include "TerminalText.h"
#include "ValueChecks.h"

namespace {

#ifdef _WIN32
constexpr int ComNumberMax = 256;
const ConsoleText Accepted = {"COM1 to COM256", "COM1 到 COM256", "COM1 到 COM256"};
#else
constexpr int ComNumberMax = PortNames::WindowPortCount;
const ConsoleText Accepted = {"COM1 to COM16 or a serial device such as /dev/ttyUSB0",
                              "COM1 到 COM16，或串口设备，例如 /dev/ttyUSB0",
                              "COM1 到 COM16，或序列埠裝置，例如 /dev/ttyUSB0"};
#endif
const ConsoleText MustName = {"--port must name %1, not \"%2\"%3.",
                              "--port 必须是 %1，而不是“%2”%3。",
                              "--port 必須是 %1，而不是「%2」%3。"};
const ConsoleText Colon = {": ", "：", "："};
const ConsoleText NoSuchDevice = {"there is no such device", "没有这个设备", "沒有這個裝置"};

[[noreturn]] void Refuse(const QString& text, const QString& why = {}) {
    throw UsageMistake{Tr(MustName).arg(Tr(Accepted), TerminalExcerpt(text), why)};
}

#ifndef _WIN32
// A serial device given by its path, the same as a COM number when one reaches it. A console
// or a file is refused before anything opens it, in the words the port's state has everywhere.
PortChoice DeviceChoice(const QString& path, const QString& machineFolder) {
    const PortPath examined = ExaminePortPath(path);
    if (examined.state == PortState::NoDevice || examined.state == PortState::MissingTarget)
        Refuse(path, Tr(Colon) + Tr(NoSuchDevice));
    if (!examined.serialPort()) {
        PortFacts facts;
        facts.state = examined.state;
        facts.device = path;
        facts.systemError = examined.systemError;
        facts.notSerial = examined.notSerial;
        Refuse(path, Tr(Colon) + PortStateText(facts, ConsoleLanguage()));
    }
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const PortNames names(machineFolder);
    for (int com = 1; com <= PortNames::WindowPortCount; ++com)
        if (QFileInfo(names.DevicePath(com)).canonicalFilePath() == canonical) return {com, {}};
    return {PortNames::RunOnlyPort, path};
}
#endif

}  // namespace

PortChoice ParsePortOption(const QString& text, const QString& machineFolder) {
    static const QRegularExpression com(QStringLiteral("^COM([1-9][0-9]{0,2})$"));
    if (const auto match = com.match(text); match.hasMatch()) {
        const int number = match.captured(1).toInt();
        if (number > ComNumberMax) Refuse(text);
        return {number, {}};
    }
#ifdef _WIN32
    Q_UNUSED(machineFolder);
    Refuse(text);
#else
    if (!text.contains(QLatin1Char('/'))) Refuse(text);
    return DeviceChoice(text, machineFolder);
#endif
}
