#include "AccessibleTexts.h"

namespace {

// The window's own texts for assistive technology, beside the captions of the text table and
// in its words (读卡机, 通讯, TAG).
const char* const Texts[][3] = {
    {"Reader number", "读卡机编号", "讀卡機編號"},
    {"Same-card seconds", "相同卡间隔秒数", "相同卡間隔秒數"},
    {"RSSI level", "RSSI 等级", "RSSI 等級"},
    {"Try only the line setting shown", "只尝试显示的通讯设定", "只嘗試顯示的通訊設定"},
    {"Wiegand output format", "Wiegand 输出格式", "Wiegand 輸出格式"},
    {"RS485 output format", "RS485 输出格式", "RS485 輸出格式"},
    {"Digital input DI NO/NC", "数字输入 DI NO/NC", "數位輸入 DI NO/NC"},
    {"Simplified Chinese", "简体中文", "簡體中文"},
    {"Traditional Chinese", "繁体中文", "繁體中文"},
    {"Reader status", "读卡机状态", "讀卡機狀態"},
    {"Tag status", "TAG 状态", "TAG 狀態"},
    {"Reader found", "已找到读卡机", "已找到讀卡機"},
    {"No reader found", "未找到读卡机", "未找到讀卡機"},
    {"Busy", "忙碌中", "忙碌中"},
    {"Tag read", "已读到 TAG", "已讀到 TAG"},
    {"No tag", "没有 TAG", "沒有 TAG"},
};

}  // namespace

QString AccessibleName(AccessibleText text, int languageIndex) {
    const int language = languageIndex >= 0 && languageIndex < 3 ? languageIndex : 0;
    return QString::fromUtf8(Texts[int(text)][language]);
}
