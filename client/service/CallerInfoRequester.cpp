#include "client/service/CallerInfoRequester.h"

#include <exception>

#include "client/service/TTrdGetCallerInfo.h"
#include "client/shell/TxtLog.h"

void TCallerInfoRequester::RequestCallerInfo(const TCallerInfoRequest& request) {
    try {
        TTrdGetCallerInfo(request.Host, request.Port, request.AgentID, request.Number,
                          request.CallSeq, request.ReplyTo, timeouts_);
    } catch (const std::exception& e) {
        LogError(std::string("取云电话本异常:") + e.what());
    }
}
