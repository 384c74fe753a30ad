// The agent's way to start caller-information look-ups.
#pragma once

#include "client/agent/ICallerInfoRequester.h"
#include "client/service/HttpRequest.h"

class TCallerInfoRequester : public ICallerInfoRequester {
  public:
    explicit TCallerInfoRequester(THttpTimeouts timeouts = {}) : timeouts_(timeouts) {}
    // Starts a TTrdGetCallerInfo; a thread that cannot start is logged.
    void RequestCallerInfo(const TCallerInfoRequest& request) override;

  private:
    THttpTimeouts timeouts_;
};
