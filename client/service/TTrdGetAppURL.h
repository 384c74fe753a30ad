// The login window's requests on a one-shot worker thread: the enterprise
// look-up, the application sign-in address and the version information.
#pragma once

#include <string>

#include "client/service/HttpRequest.h"
#include "platform/MessageTarget.h"

enum class TAppUrlRequest {
    Enterprise = 1,  // answered with WM_TRD_ENTERPRISE
    AppLogin = 2,    // answered with WM_TRD_APPLOGIN
    VerInfo = 3,     // answered with WM_TRD_VERINFO
};

// The message that answers a request kind.
unsigned AppUrlAnswerMessage(TAppUrlRequest kind);

class TTrdGetAppURL {
  public:
    // Starts the worker. It always posts its answer message to `target`:
    // wParam is the transport code, the block the answer (code 1) or
    // "网络操作异常<code>:[url] <url> [<failure>]" (code -1). Throws
    // std::system_error when the thread cannot start.
    TTrdGetAppURL(TAppUrlRequest kind, std::string url, platform::TargetHandle target,
                  THttpTimeouts timeouts = {});
};
