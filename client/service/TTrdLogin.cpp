#include "client/service/TTrdLogin.h"

#include <exception>

#include "client/service/OneShotThread.h"
#include "client/service/WindowMessages.h"
#include "client/service/WorkerLog.h"

TTrdLogin::TTrdLogin(int sequence, std::string url, platform::TargetHandle target,
                     THttpTimeouts timeouts) {
    StartOneShotThread([sequence, url = std::move(url), target, timeouts] {
        try {
            THttpResult result = HttpRequest(url, timeouts);
            if (result.code == 1) {
                platform::PostTextMessage(target, WM_TRD_LOGIN, sequence, std::move(result.text));
            } else {
                LogWorkerError("登录操作异常<" + std::to_string(result.code) + ">:" + result.text);
            }
        } catch (const std::exception& e) {
            LogWorkerError(std::string("登录异常:") + e.what());
        }
    });
}
