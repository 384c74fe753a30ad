// The line state machine's one-shot time-out, checked by the 100 ms tick.
#pragma once

#include <cstdint>

#include "platform/Clock.h"

class TStateTimer {
  public:
    // Arming again replaces the earlier deadline.
    void Arm(const platform::DateTime& now, std::int64_t timeoutMs);
    void Disarm() { armed_ = false; }
    bool IsArmed() const { return armed_; }
    std::int64_t TimeoutMs() const { return timeoutMs_; }

    // True, and disarmed, when strictly more than the time-out has passed
    // since arming. A clock set back restarts the wait from the new time, so
    // that a time-out is never held off for longer than its own length.
    bool Expire(const platform::DateTime& now);

  private:
    bool armed_ = false;
    std::int64_t armedAtMs_ = 0;
    std::int64_t timeoutMs_ = 0;
};
