#include "device/adapter/DeviceTexts.h"

#include "device/interface/VdInterface.h"

namespace pendrel {

bool IsKnownLanguage(int lang) {
    return lang == VD_LANG_SIMPLIFIED_CHINESE || lang == VD_LANG_ENGLISH ||
           lang == VD_LANG_TRADITIONAL_CHINESE;
}

namespace {

struct StatusTexts {
    int status;
    const char* simplified;
    const char* english;
    const char* traditional;
};

constexpr StatusTexts kStatusTexts[] = {
    {VD_STATUS_PLUGGED, "USB 插入", "USB Plugin", "USB 插入"},
    {VD_STATUS_UNPLUGGED, "USB 拔出", "USB Plugout", "USB 拔出"},
    {VD_STATUS_FAILURE, "设备故障", "Device failure", "設備故障"},
    {VD_STATUS_ALARM, "设备告警", "Device alarm", "設備告警"},
};

}  // namespace

std::string DeviceStatusText(int status, int lang) {
    for (const auto& t : kStatusTexts) {
        if (t.status != status) {
            continue;
        }
        switch (lang) {
            case VD_LANG_ENGLISH:
                return t.english;
            case VD_LANG_TRADITIONAL_CHINESE:
                return t.traditional;
            default:
                return t.simplified;
        }
    }
    return {};
}

}  // namespace pendrel
