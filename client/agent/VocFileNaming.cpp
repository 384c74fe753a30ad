#include "client/agent/VocFileNaming.h"

#include <cstring>

#include "platform/Text.h"

std::string VocDayFolderName(const platform::DateTime& startTalk) {
    return platform::FormatDateTime("yyyymmdd", startTalk);
}

std::string FileNameSafeNumber(const std::string& telNo) {
    std::string out = telNo;
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::strchr("/\\:*?\"<>|", c) != nullptr)
            c = '_';
    }
    return out;
}

std::string VocFileName(const std::string& guidCall, int agentId, const std::string& telNo,
                        const platform::DateTime& startTalk, int callType) {
    return guidCall + "_" + std::to_string(agentId) + "_" + FileNameSafeNumber(telNo) + "_" +
           platform::FormatDateTime("yyyymmdd_hhnnss", startTalk) + "_" + std::to_string(callType) +
           ".mp3";
}
