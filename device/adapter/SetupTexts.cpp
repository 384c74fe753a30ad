#include "device/adapter/SetupTexts.h"

#include "device/interface/VdInterface.h"

namespace pendrel {

namespace {

constexpr TSetupTexts kSimplified = {
    "QX USB虚设备(Velnorix电讯)",
    "电压设置",
    "当前设置电压",
    "摘机电压",
    "挂机电压",
    "建议设置电压",
    "开始检测",
    "保存设置",
    "启动AGC",
    "日志",
    "记录设备日志",
    "查看",
    "关  闭",
    "查  看",
    "检测摘机电平",
    "请保持电话摘机,点确定开始检测!",
    "检测挂机电平",
    "请保持电话挂机,点确定开始检测!",
    "MS Sans Serif",
};

constexpr TSetupTexts kEnglish = {
    "Virtual Device of Mini-USB",
    "Volumn set",
    "Present value",
    "Offhook volumn",
    "Onhook volumn",
    "Suggest value",
    "Start detect",
    "Save",
    "Enable AGC",
    "Log",
    "Enable device log",
    "View",
    "Close",
    "View",
    "Detect offhook volumn",
    "Please keep offhook, click [OK] to start.",
    "Detect onhook volumn",
    "Please keep onhook, click [OK] to start.",
    "Arial",
};

// The hidden-log button text and the off-hook caption are the simplified ones.
constexpr TSetupTexts kTraditional = {
    "迷你USB虛設備",  "電壓設平",
    "當前設置的電平", "摘機電平",
    "掛機電平",       "建議設置電平",
    "開始檢測",       "保存設置",
    "啟動AGC",        "日誌",
    "記錄設備日誌",   "查看",
    "關  閉",         "查  看",
    "检测摘机电平",   "請保持電話摘機，點確定開始檢測。",
    "檢測掛機電平",   "請保持電話掛機，點確定開始檢測。",
    "MS Sans Serif",
};

}  // namespace

const TSetupTexts& SetupTexts(int lang) {
    switch (lang) {
        case VD_LANG_ENGLISH:
            return kEnglish;
        case VD_LANG_TRADITIONAL_CHINESE:
            return kTraditional;
        default:
            return kSimplified;
    }
}

}  // namespace pendrel
