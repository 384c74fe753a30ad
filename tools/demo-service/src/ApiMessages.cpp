#include "tools/demo-service/src/ApiMessages.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "client/service/ApiSignature.h"
#include "platform/Text.h"
#include "tools/demo-service/src/JsonText.h"
#include "tools/demo-service/src/QueryParams.h"

namespace demo {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

void Replace(std::string& text, std::string_view what, const std::string& with) {
    for (auto pos = text.find(what); pos != std::string::npos;
         pos = text.find(what, pos + with.size()))
        text.replace(pos, what.size(), with);
}

// A sub-menu address: paths on this service become full addresses; the agent's
// placeholders are filled in.
std::string MenuUrl(std::string url, const std::string& self, const User& user) {
    Replace(url, "{EnterpriseID}", user.enterpriseId);
    Replace(url, "{AgentID}", std::to_string(user.agentId));
    if (!url.empty() && url.front() == '/')
        url = "http://" + self + url;
    return url;
}

// "yyyy-MM-dd HH:mm:ss", with "+" or "T" accepted for the space (a query may carry either).
std::optional<std::string> ParseCallTime(std::string text) {
    if (text.size() != 19)
        return std::nullopt;
    if (text[10] == '+' || text[10] == 'T')
        text[10] = ' ';
    static const char kPattern[] = "dddd-dd-dd dd:dd:dd";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (kPattern[i] == 'd' ? !digit : text[i] != kPattern[i])
            return std::nullopt;
    }
    return text;
}

// The checks all messages share: a readable query, a known M, and a KEY that is the digest of
// "M=<code>&<first key>=<value>". On success, sets code and returns no answer.
std::optional<std::string> CheckEnvelope(const QueryParams& params, int& code) {
    if (!params.ok())
        return StateAnswer(kStateBadRequest, params.error());
    const auto m = params.get("M");
    if (!m)
        return StateAnswer(kStateBadRequest, "missing parameter M");
    code = platform::StrToIntDef(*m, -1);
    const char* firstKey = nullptr;
    switch (code) {
        case 1000:
        case 1001:
        case 1002:
            firstKey = "AgentID";
            break;
        case 1021:
        case 2001:
            firstKey = "EnterpriseID";
            break;
        default:
            return StateAnswer(kStateUnknownMessage, "unknown message M=" + m->substr(0, 32));
    }
    const auto first = params.get(firstKey);
    if (!first)
        return StateAnswer(kStateBadRequest, std::string("missing parameter ") + firstKey);
    const auto key = params.get("KEY");
    if (!key)
        return StateAnswer(kStateBadSignature, "missing KEY");
    const std::string signedText = "M=" + *m + "&" + firstKey + "=" + *first;
    if (*key != Md5Hex(signedText))
        return StateAnswer(kStateBadSignature, "KEY is not the digest of \"" + signedText + "\"");
    return std::nullopt;
}

std::string AnswerEnterpriseLookup(DemoDatabase& db, const std::string& self,
                                   const QueryParams& params) {
    const auto enterprise = db.findEnterpriseByAccount(params.value("EnterpriseID"));
    if (!enterprise)
        return StateAnswer(kStateNoSuchEnterprise, "no enterprise with that account");
    Json apps = Json::array();
    for (const auto& app : db.applicationsOf(enterprise->enterpriseId)) {
        apps.push_back({{"AppId", app.appId},
                        {"AppName", app.name},
                        {"urlLogin", "http://" + self + kAppLoginPath}});
    }
    Json answer = {
        {"State", kStateOk},
        {"EnterpriseName", enterprise->name},
        {"EnterpriseNickName", enterprise->nickName},
        {"EnterpriseID", enterprise->enterpriseId},
        {"AppInfo", apps},
        {"AgentCompanyInfo", {{"Name", "Quorvel demo service"}, {"Url", "http://" + self + "/"}}}};
    return DumpJson(answer);
}

std::string AnswerAgentSignIn(DemoDatabase& db, const std::string& self,
                              const QueryParams& params) {
    const int agentId = platform::StrToIntDef(params.value("AgentID"), -1);
    const auto pwd = params.get("PWD");
    const auto appIdText = params.get("AppId");
    if (agentId <= 0)
        return StateAnswer(kStateBadRequest, "AgentID is not a positive number");
    if (!pwd)
        return StateAnswer(kStateBadRequest, "missing parameter PWD");
    if (!appIdText)
        return StateAnswer(kStateBadRequest, "missing parameter AppId");
    const int appId = platform::StrToIntDef(*appIdText, -1);
    const auto user = db.findUserByAgentId(agentId);
    if (!user || !EqualsIgnoringCase(*pwd, Md5Hex(user->password)))
        return StateAnswer(kStateWrongPassword, "wrong AgentID or password");
    const auto app = db.findApplication(appId);
    if (!app || app->enterpriseId != user->enterpriseId)
        return StateAnswer(kStateUnknownApplication, "AppId is no application of the agent");

    std::string guid = platform::NewGuidString();
    guid = guid.substr(1, guid.size() - 2);  // without the braces: it travels in queries
    db.addSession(guid, agentId, appId);

    Json menus = Json::array();
    for (const auto& menu : db.menusOf(appId)) {
        Json subs = Json::array();
        for (const auto& sub : menu.subMenus)
            subs.push_back(
                {{"SubMenuName", sub.name}, {"SubMenuUrl", MenuUrl(sub.url, self, *user)}});
        menus.push_back({{"MenuName", menu.name}, {"Menus", subs}});
    }
    const std::string home = "http://" + self + kHomePagePath +
                             "?EnterpriseID=" + user->enterpriseId +
                             "&AgentID=" + std::to_string(agentId);
    Json answer = {{"State", kStateOk},
                   {"GUID", guid},
                   {"AgentID", agentId},
                   {"UserName", user->userName},
                   {"RingUrl", "http://" + self + kRingPagePath},
                   {"LoginUrl", home},
                   {"UserMenu", menus}};
    return DumpJson(answer);
}

