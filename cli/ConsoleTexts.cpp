#include "ConsoleTexts.h"

namespace {
int runLanguage = 0;
}  // namespace

QString Tr(const ConsoleText& text) {
    return QString::fromUtf8(text[runLanguage]);
}

int ConsoleLanguage() {
    return runLanguage;
}

void SetConsoleLanguage(int language) {
    runLanguage = language >= 0 && language < LanguageCount ? language : 0;
}

namespace Texts {
ConsoleText NoCommand = {"No command given.", "没有给出命令。", "沒有給出指令。"};
ConsoleText UnknownCommand = {"Unknown command \"%1\".", "未知的命令“%1”。", "未知的指令「%1」。"};
ConsoleText TraceTakesItsFileAfterEquals = {
    " --trace takes its file as --trace=FILE; alone it writes to standard error.",
    " --trace 的文件要写成 --trace=FILE；单独使用时写到标准错误输出。",
    " --trace 的檔案要寫成 --trace=FILE；單獨使用時寫到標準錯誤輸出。"};
ConsoleText NotAnOptionOf = {"--%1 is not an option of %2.", "--%1 不是 %2 的选项。",
                             "--%1 不是 %2 的選項。"};
ConsoleText GivenTwice = {"--%1 is given more than once: give it once.",
                          "--%1 给出了不止一次：只能给一次。", "--%1 給出了不止一次：只能給一次。"};
ConsoleText NeedsAnArgument = {"%1 needs an argument: %2.", "%1 需要参数：%2。",
                               "%1 需要參數：%2。"};
ConsoleText UnexpectedArgument = {"Unexpected argument \"%1\" after %2.", "%2 后面多了参数“%1”。",
                                  "%2 後面多了參數「%1」。"};
ConsoleText Needs = {"%1 needs %2.", "%1 需要 %2。", "%1 需要 %2。"};
ConsoleText And = {" and ", " 和 ", " 和 "};
ConsoleText WholeNumber = {"%1 must be a whole number from %2 to %3, not \"%4\".",
                           "%1 必须是 %2 到 %3 的整数，而不是“%4”。",
                           "%1 必須是 %2 到 %3 的整數，而不是「%4」。"};
ConsoleText OutOfRange = {"%1 must be from %2 to %3, not %4.",
                          "%1 必须在 %2 到 %3 之间，而不是 %4。",
                          "%1 必須在 %2 到 %3 之間，而不是 %4。"};
ConsoleText OneOf = {"%1 must be one of %2, not \"%3\".", "%1 必须是 %2 之一，而不是“%3”。",
                     "%1 必須是 %2 之一，而不是「%3」。"};
ConsoleText NotALineSetting = {"%1 \"%2\" is not one of the line settings (such as 19200,e,8,1).",
                               "%1“%2”不是通讯设置之一（例如 19200,e,8,1）。",
                               "%1「%2」不是通訊設定之一（例如 19200,e,8,1）。"};
ConsoleText GoTogether = {"%1 and %2 go together: give both.", "%1 和 %2 要一起给出。",
                          "%1 和 %2 要一起給出。"};
ConsoleText Language = {"--language must be english, chinesegb or chinesebig5, not \"%1\".",
                        "--language 必须是 english、chinesegb 或 chinesebig5，而不是“%1”。",
                        "--language 必須是 english、chinesegb 或 chinesebig5，而不是「%1」。"};
ConsoleText TraceNamesNoFile = {"--trace= names no file: give --trace alone for standard error.",
                                "--trace= 没有给出文件：要写到标准错误输出，请单独使用 --trace。",
                                "--trace= 沒有給出檔案：要寫到標準錯誤輸出，請單獨使用 --trace。"};
ConsoleText EmptyPath = {"--%1 names no file.", "--%1 没有给出文件。", "--%1 沒有給出檔案。"};
ConsoleText NeedsOneOf = {"%1 needs %2.", "%1 需要 %2。", "%1 需要 %2。"};
ConsoleText Or = {" or ", " 或 ", " 或 "};
ConsoleText ExcludeEachOther = {"%1 exclude each other: give one of them.",
                                "%1 不能同时使用：只能给出其中之一。",
                                "%1 不能同時使用：只能給出其中之一。"};
ConsoleText LikeNeedsRecord = {
    "--like needs --record: the record says what the reader it replaces holds, and takes the new "
    "reader's entry.",
    "--like 需要 --record：记录说明被替换的读卡机的设置，并记下新读卡机。",
    "--like 需要 --record：記錄說明被替換的讀卡機的設定，並記下新讀卡機。"};
ConsoleText ForceGoesWithLike = {"--force goes with --like.", "--force 要和 --like 一起使用。",
                                 "--force 要和 --like 一起使用。"};
ConsoleText UsageLine = {"Usage: vq880 [options] <command> [arguments]; vq880 --help lists them.",
                         "Usage: vq880 [options] <command> [arguments]；vq880 --help 会列出它们。",
                         "Usage: vq880 [options] <command> [arguments]；vq880 --help 會列出它們。"};
ConsoleText UnknownError = {"Unknown error", "未知错误", "未知錯誤"};

ConsoleText Hint = {"Hint: ", "提示：", "提示："};
ConsoleText RunOnlyPort = {
    "%1 is used for this run only and not kept: the window reaches COM1 to COM16 only.",
    "%1 只用于这一次，不会保存：窗口只能使用 COM1 到 COM16。",
    "%1 只用於這一次，不會保存：視窗只能使用 COM1 到 COM16。"};
ConsoleText PortWentAway = {"%1 (%2) went away.", "%1（%2）已断开。", "%1（%2）已中斷。"};
ConsoleText PortBack = {"%1 (%2) is back.", "%1（%2）已重新连接。", "%1（%2）已重新連線。"};
ConsoleText ReaderSilent = {"%1: the reader has not answered for %2 s.",
                            "%1：读卡机已经 %2 秒没有回应。", "%1：讀卡機已經 %2 秒沒有回應。"};
ConsoleText ReaderAnswersAgain = {"%1: the reader answers again.", "%1：读卡机又有回应了。",
                                  "%1：讀卡機又有回應了。"};
ConsoleText HeldByAnotherRun = {"%1: its readers are left to that run.",
                                "%1：它的读卡机留给那次运行。", "%1：它的讀卡機留給那次執行。"};
ConsoleText UnreachedDevices = {"Serial devices that no COM number reaches:",
                                "没有 COM 号的串口设备：", "沒有 COM 號的序列埠裝置："};
ConsoleText LastReaderNumber = {"Reader number %1 was the last one.",
                                "读卡机编号 %1 已是最后一个。", "讀卡機編號 %1 已是最後一個。"};
ConsoleText WaitingForPlanReader = {"Waiting for the next reader of the plan ...",
                                    "等待计划中的下一台读卡机 ...", "等待計畫中的下一台讀卡機 ..."};
ConsoleText WaitingForReader = {"Waiting for reader %1 ...", "等待读卡机 %1 ...",
                                "等待讀卡機 %1 ..."};
ConsoleText UnplugReader = {"Unplug reader %1 (S/N %2) ...", "请拔下读卡机 %1（序号 %2）...",
                            "請拔下讀卡機 %1（序號 %2）..."};
ConsoleText UnplugTheReader = {"Unplug the reader (S/N %1) ...", "请拔下读卡机（序号 %1）...",
                               "請拔下讀卡機（序號 %1）..."};
ConsoleText Summary = {"Summary: %1 readers", "总计：%1 台读卡机", "總計：%1 台讀卡機"};
ConsoleText SummaryOne = {"Summary: 1 reader", "总计：1 台读卡机", "總計：1 台讀卡機"};
ConsoleText NotInThePlan = {"%1 not in the plan", "%1 不在计划中", "%1 不在計畫中"};
ConsoleText AlreadyDone = {"%1 already done", "%1 已经设定过", "%1 已經設定過"};
ConsoleText NotInThePlanList = {"Not in the plan: %1", "不在计划中：%1", "不在計畫中：%1"};
ConsoleText LikeAll = {"The reader for %1 gets every setting the record holds there.",
                       "%1 的读卡机会得到记录中那里的全部设置。",
                       "%1 的讀卡機會得到記錄中那裡的全部設定。"};
ConsoleText LikeNotRecorded = {
    "The reader for %1 gets what the record holds there; not recorded, so it keeps its own: %2.",
    "%1 的读卡机会得到记录中那里的设置；以下没有记录，保留它自己的：%2。",
    "%1 的讀卡機會得到記錄中那裡的設定；以下沒有記錄，保留它自己的：%2。"};
}  // namespace Texts
