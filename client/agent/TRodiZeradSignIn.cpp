// The agent's sign-in to the telephony service (M=1000) and its answers.
//
// A pending sign-in is not marked with a state of its own: LoginState stays -1
// until an answer with State 1000 arrives. Every SetLoginEx before that starts
// a new request with the next LoginSeq, and only the answer to the latest one
// counts, so a refused or unanswered sign-in never holds up the next try and
// no time-out has to release it.
#include <exception>
#include <string>

#include "client/agent/OrgCodes.h"
#include "client/agent/TRodiZerad.h"
#include "client/service/ApiQuery.h"
#include "client/service/ApiSignature.h"
#include "client/service/JsonField.h"
#include "client/service/TTrdLogin.h"
#include "client/service/WindowMessages.h"
#include "client/service/WorkerShared.h"
#include "client/shell/TxtLog.h"
#include "platform/Text.h"

namespace {

constexpr const char* kMaskedPassword = "******";

// The URL as it may stand in the log: the password digest replaced by the mask.
std::string UrlForLog(const std::string& url) {
    const std::string key = "&PWD=";
    const std::size_t start = url.find(key);
    if (start == std::string::npos)
        return url;
    const std::size_t value = start + key.size();
    const std::size_t end = url.find('&', value);
    return url.substr(0, value) + kMaskedPassword +
           (end == std::string::npos ? std::string() : url.substr(end));
}

// The answer's "State" as an integer; -1 when it is missing or not a number.
int AnswerState(const std::string& answer) {
    return platform::StrToIntDef(GetJsonField(answer, "State"), -1);
}

}  // namespace

std::string TRodiZerad::SignInUrl(int AppId, const std::string& password, int r) const {
    return TApiQuery(1000, "AgentID", std::to_string(AgentID))
        .add("PWD", Md5Hex(password))
        .add("AppId", AppId)
        .add("UserName", UserName)
        .add("UserAccount", UserAccount)
        .add("Organization", Organization)
        .add("r", r)
        .url(Host, Port);
}

int TRodiZerad::SetLoginEx(int AppId, int agentId, const std::string& userAccount,
                           const std::string& organization, const std::string& userName,
                           const std::string& password) {
    const platform::TargetHandle window = notifier_ ? notifier_->MessageHandle() : 0;
    SetMessageWindow(window);
    LogMsg("SetLoginEx " + std::to_string(agentId) + " " + kMaskedPassword + " " + userName + " " +
           userAccount + " " + organization);
    if (LoginState == 1 || LoginState == kLoginSignedIn) {
        LogError("SetLoginEx 工号:" + std::to_string(agentId) + " 已经登录，状态：" +
                 std::to_string(LoginState) + ", 不要重复登录");
        return 0;
    }
    AgentID = agentId;
    UserName = userName;
    UserAccount = userAccount;
    Organization = organization;
    UserFullCode = ParseOrgCodes(Organization);
    LoginTime = Now();
    if (AgentID <= 0 || password.empty()) {
        LogError("SetLogin 错误：工号或密码格式不对");
        return 0;
    }
    const std::string url = SignInUrl(AppId, password, LoginTime.msec);
    ++LoginSeq;
    LogMsg("创建登录线程 SetLoginEx (" + std::to_string(window) + ") " + UrlForLog(url));
    try {
        TTrdLogin(LoginSeq, url, window);
    } catch (const std::exception& e) {
        LogError(std::string("SetLoginEx: the sign-in worker did not start: ") + e.what());
        return -1;
    }
    return 1;
}

void TRodiZerad::HandleSignInMessage(platform::Message& msg) {
    // A message without its block carries no answer.
    if (!msg.payload)
        return;
    if (msg.number == WM_TRD_LOGIN)
        HandleLoginAnswer(static_cast<int>(msg.wParam), msg.text());
    else if (msg.number == WM_TRD_LOGOUT)
        HandleLogoutAnswer(static_cast<int>(msg.wParam), msg.text());
}

void TRodiZerad::HandleLoginAnswer(int sequence, const std::string& answer) {
    const int state = AnswerState(answer);
    const std::string guid = GetJsonField(answer, "GUID");
    // Also a late answer to an older request sets the GUID, but none replaces
    // the GUID of the sign-in that succeeded: the workers keep sending it.
    if (!IsSignedIn())
        SetSignInGuid(guid);
    LogMsg("登录验证结果解析:" + answer + " UserID:" + std::to_string(AgentID) + " GUID:" + guid +
           " State:" + std::to_string(state));
    if (sequence != LoginSeq) {
        LogWarn("hLogin过期。这个 LOGIN 的返回是上次登录的结果");
        return;
    }
    FireDevEvent(kEvtSignIn, state, answer);
    if (state == kLoginSignedIn)
        SignedIn();
}

void TRodiZerad::HandleLogoutAnswer(int sequence, const std::string& answer) {
    if (sequence != logoutSeq_) {
        LogWarn("hLogin过期。这个 LOGOUT 的返回是上次登出的结果");
        return;
    }
    const int state = AnswerState(answer);
    LogMsg("登出结果:" + answer + " UserID:" + std::to_string(AgentID) +
           " State:" + std::to_string(state));
    FireDevEvent(kEvtSignOut, AgentID, std::to_string(state));
    if (state == kLoginSignedIn) {
        SetSignInGuid(std::string());
        AgentID = -1;
        LoginState = 0;
    }
}
