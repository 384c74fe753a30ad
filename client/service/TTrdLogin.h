// The agent sign-in request (M=1000) on a one-shot worker thread.
#pragma once

#include <string>

#include "client/service/HttpRequest.h"
#include "platform/MessageTarget.h"

class TTrdLogin {
  public:
    // Starts the worker: it sends `url` and, when a response came back, posts
    // WM_TRD_LOGIN with `sequence` as wParam and the answer as text block to
    // `target`. A transport failure is only logged. Throws std::system_error
    // when the thread cannot start.
    TTrdLogin(int sequence, std::string url, platform::TargetHandle target,
              THttpTimeouts timeouts = {});
};
