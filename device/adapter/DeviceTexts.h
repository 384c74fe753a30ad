// The texts of the device-status event in the library's three languages.
#pragma once

#include <string>

namespace pendrel {

// True for the language identifiers the library knows (1, 2, 3).
bool IsKnownLanguage(int lang);

// The status text of event 32 for a device status (1 plugged in, 0 unplugged,
// 3 failure, 4 alarm) in a language; empty for an unknown status.
std::string DeviceStatusText(int status, int lang);

}  // namespace pendrel
