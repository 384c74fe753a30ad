// A notification window that shows nothing and has no message target: the
// agent's stand-in while there is no window, and the base of headless ones.
#pragma once

#include <string>

#include "client/agent/ICallNotifier.h"

class SilentCallNotifier : public ICallNotifier {
  public:
    void ShowRing(const std::string&) override {}
    void ShowRingCount(int) override {}
    void ShowIncoming(const std::string&) override {}
    void ShowCallerInfo(const std::string&, const std::string&, const std::string&,
                        const std::string&, const std::string&, const std::string&,
                        const std::string&, const std::string&) override {}
    void ShowMissed() override {}
    void ShowAnswered() override {}
    void ShowCallingOut(const std::string&) override {}
    void ShowHungUp() override {}
    void HideWarn() override {}
    void SetEnabled(bool) override {}
    platform::TargetHandle MessageHandle() const override { return 0; }
};
