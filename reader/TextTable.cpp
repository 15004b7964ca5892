#include "TextTable.h"

// Columns: English, Simplified Chinese, Traditional Chinese. The Chinese texts keep their ASCII
// parts ("TAG", "DI NO/NC", ". (", the version number) as they are.
const char* const TextTable[TextRowCount][LanguageCount] = {
    /* 0 */ {"TAVIN Technology Corp.   www.example.com", "TAVIN股份有限公司   www.example.com",
             "TAVIN股份有限公司   www.example.com"},
    /* 1 */
    {"TAVIN VQ880-1W Reader Config V1.70-01", "TAVIN VQ880-1W 读卡机工具程式 V1.70-01",
     "TAVIN VQ880-1W 讀卡機工具程式 V1.70-01"},
    /* 2 */ {"Start Scan Reader!", "请先扫描读卡机!", "請先掃描讀卡機!"},
    /* 3 */ {"Cancel Read TAG", "取消读TAG", "取消讀TAG"},
    /* 4 */ {"ID", "编号", "編號"},
    /* 5 */ {"BaudRate", "通讯速度", "通訊速度"},
    /* 6 */ {"Set Reader Baud Rate", "设定通讯速度", "設定通訊速度"},
    /* 7 */ {"Read TAG", "读取TAG", "讀取TAG"},
    /* 8 */ {"Factory Default", "出厂预设", "出廠預設"},
    /* 9 */ {"Factory Test", "出厂测试", "出廠測試"},
    /* 10 */ {"Factory Setting", "出厂设定", "出廠設定"},
    /* 11 */ {"Access PIN", "通关密码", "通關密碼"},
    /* 12 */ {"Default", "预设", "預設"},
    /* 13 */ {"S/N Set", "序号设定", "序號設定"},
    /* 14 */ {"Exit", "结束", "結束"},
    /* 15 */ {"TAG ID", "TAG ID", "TAG ID"},
    /* 16 */ {"Open COM", "开启串口", "開啟串口"},
    /* 17 */ {"Error", "错误", "錯誤"},
    /* 18 */ {"Scan Reader", "扫描读卡机", "掃描讀卡機"},
    /* 19 */ {"S/N", "序号", "序號"},
    /* 20 */ {"No", "流水号", "流水號"},
    /* 21 */ {"VER", "版本", "版本"},
    /* 22 */ {"Scan COM", "扫描串口", "掃描串口"},
    /* 23 */ {"Get Reader Info Ok. (COM", "读取读卡机资讯完成. (串口", "讀取讀卡機資訊完成. (串口"},
    /* 24 */
    {"Get Reader Info Error. (COM", "读取读卡机资讯错误. (串口", "讀取讀卡機資訊錯誤. (串口"},
    /* 25 */ {"Reader Not Find", "读卡机没有连线", "讀卡機沒有連線"},
    /* 26 */ {"Set Reader ID", "设定读卡机编号", "設定讀卡機編號"},
    /* 27 */ {"Set Reader ID Ok", "设定读卡机编号完成", "設定讀卡機編號完成"},
    /* 28 */ {"Set Reader ID Error", "设定读卡机编号错误", "設定讀卡機編號錯誤"},
    /* 29 */ {"Set Reader No", "设定读卡机流水号", "設定讀卡機流水號"},
    /* 30 */ {"Set Reader No Ok", "设定读卡机流水号完成", "設定讀卡機流水號完成"},
    /* 31 */ {"Set Reader No Error", "设定读卡机流水号错误", "設定讀卡機流水號錯誤"},
    /* 32 */ {"Set Reader BaudRate", "设定读卡机通讯速度", "設定讀卡機通訊速度"},
    /* 33 */ {"Set Reader BaudRate Ok", "设定读卡机通讯速度完成", "設定讀卡機通訊速度完成"},
    /* 34 */ {"Set Reader BaudRate Error", "设定读卡机通讯速度错误", "設定讀卡機通訊速度錯誤"},
    /* 35 */ {"Set Default", "设定预设模式", "設定預設模式"},
    /* 36 */ {"Set Default Ok", "设定预设模式完成", "設定預設模式完成"},
    /* 37 */ {"Set Default Error", "设定预设模式错误", "設定預設模式錯誤"},
    /* 38 */ {"Set Factory Test", "设定出厂测试模式", "設定出廠測試模式"},
    /* 39 */ {"Set Factory Test Ok", "设定出厂测试模式完成", "設定出廠測試模式完成"},
    /* 40 */ {"Set Factory Test Error", "设定出厂测试模式错误", "設定出廠測試模式錯誤"},
    /* 41 */ {"Reader Reset", "读卡机重开", "讀卡機重開"},
    /* 42 */ {"Reader Reset Ok", "读卡机重开完成", "讀卡機重開完成"},
    /* 43 */ {"TReader Reset Error", "读卡机重开错误", "讀卡機重開錯誤"},
    /* 44 */ {"Set Reader Mode", "设定读卡机模式", "設定讀卡機模式"},
    /* 45 */ {"Set Reader Mode Ok", "设定读卡机模式完成", "設定讀卡機模式完成"},
    /* 46 */ {"Set Reader Mode Error", "设定读卡机模式错误", "設定讀卡機模式錯誤"},
    /* 47 */ {"Set Same Card", "设定相同卡", "設定相同卡"},
    /* 48 */ {"Set Same Card Ok", "设定相同卡完成", "設定相同卡完成"},
    /* 49 */ {"Set Same Card Error", "设定相同卡错误", "設定相同卡錯誤"},
    /* 50 */ {"Set DI NO/NC", "设定 DI NO/NC", "設定 DI NO/NC"},
    /* 51 */ {"Set DI NO/NC Ok", "设定 DI NO/NC 完成", "設定 DI NO/NC 完成"},
    /* 52 */ {"Set DI NO/NC Error", "设定 DI NO/NC 错误", "設定 DI NO/NC 錯誤"},
    /* 53 */ {"Set Address", "设定位址", "設定位址"},
    /* 54 */ {"Set Address Ok", "设定位址完成", "設定位址完成"},
    /* 55 */ {"Set Address Error", "设定位址错误", "設定位址錯誤"},
    /* 56 */ {"Set Freq", "设定频率", "設定頻率"},
    /* 57 */ {"Set Freq Ok", "设定频率完成", "設定頻率完成"},
    /* 58 */ {"Set Freq Error", "设定频率错误", "設定頻率錯誤"},
    /* 59 */ {"Set Channel", "设定通道", "設定通道"},
    /* 60 */ {"Set Channel Ok", "设定通道完成", "設定通道完成"},
    /* 61 */ {"Set Channel Error", "设定通道错误", "設定通道錯誤"},
};

const char* const RssiTexts[3][LanguageCount] = {
    {"Set RSSI Level", "设定RSSI等级", "設定RSSI等級"},
    {"Set RSSI Level Ok", "设定RSSI等级完成", "設定RSSI等級完成"},
    {"Set RSSI Level Error", "设定RSSI等级错误", "設定RSSI等級錯誤"},
};

const char* const LanguageFlags[LanguageCount] = {"English", "ChineseGB", "ChineseBIG5"};

int LanguageIndexFromFlag(const QString& flag) {
    for (int index = 1; index < LanguageCount; ++index)
        if (flag == QLatin1String(LanguageFlags[index])) return index;
    return 0;
}

int LanguageIndexFromName(const QString& name) {
    for (int index = 0; index < LanguageCount; ++index)
        if (name.compare(QLatin1String(LanguageFlags[index]), Qt::CaseInsensitive) == 0)
            return index;
    return -1;
}
