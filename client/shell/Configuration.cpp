#include "client/shell/Configuration.h"

#include <mutex>

#include "platform/Paths.h"
#include "platform/ProfileFile.h"

namespace {
std::mutex g_folderMutex;
std::string g_dataFolder;
}  // namespace

std::string DataFolder() {
    std::lock_guard lock(g_folderMutex);
    return g_dataFolder;
}

void SetDataFolder(const std::string& folderWithSeparator) {
    std::lock_guard lock(g_folderMutex);
    g_dataFolder = folderWithSeparator;
}

std::string ConfigFilePath() {
    return DataFolder() + kConfigFileName;
}

bool InitDataFolder(const std::string& folderName) {
    const std::string docs = platform::DocumentsFolder();
    if (!platform::FolderExists(docs))
        return false;
    const std::string folder = platform::JoinPath(docs, folderName);
    if (!platform::FolderExists(folder))
        platform::CreatePrivateFolder(folder);
    if (!platform::FolderExists(folder))
        return false;
    SetDataFolder(folder + platform::kPathSeparator);
    try {
        ImportOldSettings();
    } catch (...) {
    }
    return true;
}

void ImportOldSettings() {
    const std::string newFile = ConfigFilePath();
    if (platform::FileExists(newFile))
        return;
    const std::string oldFile = platform::ProgramFolder() + kConfigFileName;
    if (!platform::FileExists(oldFile))
        return;

    auto copy = [&](const char* oldSection, const char* key, const char* newSection) {
        const std::string v = platform::ReadProfileString(oldFile, oldSection, key, "");
        if (!v.empty())
            platform::WriteProfileString(newFile, newSection, key, v);
    };
    for (const char* key : {"AreaCode", "LocalTelLength", "PrefixDTMF", "LineType", "PrefixCID",
                            "ExtNoLen", "PopupCallout", "EnableLog"}) {
        copy(kSectionOld, key, kSectionBizAgent);
    }
    for (const char* key :
         {"DebugApp", "ShowLog", "ShowSkin", "Company", "User", "EnableSystemAlert"}) {
        copy(kSectionBizAgent, key, kSectionBizAgent);
    }
    copy(kSectionSkin, "SkinName", kSectionSkin);
}

std::string IniReadString(const std::string& section, const std::string& key,
                          const std::string& defaultValue) {
    return platform::ReadProfileString(ConfigFilePath(), section, key, defaultValue);
}

int IniReadInteger(const std::string& section, const std::string& key, int defaultValue) {
    return platform::ReadProfileInt(ConfigFilePath(), section, key, defaultValue);
}

void IniWriteString(const std::string& section, const std::string& key, const std::string& value) {
    platform::WriteProfileString(ConfigFilePath(), section, key, value);
}

void IniWriteInteger(const std::string& section, const std::string& key, int value) {
    platform::WriteProfileInt(ConfigFilePath(), section, key, value);
}

bool IsLogEnabled() {
    return IniReadInteger(kSectionBizAgent, "EnableLog", 1) != 0;
}

bool IsDelLocVocFile() {
    return IniReadInteger(kSectionBizAgent, "DelLocVocFile", 1) > 0;
}
