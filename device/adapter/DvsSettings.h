// The library's own settings, AGC and SysPlayVol, in section "DVS" of
// $XDG_CONFIG_HOME/Velnorix/Lumor/DVS.ini (~/.config when XDG_CONFIG_HOME is unset).
// A value that cannot be read gives its default.
#pragma once

#include <string>

namespace pendrel {

// The settings file; empty when neither XDG_CONFIG_HOME nor HOME is known.
std::string DvsSettingsFile();

// "AGC": non-zero means on; default on.
bool ReadAgcSetting();
// "SysPlayVol": the playback volume applied at plug-in; default 0.
int ReadSysPlayVolSetting();

// Writes "AGC" as "1" or "0", creating the folders when needed. False when it
// cannot be written.
bool WriteAgcSetting(bool on);

}  // namespace pendrel
