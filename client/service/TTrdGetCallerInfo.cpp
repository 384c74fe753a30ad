#include "client/service/TTrdGetCallerInfo.h"

#include <exception>

#include "client/service/ApiQuery.h"
#include "client/service/OneShotThread.h"
#include "client/service/WindowMessages.h"
#include "client/service/WorkerLog.h"
#include "client/service/WorkerShared.h"

std::string TTrdGetCallerInfo::BuildUrl(const std::string& host, int port, int agentId,
                                        const std::string& number, const std::string& signInGuid) {
    return TApiQuery(1001, "AgentID", std::to_string(agentId))
        .add("TeleNumber", number)
        .add("Guid", signInGuid)
        .url(host, port);
}

TTrdGetCallerInfo::TTrdGetCallerInfo(std::string host, int port, int agentId, std::string number,
                                     int sequence, platform::TargetHandle target,
                                     THttpTimeouts timeouts) {
    std::string url = BuildUrl(host, port, agentId, number, SignInGuid());
    StartOneShotThread([url = std::move(url), sequence, target, timeouts] {
        std::string answer;
        try {
            THttpResult result = HttpRequest(url, timeouts);
            if (result.code == 1) {
                answer = std::move(result.text);
            } else {
                LogWorkerError("取云电话本操作异常<" + std::to_string(result.code) +
                               ">:" + result.text);
            }
        } catch (const std::exception& e) {
            answer.clear();
            LogWorkerError(std::string("取云电话本异常:") + e.what());
        }
        platform::PostTextMessage(target, WM_TRD_CALLERINFO, sequence, std::move(answer));
    });
}
