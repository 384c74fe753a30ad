// The call notification window as the agent drives it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/MessageTarget.h"

class ICallNotifier {
  public:
    virtual ~ICallNotifier() = default;

    virtual void ShowRing(const std::string& number) = 0;
    virtual void ShowRingCount(int count) = 0;
    virtual void ShowIncoming(const std::string& number) = 0;
    virtual void ShowCallerInfo(const std::string& number, const std::string& area,
                                const std::string& name, const std::string& company,
                                const std::string& corp, const std::string& webAddress,
                                const std::string& webCaption, const std::string& note) = 0;
    virtual void ShowMissed() = 0;
    virtual void ShowAnswered() = 0;
    virtual void ShowCallingOut(const std::string& number) = 0;
    virtual void ShowHungUp() = 0;
    virtual void HideWarn() = 0;
    virtual void SetEnabled(bool enabled) = 0;

    // The window's message target: workers post their answers here
    // (1124, 1134, 1135, 1136 and 1144), and the window hands them to OnTrdMsg.
    virtual platform::TargetHandle MessageHandle() const = 0;
};

// Creates the notification window with its OnTrdMsg handler bound.
class ICallNotifierFactory {
  public:
    virtual ~ICallNotifierFactory() = default;
    virtual std::unique_ptr<ICallNotifier> CreateNotifier(
        std::function<void(platform::Message&)> onTrdMsg) = 0;
};
