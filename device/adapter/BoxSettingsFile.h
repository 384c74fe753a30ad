// The box's settings file phonic_ubox.ini in the program folder: the hook-off
// voltage threshold that the setup dialog shows and saves.
#pragma once

#include <string>

namespace pendrel {

inline constexpr int kDefaultHookOffVoltage = 18;

std::string BoxSettingsFile();
// "hook_off_voltage" of section "device"; 18 when absent or unreadable.
int ReadHookOffVoltage();
// False when the file cannot be written.
bool WriteHookOffVoltage(int volts);

}  // namespace pendrel