std::string AnswerCallerInfo(DemoDatabase& db, const QueryParams& params) {
    if (platform::StrToIntDef(params.value("AgentID"), -1) <= 0)
        return StateAnswer(kStateBadRequest, "AgentID is not a positive number");
    const std::string number = params.value("TeleNumber");
    if (number.empty())
        return StateAnswer(kStateBadRequest, "missing parameter TeleNumber");
    const auto entry = db.findPhoneBookEntry(number);
    if (!entry)
        return StateAnswer(kStateNotInPhoneBook, "number not in the phone book");
    Json answer = {{"State", kStateOk},
                   {"Province", entry->province},
                   {"City", entry->city},
                   {"ClientName", entry->clientName},
                   {"CompanyName", entry->companyName},
                   {"Corp", entry->corp},
                   {"urlHost", entry->urlHost},
                   {"urlCaption", entry->urlCaption},
                   {"sNote", entry->note}};
    return DumpJson(answer);
}

std::string AnswerCallLog(DemoDatabase& db, const QueryParams& params) {
    CallLog log;
    log.agentId = platform::StrToIntDef(params.value("AgentID"), -1);
    if (log.agentId <= 0)
        return StateAnswer(kStateBadRequest, "AgentID is not a positive number");
    const auto talkType = params.get("TalkType");
    if (!talkType)
        return StateAnswer(kStateBadRequest, "missing parameter TalkType");
    log.talkType = platform::StrToIntDef(*talkType, -1);
    if (log.talkType != 1 && log.talkType != 2 && log.talkType != 11)
        return StateAnswer(kStateBadRequest, "TalkType is not 1, 2 or 11");
    const auto start = ParseCallTime(params.value("StartTime"));
    if (!start)
        return StateAnswer(kStateBadRequest, "StartTime is not yyyy-MM-dd HH:mm:ss");
    const auto stop = ParseCallTime(params.value("StopTime"));
    if (!stop)
        return StateAnswer(kStateBadRequest, "StopTime is not yyyy-MM-dd HH:mm:ss");
    if (!params.get("TeleNumber"))
        return StateAnswer(kStateBadRequest, "missing parameter TeleNumber");
    log.startTime = *start;
    log.stopTime = *stop;
    log.guid = params.value("Guid");
    log.userAccount = params.value("UserAccount");
    log.userName = params.value("UserName");
    log.userFullCode = params.value("UserFullCode");
    log.teleNumber = params.value("TeleNumber");
    log.busId = params.value("BusId");
    log.enterpriseName = params.value("EnterpriseName");
    log.voiceUri = params.value("VoiceUri");
    log.vocId = params.value("VocID");
    log.companyName = params.value("CompanyName");
    log.clientName = params.value("ClientName");
    log.corp = params.value("Corp");
    log.province = params.value("Province");
    log.city = params.value("City");
    db.storeCallLog(log);
    return DumpJson(Json{{"State", kStateOk}, {"VocID", log.vocId}});
}

std::string AnswerAppLogin(DemoDatabase& db, const QueryParams& params) {
    const auto enterprise = db.findEnterpriseById(params.value("EnterpriseID"));
    if (!enterprise)
        return StateAnswer(kStateNoSuchEnterprise, "no enterprise with that EnterpriseID");
    const auto pwd = params.get("PWD");
    if (!pwd)
        return StateAnswer(kStateBadRequest, "missing parameter PWD");
    // The user account arrives form-encoded: a space is "+".
    const std::string account = params.getFormValue("UserAccount").value_or(std::string());
    const auto user = db.findUser(enterprise->enterpriseId, account);
    if (!user || !EqualsIgnoringCase(*pwd, Md5Hex(user->password)))
        return StateAnswer(kStateWrongPassword, "wrong user account or password");
    Json answer = {{"State", kStateOk},
                   {"UserName", user->userName},
                   {"AgentID", std::to_string(user->agentId)},
                   {"VerificationMode", user->verificationMode},
                   {"Organization", user->organization}};
    return DumpJson(answer);
}

}  // namespace

std::string StateAnswer(int state, const std::string& message) {
    return DumpJson(Json{{"State", state}, {"Message", message}});
}

std::string AnswerApiRequest(DemoDatabase& db, const std::string& selfHostPort,
                             std::string_view target) {
    const QueryParams params = QueryParams::Parse(target);
    int code = 0;
    if (auto refusal = CheckEnvelope(params, code))
        return *refusal;
    switch (code) {
        case 1021:
            return AnswerEnterpriseLookup(db, selfHostPort, params);
        case 1000:
            return AnswerAgentSignIn(db, selfHostPort, params);
        case 1001:
            return AnswerCallerInfo(db, params);
        case 1002:
            return AnswerCallLog(db, params);
        default:
            return StateAnswer(kStateUnknownMessage,
                               "M=" + std::to_string(code) + " is not served at " + kApiPath);
    }
}

std::string AnswerAppLoginRequest(DemoDatabase& db, std::string_view target) {
    const QueryParams params = QueryParams::Parse(target);
    int code = 0;
    if (auto refusal = CheckEnvelope(params, code))
        return *refusal;
    if (code != 2001)
        return StateAnswer(kStateUnknownMessage,
                           "M=" + std::to_string(code) + " is not served at " + kAppLoginPath);
    return AnswerAppLogin(db, params);
}

}  // namespace demo
