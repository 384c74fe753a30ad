// The web application's pages and the data they show.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tools/demo-service/src/DemoDatabase.h"

namespace demo {

inline constexpr char kTalkListPath[] = "/Modules/Dvs/TalkList2.aspx";
inline constexpr char kMissCallPath[] = "/Modules/Dvs/MissCall2.aspx";
inline constexpr char kPlayerPath[] = "/Modules/myPlayer.aspx";
inline constexpr char kProbePath[] = "/probe";
inline constexpr char kCallLogDataPath[] = "/Modules/Dvs/CallLogs.json";
inline constexpr char kPhoneBookDataPath[] = "/Modules/PhoneBook.json";
inline constexpr char kRecordingDataPath[] = "/Modules/Recording.mp3";

struct WebResponse {
    int status = 200;
    std::string contentType;
    std::string body;
};

// The page or data at this path (decoded path; target is the raw path and query), or nothing
// when the path is none of the web application's.
std::optional<WebResponse> ServeWebRequest(DemoDatabase& db, const std::string& path,
                                           std::string_view target);

}  // namespace demo
