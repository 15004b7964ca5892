#include "DiagnosisTexts.h"

#include <QFileInfo>

#include "TextTable.h"

namespace {

// Each text in English, Simplified Chinese and Traditional Chinese.
using Texts = const char* const[LanguageCount];

constexpr Texts FreeText = {"free", "空闲", "空閒"};
constexpr Texts PresentText = {"present", "存在", "存在"};
constexpr Texts NoDeviceText = {"no device", "没有设备", "沒有裝置"};
constexpr Texts MissingTargetText = {"its link points at %1, which is not there",
                                     "链接指向的 %1 不存在", "連結指向的 %1 不存在"};
constexpr Texts NoPermissionText = {"no permission", "没有权限", "沒有權限"};
constexpr Texts NoPermissionGroupText = {"no permission (members of the group %1 have it)",
                                         "没有权限（%1 组的成员才有）",
                                         "沒有權限（%1 群組的成員才有）"};
constexpr Texts InUseByText = {"in use by %1 (process %2)", "被 %1 占用（进程 %2）",
                               "被 %1 佔用（行程 %2）"};
constexpr Texts InUseText = {"in use by another program", "被其他程序占用", "被其他程式佔用"};
constexpr Texts NotSerialText = {"not a serial device", "不是串口设备", "不是序列埠裝置"};
constexpr Texts NotSerialWhatText = {"not a serial device (%1)", "不是串口设备（%1）",
                                     "不是序列埠裝置（%1）"};
constexpr Texts RegularFileText = {"a regular file", "普通文件", "一般檔案"};
constexpr Texts FolderText = {"a folder", "文件夹", "資料夾"};
constexpr Texts LinkLoopText = {"a loop of links", "循环链接", "循環連結"};
constexpr Texts NullDeviceText = {"the null device", "空设备", "空裝置"};
constexpr Texts SystemTerminalText = {"a console or terminal of the system", "系统的控制台或终端",
                                      "系統的主控台或終端機"};
constexpr Texts OpenErrorText = {"does not open (system error %1)", "无法打开（系统错误 %1）",
                                 "無法開啟（系統錯誤 %1）"};
constexpr Texts OpenErrorUntoldText = {"does not open", "无法打开", "無法開啟"};
constexpr Texts GoneText = {"went away during the search", "在搜索过程中断开", "在搜尋過程中中斷"};
constexpr Texts SilentAtText = {"silent at %1", "在 %1 下无应答", "在 %1 下無回應"};
constexpr Texts AnsweredAtText = {"at %1: %2", "在 %1 下：%2", "在 %1 下：%2"};
constexpr Texts WrongCheckCount = {"%1 with wrong check characters", "%1 帧校验错误",
                                   "%1 幀校驗錯誤"};
constexpr Texts WrongLengthCount = {"%1 of another length", "%1 帧长度不符", "%1 幀長度不符"};
constexpr Texts AdapterEchoesText = {"the adapter echoes every frame, which the tool sets aside",
                                     "转换器会回显每一帧，工具会将回显略过",
                                     "轉換器會回顯每一幀，工具會將回顯略過"};
constexpr Texts NoiseCount = {"%1 without a whole frame", "%1 次没有完整的帧", "%1 次沒有完整的幀"};
constexpr Texts SilentCount = {"%1 silent", "%1 次无应答", "%1 次無回應"};
constexpr Texts ListSeparator = {", ", "，", "，"};
constexpr Texts PartSeparator = {"; ", "；", "；"};

constexpr Texts NoDeviceHint = {
    "No serial device at any port tried: plug in the adapter, then see which COM number it has "
    "with: vq880 ports",
    "所尝试的端口都没有串口设备：请插入转换器，再用 vq880 ports 查看它的 COM 号",
    "所嘗試的連接埠都沒有序列埠裝置：請插入轉換器，再用 vq880 ports 查看它的 COM 號"};
constexpr Texts MissingTargetHint = {
    "%1 is assigned to %2, which is not there: plug in the adapter, or assign the port again "
    "(vq880 ports shows how)",
    "%1 指向的 %2 不存在：请插入转换器，或重新指定端口（vq880 ports 会给出命令）",
    "%1 指向的 %2 不存在：請插入轉換器，或重新指定連接埠（vq880 ports 會列出指令）"};
constexpr Texts NoPermissionGroupHint = {
    "You may not open %1 (%2): add yourself to the group %3 (sudo usermod -aG %3 $USER), then "
    "log out and in again",
    "您没有权限打开 %1（%2）：请把自己加入 %3 组（sudo usermod -aG %3 $USER），然后重新登录",
    "您沒有權限開啟 %1（%2）：請把自己加入 %3 群組（sudo usermod -aG %3 $USER），然後重新登入"};
constexpr Texts NoPermissionHint = {
    "You may not open %1 (%2): ask the administrator for read and write access to it",
    "您没有权限打开 %1（%2）：请向管理员申请读写权限",
    "您沒有權限開啟 %1（%2）：請向管理員申請讀寫權限"};
constexpr Texts BrailleHint = {
    "The braille display service (brltty, process %3) holds %1 (%2), as it does with some USB "
    "serial adapters: if no braille display is used here, remove it (sudo apt remove brltty), "
    "then unplug the adapter and plug it in again",
    "盲文显示服务（brltty，进程 %3）占用了 %1（%2），它会占用某些 USB 串口转换器：如果这里不用盲文"
    "显示器，请卸载它（sudo apt remove brltty），然后重新插拔转换器",
    "點字顯示服務（brltty，行程 %3）佔用了 %1（%2），它會佔用某些 USB "
    "序列埠轉換器：如果這裡不用點字"
    "顯示器，請移除它（sudo apt remove brltty），然後重新插拔轉換器"};
constexpr Texts ModemManagerHint = {
    "ModemManager (process %3) is probing %1 (%2), as it does with new serial devices: wait a few "
    "seconds and try again, or stop it (sudo systemctl stop ModemManager)",
    "ModemManager（进程 %3）正在探测 %1（%2），它会探测新的串口设备：请稍等几秒再试，或停止它"
    "（sudo systemctl stop ModemManager）",
    "ModemManager（行程 %3）正在探測 %1（%2），它會探測新的序列埠裝置：請稍等幾秒再試，或停止它"
    "（sudo systemctl stop ModemManager）"};
constexpr Texts HeldByHint = {"%4 (process %3) holds %1 (%2): close it and try again",
                              "%4（进程 %3）占用了 %1（%2）：请关闭它后再试",
                              "%4（行程 %3）佔用了 %1（%2）：請關閉它後再試"};
constexpr Texts HeldHint = {
    "Another program holds %1 (%2), such as a terminal program or the configuration window: "
    "close it and try again",
    "其他程序占用了 %1（%2），例如终端程序或配置窗口：请关闭它后再试",
    "其他程式佔用了 %1（%2），例如終端程式或設定視窗：請關閉它後再試"};
constexpr Texts NotSerialHint = {
    "%1 (%2) is not a serial device: check which device the port is assigned to (vq880 ports)",
    "%1（%2）不是串口设备：请检查端口指向的设备（vq880 ports）",
    "%1（%2）不是序列埠裝置：請檢查連接埠指向的裝置（vq880 ports）"};
constexpr Texts OpenErrorHint = {
    "%1 (%2) does not open (system error %3): unplug the adapter and plug it in again",
    "%1（%2）无法打开（系统错误 %3）：请重新插拔转换器",
    "%1（%2）無法開啟（系統錯誤 %3）：請重新插拔轉換器"};
constexpr Texts OpenErrorUntoldHint = {
    "%1 (%2) does not open: unplug the adapter and plug it in again",
    "%1（%2）无法打开：请重新插拔转换器", "%1（%2）無法開啟：請重新插拔轉換器"};
constexpr Texts GoneHint = {"%1 (%2) went away during the search: check the adapter's USB plug",
                            "%1（%2）在搜索过程中断开：请检查转换器的 USB 插头",
                            "%1（%2）在搜尋過程中中斷：請檢查轉換器的 USB 插頭"};
constexpr Texts WrongCheckHint = {
    "At %1 something answered with frames whose check characters are wrong: noise on the line, "
    "or another line setting; try all line settings (--all-line-settings, or untick the lock in "
    "the window)",
    "%1 上收到的帧校验错误：线路有干扰，或通讯设置不符；请尝试全部通讯设置（--all-line-settings，"
    "或在窗口中取消锁定）",
    "%1 上收到的幀校驗錯誤：線路有干擾，或通訊設定不符；請嘗試全部通訊設定（--all-line-settings，"
    "或在視窗中取消鎖定）"};
constexpr Texts EchoHint = {
    "The adapter at %1 (%2) echoes every frame, which the tool sets aside, but no reader answered "
    "behind the echo: check the reader's power and cable, and that A and B are not swapped",
    "%1（%2）上的转换器会回显每一帧，工具会将回显略过，但回显后面没有读卡器应答：请检查读卡器的电源"
    "和线缆，以及 A、B 线是否接反",
    "%1（%2）上的轉換器會回顯每一幀，工具會將回顯略過，但回顯後面沒有讀卡器回應：請檢查讀卡器的電源"
    "和線纜，以及 A、B 線是否接反"};
constexpr Texts WrongLengthHint = {
    "At %1 something answered with whole frames of another length: another device may be on "
    "the line",
    "%1 上收到长度不符的完整帧：线路上可能有其他设备",
    "%1 上收到長度不符的完整幀：線路上可能有其他裝置"};
constexpr Texts NoiseHint = {
    "Bytes came back at %1 but no whole frame: most likely the reader listens at another line "
    "setting; try all line settings (--all-line-settings, or untick the lock in the window)",
    "%1 上收到数据但没有完整的帧：读卡器很可能使用其他通讯设置；请尝试全部通讯设置"
    "（--all-line-settings，或在窗口中取消锁定）",
    "%1 上收到資料但沒有完整的幀：讀卡器很可能使用其他通訊設定；請嘗試全部通訊設定"
    "（--all-line-settings，或在視窗中取消鎖定）"};
constexpr Texts SilentHint = {
    "Nothing came back at all: check the reader's power and cable, and that A and B are not "
    "swapped",
    "完全没有应答：请检查读卡器的电源和线缆，以及 A、B 线是否接反",
    "完全沒有回應：請檢查讀卡器的電源和線纜，以及 A、B 線是否接反"};
constexpr Texts OneLineSettingHint = {
    ". Only %1 was tried: try all line settings (--all-line-settings, or untick the lock in the "
    "window)",
    "。只尝试了 %1：请尝试全部通讯设置（--all-line-settings，或在窗口中取消锁定）",
    "。只嘗試了 %1：請嘗試全部通訊設定（--all-line-settings，或在視窗中取消鎖定）"};

QString Text(const Texts& texts, int language) {
    return QString::fromUtf8(texts[language >= 0 && language < LanguageCount ? language : 0]);
}

QString LinkTarget(const QString& device) {
    const QString target = QFileInfo(device).symLinkTarget();
    return target.isEmpty() ? device : target;
}

// The kinds of reply that came back at one line setting, with their numbers.
QString Counts(const ReplyCounts& replies, int language) {
    QStringList parts;
    const std::pair<int, const Texts*> kinds[] = {{replies.wrongCheck, &WrongCheckCount},
                                                  {replies.wrongLength, &WrongLengthCount},
                                                  {replies.noise, &NoiseCount},
                                                  {replies.nothing, &SilentCount}};
    for (const auto& [count, texts] : kinds)
        if (count > 0) parts << Text(*texts, language).arg(count);
    return parts.join(Text(ListSeparator, language));
}

QString NotSerialWhat(NotSerialKind kind, int language) {
    switch (kind) {
        case NotSerialKind::RegularFile:
            return Text(RegularFileText, language);
        case NotSerialKind::Folder:
            return Text(FolderText, language);
        case NotSerialKind::LinkLoop:
            return Text(LinkLoopText, language);
        case NotSerialKind::NullDevice:
            return Text(NullDeviceText, language);
        case NotSerialKind::SystemTerminal:
            return Text(SystemTerminalText, language);
        case NotSerialKind::Other:
            break;
    }
    return {};
}

QString Tries(const PortSummary& port, int language) {
    QStringList silent;
    QStringList parts;
    for (const LineSettingTry& line : port.lines) {
        if (line.replies.answered() == 0 && line.replies.gone == 0)
            silent << line.lineSetting;
        else if (line.replies.answered() > 0)
            parts << Text(AnsweredAtText, language)
                         .arg(line.lineSetting, Counts(line.replies, language));
    }
    if (port.state == PortState::Gone) parts << Text(GoneText, language);
    if (!silent.isEmpty())
        parts << Text(SilentAtText, language).arg(silent.join(Text(ListSeparator, language)));
    if (port.replies.echo > 0) parts << Text(AdapterEchoesText, language);
    return parts.join(Text(PartSeparator, language));
}

// A locked scan that heard no reader names the one line setting it tried.
QString OneLineSettingSuffix(const Diagnosis& diagnosis, int language) {
    if (!diagnosis.oneLineSetting) return {};
    for (const PortSummary& p : diagnosis.ports)
        if (!p.lines.empty())
            return Text(OneLineSettingHint, language).arg(p.lines.front().lineSetting);
    return {};
}

}  // namespace

