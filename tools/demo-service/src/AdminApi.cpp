#include "tools/demo-service/src/AdminApi.h"

#include "platform/Text.h"
#include "tools/demo-service/src/JsonText.h"
#include "tools/demo-service/src/QueryParams.h"
#include "tools/demo-service/src/VersionDocument.h"

namespace demo {

namespace {

AdminAnswer Answer(int status, const Json& j) {
    return {status, DumpJson(j)};
}
AdminAnswer Error(int status, const std::string& message) {
    return Answer(status, Json{{"error", message}});
}

Json CallLogJson(const CallLog& c) {
    return Json{{"id", c.id},
                {"receivedAt", c.receivedAt},
                {"AgentID", c.agentId},
                {"Guid", c.guid},
                {"UserAccount", c.userAccount},
                {"UserName", c.userName},
                {"UserFullCode", c.userFullCode},
                {"TeleNumber", c.teleNumber},
                {"TalkType", c.talkType},
                {"StartTime", c.startTime},
                {"StopTime", c.stopTime},
                {"BusId", c.busId},
                {"EnterpriseName", c.enterpriseName},
                {"VoiceUri", c.voiceUri},
                {"VocID", c.vocId},
                {"CompanyName", c.companyName},
                {"ClientName", c.clientName},
                {"Corp", c.corp},
                {"Province", c.province},
                {"City", c.city}};
}

Json RecordingJson(const Recording& r) {
    return Json{{"VocID", r.vocId},           {"buid", r.buid}, {"fileName", r.fileName},
                {"storedPath", r.storedPath}, {"size", r.size}, {"md5", r.md5},
                {"uploadedAt", r.uploadedAt}};
}

}  // namespace

AdminAnswer AdminApi::handle(const std::string& method, const std::string& path,
                             std::string_view target, const std::string& body) {
    const std::string what = path.substr(std::string_view(kAdminPrefix).size());
    if (what == "requests") {
        if (method == "DELETE") {
            journal_.clear();
            return Answer(200, Json{{"cleared", true}});
        }
        const QueryParams params = QueryParams::Parse(target);
        const long long since = platform::ParseInt64(params.value("since")).value_or(0);
        Json list = Json::array();
        for (const auto& e : journal_.since(since))
            list.push_back(RequestJournal::ToJson(e));
        return Answer(200, Json{{"last", journal_.lastSeq()}, {"requests", list}});
    }
    if (what == "faults") {
        if (method == "POST")
            return addFault(target, body);
        if (method == "DELETE") {
            faults_.clear();
            return Answer(200, Json{{"cleared", true}});
        }
        Json list = Json::array();
        for (const auto& r : faults_.rules())
            list.push_back(FaultInjector::ToJson(r));
        return Answer(200, Json{{"faults", list}});
    }
    if (what.rfind("faults/", 0) == 0 && method == "DELETE") {
        const auto id = platform::ParseInt64(what.substr(7));
        if (!id || !faults_.remove(static_cast<int>(*id)))
            return Error(404, "no such fault");
        return Answer(200, Json{{"removed", *id}});
    }
    if (what == "calllogs") {
        Json list = Json::array();
        for (const auto& c : db_.callLogs())
            list.push_back(CallLogJson(c));
        return Answer(200, Json{{"callLogs", list}});
    }
    if (what == "recordings") {
        Json list = Json::array();
        for (const auto& r : db_.recordings())
            list.push_back(RecordingJson(r));
        return Answer(200, Json{{"recordings", list}});
    }
    if (what == "settings") {
        if (method == "POST")
            return changeSettings(body);
        Json all = Json::object();
        for (const auto& [key, value] : db_.settings())
            all[key] = value;
        return Answer(200, all);
    }
    return Error(404, "no admin resource " + path);
}

AdminAnswer AdminApi::addFault(std::string_view target, const std::string& body) {
    Json spec;
    if (!body.empty()) {
        spec = Json::parse(body, nullptr, false);
        if (spec.is_discarded())
            return Error(400, "the body is not JSON");
    } else {
        const QueryParams params = QueryParams::Parse(target);
        if (!params.ok())
            return Error(400, params.error());
        spec = Json::object();
        for (const char* key : {"path", "match", "mode", "status", "delayMs", "count"})
            if (auto v = params.get(key))
                spec[key] = *v;
    }
    std::string error;
    auto rule = FaultInjector::ParseRule(spec, error);
    if (!rule)
        return Error(400, error);
    const int id = faults_.add(*rule);
    return Answer(200, Json{{"id", id}});
}

AdminAnswer AdminApi::changeSettings(const std::string& body) {
    const Json changes = Json::parse(body, nullptr, false);
    if (changes.is_discarded() || !changes.is_object())
        return Error(400, "settings are a JSON object of names and values");
    std::vector<std::pair<std::string, std::string>> checked;
    for (const auto& [key, value] : changes.items()) {
        // A value may be given as JSON (an array of versions) or as text.
        const std::string text = value.is_string() ? value.get<std::string>() : DumpJson(value);
        const std::string error = CheckSetting(key, text);
        if (!error.empty())
            return Error(400, key + ": " + error);
        checked.emplace_back(key, text);
    }
    for (const auto& [key, text] : checked)
        db_.setSetting(key, text);
    return Answer(200, Json{{"changed", checked.size()}});
}

}  // namespace demo
