// Starts the caller-information lookup of a call.
#pragma once

#include <string>

#include "platform/MessageTarget.h"

struct TCallerInfoRequest {
    std::string Host;
    int Port = 0;
    int AgentID = 0;
    std::string Number;                  // the number to look up, never empty
    int CallSeq = 0;                     // comes back as wParam of the answer
    platform::TargetHandle ReplyTo = 0;  // receives WM_TRD_CALLERINFO (1144)
};

class ICallerInfoRequester {
  public:
    virtual ~ICallerInfoRequester() = default;
    // Starts a one-shot worker and returns at once. The worker posts
    // WM_TRD_CALLERINFO to ReplyTo with CallSeq as wParam and the answer text
    // (empty when the lookup failed) as a text payload.
    virtual void RequestCallerInfo(const TCallerInfoRequest& request) = 0;
};