QString PortStateText(const PortFacts& port, int language) {
    switch (port.state) {
        case PortState::Free:
            return Text(FreeText, language);
        case PortState::Present:
            return Text(PresentText, language);
        case PortState::NoDevice:
            return Text(NoDeviceText, language);
        case PortState::MissingTarget:
            return Text(MissingTargetText, language).arg(LinkTarget(port.device));
        case PortState::NoPermission:
            return port.group.isEmpty() ? Text(NoPermissionText, language)
                                        : Text(NoPermissionGroupText, language).arg(port.group);
        case PortState::InUse:
            return port.holderPid > 0
                       ? Text(InUseByText, language)
                             .arg(port.holderName.isEmpty() ? QStringLiteral("?") : port.holderName)
                             .arg(port.holderPid)
                       : Text(InUseText, language);
        case PortState::NotSerialDevice: {
            const QString what = NotSerialWhat(port.notSerial, language);
            return what.isEmpty() ? Text(NotSerialText, language)
                                  : Text(NotSerialWhatText, language).arg(what);
        }
        case PortState::OpenError:
            return port.systemError != 0 ? Text(OpenErrorText, language).arg(port.systemError)
                                         : Text(OpenErrorUntoldText, language);
        case PortState::Gone:
            return Text(GoneText, language);
        case PortState::Answered:
        case PortState::Silent:
            break;  // told line setting by line setting in the port's line
    }
    return {};
}

