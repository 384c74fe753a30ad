// One recording queued for the recording upload.
#pragma once

#include <cstdint>
#include <string>

struct TVocFileInfo {
    std::int32_t UserID = 0;  // the agent's ID
    std::string guidVocID;    // the call's GuidCall, the same as in its TTalkInfo
    std::string locFile;      // full path of the local recording file

    bool operator==(const TVocFileInfo&) const = default;
};
