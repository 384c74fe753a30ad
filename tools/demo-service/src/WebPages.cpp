#include "tools/demo-service/src/WebPages.h"

#include <fstream>
#include <iterator>
#include <map>

#include "platform/Text.h"
#include "tools/demo-service/src/ApiMessages.h"
#include "tools/demo-service/src/JsonText.h"
#include "tools/demo-service/src/QueryParams.h"
#include "tools/demo-service/src/WebAssets.h"

namespace demo {

namespace {

// Page addresses and the web file each one serves.
const std::map<std::string, std::string, std::less<>>& PageFiles() {
    static const std::map<std::string, std::string, std::less<>> pages = {
        {"/", "About.html"},
        {kRingPagePath, "CallPopup.html"},
        {kHomePagePath, "Home.html"},
        {"/Modules/PhoneBook.aspx", "PhoneBook.html"},
        {"/Modules/About.aspx", "About.html"},
        {kTalkListPath, "CallList.html"},
        {kMissCallPath, "CallList.html"},
        {kPlayerPath, "Player.html"},
    };
    return pages;
}

WebResponse JsonResponse(int status, const Json& j) {
    return {status, "application/json; charset=utf-8", DumpJson(j)};
}

WebResponse CallLogData(DemoDatabase& db, std::string_view target) {
    const QueryParams params = QueryParams::Parse(target);
    if (!params.ok())
        return JsonResponse(400, {{"State", kStateBadRequest}, {"Message", params.error()}});
    const int agentId = platform::StrToIntDef(params.value("AgentID"), 0);
    const bool missed = params.value("Missed") == "1";
    Json rows = Json::array();
    for (const auto& c : db.callLogs(agentId, missed)) {
        rows.push_back({{"ID", c.id},
                        {"ReceivedAt", c.receivedAt},
                        {"AgentID", c.agentId},
                        {"UserName", c.userName},
                        {"TeleNumber", c.teleNumber},
                        {"TalkType", c.talkType},
                        {"StartTime", c.startTime},
                        {"StopTime", c.stopTime},
                        {"VocID", c.vocId},
                        {"HasRecording", !c.vocId.empty() && db.findRecording(c.vocId).has_value()},
                        {"ClientName", c.clientName},
                        {"CompanyName", c.companyName},
                        {"Province", c.province},
                        {"City", c.city}});
    }
    return JsonResponse(200, {{"State", kStateOk}, {"CallLogs", rows}});
}

WebResponse PhoneBookData(DemoDatabase& db) {
    Json rows = Json::array();
    for (const auto& p : db.phoneBook()) {
        rows.push_back({{"TeleNumber", p.teleNumber},
                        {"ClientName", p.clientName},
                        {"CompanyName", p.companyName},
                        {"Province", p.province},
                        {"City", p.city},
                        {"Corp", p.corp},
                        {"sNote", p.note}});
    }
    return JsonResponse(200, {{"State", kStateOk}, {"PhoneBook", rows}});
}

WebResponse RecordingData(DemoDatabase& db, std::string_view target) {
    const QueryParams params = QueryParams::Parse(target);
    if (!params.ok())
        return {400, "text/plain; charset=utf-8", params.error()};
    const auto recording = db.findRecording(params.value("vocID"));
    if (!recording)
        return {404, "text/plain; charset=utf-8", "no recording with that vocID"};
    std::ifstream in(recording->storedPath, std::ios::binary);
    if (!in)
        return {404, "text/plain; charset=utf-8", "the recording file is missing"};
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return {200, "audio/mpeg", std::move(content)};
}

}  // namespace

std::optional<WebResponse> ServeWebRequest(DemoDatabase& db, const std::string& path,
                                           std::string_view target) {
    if (path == kProbePath)
        return WebResponse{200, "text/plain; charset=utf-8", "OK"};
    if (path == kCallLogDataPath)
        return CallLogData(db, target);
    if (path == kPhoneBookDataPath)
        return PhoneBookData(db);
    if (path == kRecordingDataPath)
        return RecordingData(db, target);

    std::string file;
    if (const auto page = PageFiles().find(path); page != PageFiles().end()) {
        file = page->second;
    } else if (path.rfind("/web/", 0) == 0 && path.find('/', 5) == std::string::npos) {
        file = path.substr(5);
    } else {
        return std::nullopt;
    }
    auto text = WebFileText(file);
    if (!text)
        return std::nullopt;
    return WebResponse{200, ContentTypeOf(file), std::move(*text)};
}

}  // namespace demo
