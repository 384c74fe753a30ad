#include "client/service/TTrdGetAppURL.h"

#include <exception>

#include "client/service/OneShotThread.h"
#include "client/service/WindowMessages.h"

unsigned AppUrlAnswerMessage(TAppUrlRequest kind) {
    switch (kind) {
        case TAppUrlRequest::Enterprise:
            return WM_TRD_ENTERPRISE;
        case TAppUrlRequest::AppLogin:
            return WM_TRD_APPLOGIN;
        case TAppUrlRequest::VerInfo:
            break;
    }
    return WM_TRD_VERINFO;
}

TTrdGetAppURL::TTrdGetAppURL(TAppUrlRequest kind, std::string url, platform::TargetHandle target,
                             THttpTimeouts timeouts) {
    StartOneShotThread([kind, url = std::move(url), target, timeouts] {
        THttpResult result;
        try {
            result = HttpRequest(url, timeouts);
        } catch (const std::exception& e) {
            result.code = -1;
            result.text = e.what();
        }
        std::string block = result.code == 1 ? std::move(result.text)
                                             : "网络操作异常<" + std::to_string(result.code) +
                                                   ">:[url] " + url + " [" + result.text + "]";
        platform::PostTextMessage(target, AppUrlAnswerMessage(kind), result.code, std::move(block));
    });
}
