// The caller-information look-up (M=1001) on a one-shot worker thread.
#pragma once

#include <string>

#include "client/service/HttpRequest.h"
#include "platform/MessageTarget.h"

class TTrdGetCallerInfo {
  public:
    // Starts the worker with copies of its inputs and of the current sign-in
    // GUID. It posts WM_TRD_CALLERINFO with `sequence` as wParam and the
    // answer, empty on failure, to `target`. Throws std::system_error when
    // the thread cannot start.
    TTrdGetCallerInfo(std::string host, int port, int agentId, std::string number, int sequence,
                      platform::TargetHandle target, THttpTimeouts timeouts = {});

    // The request address.
    static std::string BuildUrl(const std::string& host, int port, int agentId,
                                const std::string& number, const std::string& signInGuid);
};
