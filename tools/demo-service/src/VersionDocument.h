// The version-information document at "/verinfo/QuorvelVerInfo/", built from settings.
#pragma once

#include <string>

#include "tools/demo-service/src/DemoDatabase.h"

namespace demo {

inline constexpr char kVersionPath[] = "/verinfo/QuorvelVerInfo/";

// Settings (DemoDatabase::setting) that shape the document.
inline constexpr char kSettingOfferedVersions[] = "OfferedVersions";  // JSON [{"Ver","Path"}]
inline constexpr char kSettingRealHostIP[] = "RealHostIP";            // empty: this service's host
inline constexpr char kSettingRealHostPort[] = "RealHostPort";        // empty: this service's port
inline constexpr char kSettingVersionState[] = "VersionState";        // default 1000

// Checks a value for kSettingOfferedVersions: an array of objects with string members
// "Ver" and "Path". Returns an error text, empty when it is fine.
std::string CheckOfferedVersions(const std::string& json);

// Checks any setting's value; an error text, empty when it is fine or the key is free-form.
std::string CheckSetting(const std::string& key, const std::string& value);

std::string BuildVersionDocument(DemoDatabase& db, const std::string& selfHost, int selfPort);

}  // namespace demo