QString PortLine(const PortSummary& port, const PortNames& names, int language) {
    const QString what =
        port.open.opened() ? Tries(port, language) : PortStateText(port.open, language);
    const QString device = port.open.device.isEmpty() ? QString() : " (" + port.open.device + ")";
    return names.Label(port.comNumber) + device + ": " + what;
}

QStringList PortLines(const Diagnosis& diagnosis, const PortNames& names, int language) {
    QStringList lines;
    for (const PortSummary& port : diagnosis.ports) lines << PortLine(port, names, language);
    return lines;
}

QString HintText(const Diagnosis& diagnosis, const PortNames& names, int language) {
    const PortSummary* port =
        diagnosis.causePort >= 0 ? &diagnosis.ports[size_t(diagnosis.causePort)] : nullptr;
    const QString label = port ? names.Label(port->comNumber) : QString();
    const QString device = port ? port->open.device : QString();
    const auto at = [&](const Texts& texts) {
        const QString text = Text(texts, language);
        return text.contains(QLatin1String("%2")) ? text.arg(label, device) : text.arg(label);
    };
    switch (diagnosis.cause) {
        case Cause::NoDevice:
            return Text(NoDeviceHint, language);
        case Cause::MissingTarget:
            return Text(MissingTargetHint, language).arg(label, LinkTarget(device));
        case Cause::NoPermission:
            return port->open.group.isEmpty()
                       ? at(NoPermissionHint)
                       : Text(NoPermissionGroupHint, language).arg(label, device, port->open.group);
        case Cause::BrailleService:
            return Text(BrailleHint, language).arg(label, device).arg(port->open.holderPid);
        case Cause::ModemManager:
            return Text(ModemManagerHint, language).arg(label, device).arg(port->open.holderPid);
        case Cause::HeldByProgram:
            if (port->open.holderPid <= 0) return at(HeldHint);
            return Text(HeldByHint, language)
                .arg(label, device)
                .arg(port->open.holderPid)
                .arg(port->open.holderName.isEmpty() ? QStringLiteral("?") : port->open.holderName);
        case Cause::NotSerialDevice:
            return at(NotSerialHint);
        case Cause::OpenError:
            if (port->open.systemError == 0) return at(OpenErrorUntoldHint);
            return Text(OpenErrorHint, language).arg(label, device).arg(port->open.systemError);
        case Cause::Gone:
            return at(GoneHint);
        case Cause::WrongCheck:
            return at(WrongCheckHint);
        case Cause::Echo:
            return at(EchoHint) + OneLineSettingSuffix(diagnosis, language);
        case Cause::WrongLength:
            return at(WrongLengthHint);
        case Cause::Noise:
            return at(NoiseHint);
        case Cause::Silent:
            break;
    }
    return Text(SilentHint, language) + OneLineSettingSuffix(diagnosis, language);
}
