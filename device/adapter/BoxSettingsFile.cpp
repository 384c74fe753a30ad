#include "device/adapter/BoxSettingsFile.h"

#include "platform/Paths.h"
#include "platform/ProfileFile.h"

namespace pendrel {

namespace {
constexpr char kSection[] = "device";
constexpr char kKey[] = "hook_off_voltage";
}  // namespace

std::string BoxSettingsFile() {
    return platform::JoinPath(platform::ProgramFolder(), "phonic_ubox.ini");
}

int ReadHookOffVoltage() {
    return platform::ReadProfileInt(BoxSettingsFile(), kSection, kKey, kDefaultHookOffVoltage);
}

bool WriteHookOffVoltage(int volts) {
    return platform::WriteProfileInt(BoxSettingsFile(), kSection, kKey, volts);
}

}  // namespace pendrel
