// RodiZerad.ini in the data folder, and the data folder itself.
#pragma once

#include <string>

// Section names.
inline constexpr const char* kSectionBizAgent = "BizAgent";
inline constexpr const char* kSectionSkin = "SKIN";
inline constexpr const char* kSectionOld = "VelnorixDadud";
inline constexpr const char* kConfigFileName = "RodiZerad.ini";

// The built-in service endpoint, used when Host or Port is missing.
inline constexpr const char* kDefaultServiceHost = "127.0.0.1";
inline constexpr int kDefaultServicePort = 8081;

// The data folder with its trailing separator; empty until settled.
std::string DataFolder();
void SetDataFolder(const std::string& folderWithSeparator);  // for tests and start-up
// The configuration file: DataFolder() + "RodiZerad.ini" (relative when unsettled).
std::string ConfigFilePath();

// Settles the data folder under the documents folder (created 0700) and
// imports the old settings. Returns whether the folder was settled.
bool InitDataFolder(const std::string& folderName);
// One-time copy of the old settings beside the program into the new file.
void ImportOldSettings();

std::string IniReadString(const std::string& section, const std::string& key,
                          const std::string& defaultValue);
int IniReadInteger(const std::string& section, const std::string& key, int defaultValue);
void IniWriteString(const std::string& section, const std::string& key, const std::string& value);
void IniWriteInteger(const std::string& section, const std::string& key, int value);

bool IsLogEnabled();     // BizAgent/EnableLog, default 1, non-zero
bool IsDelLocVocFile();  // BizAgent/DelLocVocFile, default 1, > 0
