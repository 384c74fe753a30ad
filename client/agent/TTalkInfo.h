// One call record queued for the call-log upload.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Clock.h"

// Call types of the call record and of the upload (TalkType).
inline constexpr int kCallTypeNone = 0;
inline constexpr int kCallTypeIncoming = 1;  // answered incoming call
inline constexpr int kCallTypeOutgoing = 2;
inline constexpr int kCallTypeMissed = 11;  // only in the call-log upload

// Fields in the order of the queue file; the names are its attribute names.
struct TTalkInfo {
    std::string EnterpriseName;  // the enterprise's short name from the enterprise look-up
    std::int32_t UserID = 0;     // the agent's ID
    std::string UserAccount;
    std::string UserName;
    std::string UserFullCode;  // the organisation codes joined by "_"
    std::string CallerID;      // the other party's number
    std::string CompanyName;   // from the caller information
    std::string ClientName;    // from the caller information
    std::string Corp;          // from the caller information
    std::string Province;
    std::string City;
    int TalkType = kCallTypeNone;  // 1 answered, 2 outgoing, 11 missed
    platform::DateTime tmStart;    // local time
    platform::DateTime tmEnd;      // local time; equals tmStart for a missed call
    std::string guidVocID;         // the call's GuidCall, shared with its recording
    std::string locFile;           // full path of the local recording, or empty

    bool operator==(const TTalkInfo&) const = default;
};
