#include "client/agent/StateTimer.h"

void TStateTimer::Arm(const platform::DateTime& now, std::int64_t timeoutMs) {
    armed_ = true;
    armedAtMs_ = now.toMsecs();
    timeoutMs_ = timeoutMs;
}

bool TStateTimer::Expire(const platform::DateTime& now) {
    if (!armed_)
        return false;
    const std::int64_t nowMs = now.toMsecs();
    if (nowMs < armedAtMs_)
        armedAtMs_ = nowMs;
    if (nowMs - armedAtMs_ <= timeoutMs_)
        return false;
    armed_ = false;
    return true;
}
