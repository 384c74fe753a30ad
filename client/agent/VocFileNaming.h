// Names of recording files: <data folder>VocFile/<yyyymmdd>/<name>.mp3.
#pragma once

#include <string>

#include "platform/Clock.h"

inline constexpr const char* kVocFileFolderName = "VocFile";

// The day folder's name: the conversation's start date as yyyymmdd.
std::string VocDayFolderName(const platform::DateTime& startTalk);

// GuidCall_AgentID_TelNo_yyyymmdd_hhnnss_CallType.mp3. Characters that cannot
// stand in a file name (separators, control characters, reserved characters)
// are replaced by "_" in the number part, so a number never leaves the folder.
std::string VocFileName(const std::string& guidCall, int agentId, const std::string& telNo,
                        const platform::DateTime& startTalk, int callType);

// The number part as it goes into the file name.
std::string FileNameSafeNumber(const std::string& telNo);
