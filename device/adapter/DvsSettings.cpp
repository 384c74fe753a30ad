#include "device/adapter/DvsSettings.h"

#include <cstdlib>

#include "platform/Paths.h"
#include "platform/ProfileFile.h"

namespace pendrel {

namespace {

constexpr char kSection[] = "DVS";
constexpr char kAgcValue[] = "AGC";
constexpr char kPlayVolValue[] = "SysPlayVol";

std::string ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return platform::JoinPath(home, ".config");
    }
    return {};
}

std::string LumorFolder(const std::string& configHome) {
    return platform::JoinPath(platform::JoinPath(configHome, "Velnorix"), "Lumor");
}

}  // namespace

std::string DvsSettingsFile() {
    const std::string configHome = ConfigHome();
    if (configHome.empty()) {
        return {};
    }
    return platform::JoinPath(LumorFolder(configHome), "DVS.ini");
}

bool ReadAgcSetting() {
    const std::string file = DvsSettingsFile();
    if (file.empty()) {
        return true;
    }
    return platform::ReadProfileInt(file, kSection, kAgcValue, 1) != 0;
}

int ReadSysPlayVolSetting() {
    const std::string file = DvsSettingsFile();
    if (file.empty()) {
        return 0;
    }
    return platform::ReadProfileInt(file, kSection, kPlayVolValue, 0);
}

bool WriteAgcSetting(bool on) {
    const std::string configHome = ConfigHome();
    if (configHome.empty()) {
        return false;
    }
    const std::string vendor = platform::JoinPath(configHome, "Velnorix");
    if (!platform::CreateFolder(configHome) || !platform::CreateFolder(vendor) ||
        !platform::CreateFolder(LumorFolder(configHome))) {
        return false;
    }
    return platform::WriteProfileString(DvsSettingsFile(), kSection, kAgcValue, on ? "1" : "0");
}

}  // namespace pendrel
